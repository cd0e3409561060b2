#include "ui/MsgBox.h"

#include "rules/MessageText.h"

namespace {
MsgBox::Observer &observer()
{
    static MsgBox::Observer instance;
    return instance;
}
} // namespace

void MsgBox::show(QWidget *parent, const QString &text, QMessageBox::Icon icon, const QString &title)
{
    if (observer()) {
        observer()({ text, title, icon });
        return;
    }
    QMessageBox box(icon, title, QString(text).replace(u'\r', u'\n'), QMessageBox::Ok, parent);
    box.exec();
}

void MsgBox::show(QWidget *parent, const Outcome &outcome)
{
    show(parent, MessageText::of(outcome),
         MessageText::isCritical(outcome.kind) ? QMessageBox::Critical : QMessageBox::NoIcon);
}

void MsgBox::setObserver(Observer newObserver)
{
    observer() = std::move(newObserver);
}
