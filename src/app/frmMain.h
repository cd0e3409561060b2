#ifndef FRMMAIN_H
#define FRMMAIN_H

#include "messages/MessageHistory.h"
#include "transport/Transport.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class FieldCheck;
class MainSettings;
class HelpWindow;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

// The one working window: message, board number, brightness, presentation
// mode, and the HELP, EXIT and SEND buttons.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    explicit frmMain(const QString &commandLine, QWidget *parent = nullptr);

    void Form_Load();
    int CommMode() const { return m_transport.mode(); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void restorePosition(const MainSettings &settings);
    void restoreFields(const MainSettings &settings);
    void OpenTransport();
    void SaveSettings();
    void LoadMsgList();
    void SaveMsgList();
    QString msgListPath() const;

    void Send_Click();
    void Exit_Click();
    void Help_Click();
    void mnuHelpTopics_Click();
    void mnuHelpWeb_Click();
    void MnuHelpAbout_Click();

    void CurMsg_Validate(bool &Cancel);
    void CurMsg_Click();
    void AddCurMsgToList();
    void showHistory();

    void BoardNum_Validate(bool &Cancel);
    void Bright_Validate(bool &Cancel);
    void validateNumber(QLineEdit *field, const FieldCheck &check, bool &Cancel);

    void Form_Unload();

    bool ValidateBusy = false;
    bool MsgListChanged = false;
    MessageHistory m_history;

    QString m_commandLine;
    Transport m_transport;

    QLabel *Label1;
    QComboBox *CurMsg;
    QLabel *Label2;
    QLineEdit *BoardNum;
    QLabel *Label3;
    QLineEdit *Bright;
    QLabel *Label4;
    QComboBox *Present;
    QPushButton *Help;
    QPushButton *Exit;
    QPushButton *Send;
    QLabel *Label5;
    QLabel *CommUse;
    QMenu *MnuHelp;
    QPointer<HelpWindow> m_help;
};

#endif
