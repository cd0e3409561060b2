#ifndef FRMMAINUI_H
#define FRMMAINUI_H

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;

namespace Ui {

// The controls of the main window, laid out as designed, in tab order.
class frmMain
{
public:
    void setupUi(QWidget *window);

    QComboBox *CurMsg;
    QLineEdit *BoardNum;
    QLineEdit *Bright;
    QComboBox *Present;
    QPushButton *Help;
    QPushButton *Exit;
    QPushButton *Send;
    QLabel *CommUse;
    QMenu *MnuHelp;
    QAction *mnuHelpTopics;
    QAction *mnuHelpWeb;
    QAction *MnuHelpAbout;

private:
    void createHelpMenu(QWidget *window);
};

} // namespace Ui

#endif
