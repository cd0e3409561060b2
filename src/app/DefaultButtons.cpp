#include "DefaultButtons.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

DefaultButtons::DefaultButtons(QWidget *window, QPushButton *defaultButton, QPushButton *cancelButton)
    : QObject(window), m_window(window), m_default(defaultButton), m_cancel(cancelButton)
{
    // Watching the application sees a key before the focused control does;
    // an open drop-down list is a window of its own and is left alone.
    qApp->installEventFilter(this);
}

bool DefaultButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_window)
        return false;

    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;

    QPushButton *target = nullptr;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        auto *focused = qobject_cast<QPushButton *>(widget);
        target = focused ? focused : m_default;
    } else if (key->key() == Qt::Key_Escape) {
        target = m_cancel;
    } else {
        return false;
    }
    if (target->isEnabled())
        target->click();
    return true;
}
