#ifndef HELPCOMMANDS_H
#define HELPCOMMANDS_H

#include <QObject>
#include <QPointer>

class HelpWindow;
class QAction;
class QWidget;

// The three commands of the help menu, run by its items.
class HelpCommands : public QObject
{
    Q_OBJECT

public:
    HelpCommands(QWidget *owner, QAction *topics, QAction *web, QAction *about);

    void mnuHelpTopics_Click();
    void mnuHelpWeb_Click();
    void MnuHelpAbout_Click();

private:
    QWidget *m_owner;
    QPointer<HelpWindow> m_help; // one help window, shown again on every call
};

#endif
