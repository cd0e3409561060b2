#include "ui/FocusValidator.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

FocusValidator::FocusValidator(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    // Clicks and keys reach the native window before any control; it exists
    // once the window is shown.
    window->installEventFilter(this);
}

void FocusValidator::setCheck(QWidget *control, Check check)
{
    m_checks.insert(control, std::move(check));
}

void FocusValidator::setExempt(QWidget *control)
{
    m_exempt.insert(control);
}

bool FocusValidator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Show && m_window->windowHandle())
            m_window->windowHandle()->installEventFilter(this);
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        QWidget *hit = m_window->childAt(mouse->position().toPoint());
        QWidget *target = hit ? clickTarget(hit) : nullptr;
        return target && !mayMoveTo(target);
    }
    case QEvent::KeyPress: {
        QWidget *widget = QApplication::focusWidget();
        if (!widget || widget->window() != m_window || QApplication::activePopupWidget())
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = (key->modifiers() & ~Qt::ShiftModifier) == Qt::NoModifier;
        if (!plain || (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab))
            return false;
        const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
        QWidget *target = tabTarget(widget, forward);
        return target && !mayMoveTo(target);
    }
    default:
        return false;
    }
}

bool FocusValidator::mayMoveTo(QWidget *target)
{
    QWidget *source = controlOf(QApplication::focusWidget());
    if (!source || !m_checks.contains(source))
        return true;
    QWidget *destination = controlOf(target);
    if (destination == source || m_exempt.contains(destination))
        return true;
    return m_checks.value(source)();
}

// The registered control a widget belongs to (a combo box's own line edit
// belongs to the combo box), or the widget itself.
QWidget *FocusValidator::controlOf(QWidget *widget) const
{
    for (QWidget *w = widget; w && w != m_window; w = w->parentWidget()) {
        if (m_checks.contains(w) || m_exempt.contains(w))
            return w;
    }
    return widget;
}

QWidget *FocusValidator::clickTarget(QWidget *widget) const
{
    for (QWidget *w = widget; w && w != m_window; w = w->parentWidget()) {
        if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus))
            return w;
    }
    return nullptr;
}

QWidget *FocusValidator::tabTarget(QWidget *from, bool forward) const
{
    const QWidget *source = controlOf(from);
    QWidget *w = from;
    do {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        const bool takesTab = w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus);
        if (takesTab && w->window() == m_window && controlOf(w) != source)
            return w;
    } while (w != from);
    return nullptr;
}
