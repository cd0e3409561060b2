#ifndef DEFAULTBUTTONS_H
#define DEFAULTBUTTONS_H

#include <QObject>

class QPushButton;
class QWidget;

// Gives a plain window the keys of a dialog: Enter presses the focused
// push button, or the default button from any other control; Esc presses
// the cancel button. QPushButton::setDefault acts only inside a QDialog.
class DefaultButtons : public QObject
{
    Q_OBJECT

public:
    DefaultButtons(QWidget *window, QPushButton *defaultButton, QPushButton *cancelButton);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchWindow();

    QWidget *m_window;
    QPushButton *m_default;
    QPushButton *m_cancel;
    int m_keyTakenByPopup = 0;
};

#endif
