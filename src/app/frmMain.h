#ifndef FRMMAIN_H
#define FRMMAIN_H

#include "messages/MessageHistory.h"
#include "transport/Transport.h"

#include <QString>
#include <QWidget>

#include <memory>

class FieldCheck;
class QLineEdit;
namespace Ui {
class frmMain;
}

// The one working window: message, board number, brightness, presentation
// mode, and the HELP, EXIT and SEND buttons.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    explicit frmMain(const QString &commandLine, QWidget *parent = nullptr);
    ~frmMain() override;

    void Form_Load();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void OpenTransport();
    void SaveSettings();
    void LoadMsgList();
    void SaveMsgList();

    void Send_Click();
    void Exit_Click();
    void Help_Click();

    void CurMsg_Validate(bool &Cancel);
    void CurMsg_Click();
    void AddCurMsgToList();
    void BoardNum_Validate(bool &Cancel);
    void Bright_Validate(bool &Cancel);
    void validateNumber(QLineEdit *field, const FieldCheck &check, bool &Cancel);
    void Form_Unload();

    bool ValidateBusy = false;
    MessageHistory m_history;
    QString m_commandLine;
    Transport m_transport;

    std::unique_ptr<Ui::frmMain> m_ui;
};

#endif
