#ifndef MSGBOX_H
#define MSGBOX_H

#include "common/AppInfo.h"
#include "common/Outcome.h"

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every message box of the program is shown here. Lines are separated by a
// lone carriage return in the text. A test can observe the boxes instead of
// having them block.
class MsgBox
{
public:
    struct Shown
    {
        QString text;
        QString title;
        QMessageBox::Icon icon;
    };
    using Observer = std::function<void(const Shown &)>;

    static void show(QWidget *parent, const QString &text, QMessageBox::Icon icon = QMessageBox::NoIcon,
                     const QString &title = AppInfo::title);
    // The outcome in its own words, critical for a transport failure.
    static void show(QWidget *parent, const Outcome &outcome);

    // With an observer set, boxes are handed to it and not shown.
    static void setObserver(Observer observer);
};

#endif
