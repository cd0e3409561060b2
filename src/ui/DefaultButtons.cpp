#include "ui/DefaultButtons.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <utility>

namespace {

bool isDialogKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

DefaultButtons::DefaultButtons(QWidget *window, QPushButton *defaultButton, QPushButton *cancelButton)
    : QObject(window), m_window(window), m_default(defaultButton), m_cancel(cancelButton)
{
    // Watching the application sees a key before the focused control does.
    qApp->installEventFilter(this);
}

bool DefaultButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // An open drop-down list closes on the override of Enter, before the
        // key press is delivered; that press then lands in the window, where
        // it must not press a button as well.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (QApplication::activePopupWidget() && isDialogKey(key))
            m_keyTakenByPopup = key;
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return false;
    const int takenByPopup = std::exchange(m_keyTakenByPopup, 0);
    if (widget->window() != m_window)
        return false;

    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier || !isDialogKey(key->key()))
        return false;
    if (key->key() == takenByPopup)
        return true;

    QPushButton *target = m_cancel;
    if (key->key() != Qt::Key_Escape) {
        auto *focused = qobject_cast<QPushButton *>(widget);
        target = focused ? focused : m_default;
    }
    if (target->isEnabled())
        target->click();
    return true;
}
