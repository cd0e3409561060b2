#ifndef HELPWINDOW_H
#define HELPWINDOW_H

#include <QWidget>

class QTextBrowser;

// A small help viewer: shows the program's help file at its contents, or
// says in its own window why the file could not be shown.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    void showContents(const QString &path);

private:
    QTextBrowser *m_browser;
};

#endif
