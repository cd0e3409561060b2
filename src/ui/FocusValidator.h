#ifndef FOCUSVALIDATOR_H
#define FOCUSVALIDATOR_H

#include <QHash>
#include <QObject>
#include <QSet>

#include <functional>

class QWidget;

// Runs a control's check before the focus leaves it by Tab, Shift+Tab or a
// mouse click. A failing check keeps the focus where it is, and the click
// that would have moved it does not reach its target. A control can be
// exempt: moving to it runs no check. Focus moved by the program itself is
// not checked.
class FocusValidator : public QObject
{
    Q_OBJECT

public:
    using Check = std::function<bool()>; // true lets the focus go

    explicit FocusValidator(QWidget *window);

    void setCheck(QWidget *control, Check check);
    void setExempt(QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool mayMoveTo(QWidget *target);
    QWidget *controlOf(QWidget *widget) const;
    QWidget *clickTarget(QWidget *widget) const;
    QWidget *tabTarget(QWidget *from, bool forward) const;

    QWidget *m_window;
    QHash<QWidget *, Check> m_checks;
    QSet<QWidget *> m_exempt;
};

#endif
