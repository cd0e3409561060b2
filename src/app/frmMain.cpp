#include "app/frmMain.h"

#include "app/frmMainUi.h"
#include "common/NativePath.h"
#include "info/HelpCommands.h"
#include "messages/FieldCheck.h"
#include "messages/MsgListPlace.h"
#include "rules/MainSettings.h"
#include "rules/MessageText.h"
#include "rules/PortSettings.h"
#include "rules/Sending.h"
#include "rules/WindowPlacement.h"
#include "ui/DefaultButtons.h"
#include "ui/FocusValidator.h"
#include "ui/MsgBox.h"
#include "ui/TwipsLayout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>

frmMain::frmMain(const QString &commandLine, QWidget *parent)
    : QWidget(parent)
    , m_commandLine(commandLine)
    , m_ui(std::make_unique<Ui::frmMain>())
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_ui->setupUi(this);

    new DefaultButtons(this, m_ui->Send, m_ui->Exit);
    auto *leaving = new FocusValidator(this);
    leaving->setCheck(m_ui->CurMsg, [this] {
        bool cancel = false;
        CurMsg_Validate(cancel);
        return true;
    });
    leaving->setCheck(m_ui->BoardNum, [this] {
        bool cancel = false;
        BoardNum_Validate(cancel);
        return !cancel;
    });
    leaving->setCheck(m_ui->Bright, [this] {
        bool cancel = false;
        Bright_Validate(cancel);
        return !cancel;
    });
    leaving->setExempt(m_ui->Help);

    connect(m_ui->Send, &QPushButton::clicked, this, &frmMain::Send_Click);
    connect(m_ui->Exit, &QPushButton::clicked, this, &frmMain::Exit_Click);
    connect(m_ui->Help, &QPushButton::clicked, this, &frmMain::Help_Click);
    connect(m_ui->CurMsg, &QComboBox::activated, this, &frmMain::CurMsg_Click);
    new HelpCommands(this, m_ui->mnuHelpTopics, m_ui->mnuHelpWeb, m_ui->MnuHelpAbout);
    connect(&m_transport, &Transport::lost, this, [this](const Outcome &lost) { MsgBox::show(this, lost); });
}

frmMain::~frmMain() = default;

// Rewriting an unchanged text would move the cursor and clear the undo history.
static void tidy(QLineEdit *field, const QString &text)
{
    if (field->text() != text)
        field->setText(text);
}

void frmMain::Form_Load()
{
    const MainSettings settings;
    const QSize screen = this->screen() ? this->screen()->geometry().size() * Twips::perPixel : QSize();
    const QPoint twips
            = WindowPlacement::restore(settings.position(), screen, frameGeometry().size() * Twips::perPixel);
    move(Twips::toPixels(twips.x()), Twips::toPixels(twips.y()));
    LoadMsgList();
    const MainSettings::Fields fields = settings.fields();
    m_ui->CurMsg->setEditText(fields.curMsg);
    m_ui->BoardNum->setText(fields.boardNum);
    m_ui->Bright->setText(fields.bright);
    m_ui->Present->setCurrentIndex(fields.presentIndex);
    OpenTransport();
}

void frmMain::SaveSettings()
{
    std::optional<QPoint> position;
    if (!isMinimized())
        position = pos() * Twips::perPixel;
    MainSettings().save(position,
                        { m_ui->CurMsg->currentText(), m_ui->BoardNum->text(), m_ui->Bright->text(),
                          m_ui->Present->currentIndex() });
    SaveMsgList();
}

void frmMain::LoadMsgList()
{
    m_history.load(MsgListPlace::toRead(NativePath::programFolder()));
    m_ui->CurMsg->addItems(m_history.entries());
}

void frmMain::SaveMsgList()
{
    const Outcome saved = m_history.save(MsgListPlace::toWrite(NativePath::programFolder()));
    if (!saved.ok())
        MsgBox::show(this, saved);
}

void frmMain::OpenTransport()
{
    const Outcome opened = m_transport.open(m_commandLine, PortSettings::mapped);
    if (!opened.ok()) {
        MsgBox::show(this, opened);
        m_ui->Send->setEnabled(false);
    }
    m_ui->CommUse->setText(MessageText::inUse(m_transport.mode(), m_transport.port(), m_transport.host()));
    TwipsLayout::fitWidthToText(m_ui->CommUse);
}

void frmMain::Send_Click()
{
    bool cancel = false;
    CurMsg_Validate(cancel);
    const Sending::Result result = Sending::send(m_transport,
                                                 { m_ui->BoardNum->text(), m_ui->Present->currentIndex(),
                                                   m_ui->Bright->text(), m_ui->CurMsg->currentText() });
    tidy(m_ui->BoardNum, result.fields.boardNum);
    tidy(m_ui->Bright, result.fields.bright);
    for (const Outcome &problem : result.problems)
        MsgBox::show(this, problem);
    if (result.boardNumFailed || result.brightFailed)
        (result.boardNumFailed ? m_ui->BoardNum : m_ui->Bright)->setFocus();
}

void frmMain::Exit_Click()
{
    close();
}

void frmMain::Help_Click()
{
    m_ui->MnuHelp->popup(QCursor::pos());
}

void frmMain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmMain::CurMsg_Validate(bool &)
{
    CurMsg_Click();
}

void frmMain::CurMsg_Click()
{
    if (ValidateBusy)
        return;
    const QScopedValueRollback busy(ValidateBusy, true);
    AddCurMsgToList();
}

void frmMain::AddCurMsgToList()
{
    const QString text = m_ui->CurMsg->currentText();
    if (text.isEmpty())
        return;
    if (m_history.add(text)) {
        const QSignalBlocker blocker(m_ui->CurMsg);
        m_ui->CurMsg->clear();
        m_ui->CurMsg->addItems(m_history.entries());
    }
    m_ui->CurMsg->setCurrentIndex(0);
}

void frmMain::Form_Unload()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->isVisible())
            window->close();
    }
    SaveSettings();
    // Frames a stalled line has not taken are lost with the port: say so.
    const Outcome drained = m_transport.drain(Transport::closingDrainMs);
    if (!drained.ok())
        MsgBox::show(this, drained);
}

void frmMain::BoardNum_Validate(bool &Cancel)
{
    validateNumber(m_ui->BoardNum, FieldCheck::boardNumber(), Cancel);
}

void frmMain::Bright_Validate(bool &Cancel)
{
    validateNumber(m_ui->Bright, FieldCheck::brightness(), Cancel);
}

void frmMain::validateNumber(QLineEdit *field, const FieldCheck &check, bool &Cancel)
{
    if (ValidateBusy)
        return;
    const QScopedValueRollback busy(ValidateBusy, true);
    const FieldCheck::Result result = check.check(field->text());
    if (result.passes) {
        tidy(field, result.text);
    } else {
        MsgBox::show(this, Outcome { check.failure() });
        Cancel = true;
    }
}
