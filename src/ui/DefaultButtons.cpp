#include "ui/DefaultButtons.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <utility>

namespace {

bool isDialogKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

// The window's own native window and the lists of its drop-down boxes.
void DefaultButtons::watchWindow()
{
    if (m_window->windowHandle())
        m_window->windowHandle()->installEventFilter(this);
    for (const QComboBox *combo : m_window->findChildren<QComboBox *>())
        combo->view()->installEventFilter(this);
}

DefaultButtons::DefaultButtons(QWidget *window, QPushButton *defaultButton, QPushButton *cancelButton)
    : QObject(window)
    , m_window(window)
    , m_default(defaultButton)
    , m_cancel(cancelButton)
{
    // Keys reach the native window before the focused control; it exists
    // once the window is shown.
    window->installEventFilter(this);
}

bool DefaultButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Show)
            watchWindow();
        return false;
    }
    const bool atWindow = watched == m_window->windowHandle();
    if (event->type() == QEvent::ShortcutOverride && !atWindow) {
        // An open drop-down list closes on the override of Enter or Esc,
        // before the key press is delivered; that press then lands in the
        // window, where it must not press a button as well.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (isDialogKey(key)) {
            m_keyTakenByPopup = key;
            QTimer::singleShot(0, this, [this] { m_keyTakenByPopup = 0; });
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress || !atWindow || QApplication::activePopupWidget())
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier || !isDialogKey(key->key()))
        return false;
    if (std::exchange(m_keyTakenByPopup, 0) == key->key())
        return true;

    QPushButton *target = m_cancel;
    if (key->key() != Qt::Key_Escape) {
        auto *focused = qobject_cast<QPushButton *>(QApplication::focusWidget());
        target = focused && focused->window() == m_window ? focused : m_default;
    }
    if (target->isEnabled())
        target->click();
    return true;
}
