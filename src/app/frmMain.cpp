#include "app/frmMain.h"

#include "protocol/BoardFrame.h"
#include "ui/ControlCharValidator.h"
#include "ui/DefaultButtons.h"
#include "messages/FieldCheck.h"
#include "ui/FocusValidator.h"
#include "info/HelpWindow.h"
#include "info/frmAbout.h"
#include "rules/MainSettings.h"
#include "messages/MsgListFile.h"
#include "ui/MsgBox.h"
#include "ui/Twips.h"
#include "rules/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>

frmMain::frmMain(const QString &commandLine, QWidget *parent)
    : QWidget(parent), m_commandLine(commandLine)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Varo Message Board V2.1"));
    resize(Twips::toPixels(10170), Twips::toPixels(1575));
    setFont(Twips::dialogFont(font()));
    createControls();

    new DefaultButtons(this, Send, Exit);
    auto *leaving = new FocusValidator(this);
    leaving->setCheck(CurMsg, [this] { bool cancel = false; CurMsg_Validate(cancel); return true; });
    leaving->setCheck(BoardNum, [this] { bool cancel = false; BoardNum_Validate(cancel); return !cancel; });
    leaving->setCheck(Bright, [this] { bool cancel = false; Bright_Validate(cancel); return !cancel; });
    leaving->setExempt(Help);

    connect(Send, &QPushButton::clicked, this, &frmMain::Send_Click);
    connect(Exit, &QPushButton::clicked, this, &frmMain::Exit_Click);
    connect(Help, &QPushButton::clicked, this, &frmMain::Help_Click);
    connect(CurMsg, &QComboBox::activated, this, &frmMain::CurMsg_Click);
}

void frmMain::createControls()
{
    using Twips::place;
    auto label = [this](const char *name, const QString &caption, QRect twips) {
        return place(new QLabel(caption, this), name, twips);
    };
    auto button = [this](const char *name, const QString &caption, QRect twips) {
        return place(new QPushButton(caption, this), name, twips);
    };
    auto textBox = [this](const char *name, const QString &text, QRect twips) {
        QLineEdit *control = place(new QLineEdit(text, this), name, twips);
        control->setValidator(new ControlCharValidator(control));
        return control;
    };

    Label1 = label("Label1", QStringLiteral("Current Message"), { 240, 180, 4320, 225 });

    CurMsg = place(new QComboBox(this), "CurMsg", { 240, 390, 9780, 315 });
    CurMsg->setEditable(true);
    CurMsg->setInsertPolicy(QComboBox::NoInsert);  // the history is kept by the window
    CurMsg->setCompleter(nullptr);                  // no completing of typed text from the history
    CurMsg->setValidator(new ControlCharValidator(CurMsg));
    QFont fixed(QStringLiteral("Lucida Console"));
    if (!QFontDatabase::hasFamily(fixed.family()))
        fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(9.75);
    CurMsg->setFont(fixed);
    CurMsg->setEditText(QString(20, u'A') + QString(20, u'B') + QString(20, u'C') + QString(20, u'D'));

    Label2 = label("Label2", QStringLiteral("Message Board Number"), { 240, 870, 1710, 195 });
    Twips::fitWidthToText(Label2);
    BoardNum = textBox("BoardNum", QStringLiteral("0"), { 240, 1110, 1320, 330 });
    Label3 = label("Label3", QStringLiteral("Brightness"), { 2100, 870, 735, 195 });
    Twips::fitWidthToText(Label3);
    Bright = textBox("Bright", QStringLiteral("75"), { 2085, 1110, 375, 330 });
    Label4 = label("Label4", QStringLiteral("Presentation"), { 3045, 870, 1170, 225 });

    Present = place(new QComboBox(this), "Present", { 3045, 1080, 2220, 315 });
    Present->addItems({ QStringLiteral("Left Justify"), QStringLiteral("Right Justify"),
                        QStringLiteral("Center"), QStringLiteral("Slow crawl from Right"),
                        QStringLiteral("Medium crawl from Right"), QStringLiteral("Fast crawl from Right") });
    Present->setCurrentIndex(-1);

    Help = button("Help", QStringLiteral("HELP"), { 5430, 960, 1320, 480 });
    Exit = button("Exit", QStringLiteral("EXIT"), { 7057, 960, 1320, 480 });
    Send = button("Send", QStringLiteral("SEND"), { 8685, 960, 1320, 480 });
    Send->setDefault(true);  // drawn as the default; DefaultButtons gives it the Enter key
    Label5 = label("Label5", QStringLiteral("%"), { 2460, 1170, 210, 165 });
    CommUse = label("CommUse", QStringLiteral("Using "), { 9060, 105, 900, 195 });
    CommUse->setAlignment(Qt::AlignCenter);
    Twips::fitWidthToText(CommUse);

    setTabOrder(CurMsg, BoardNum);
    setTabOrder(BoardNum, Bright);
    setTabOrder(Bright, Present);
    setTabOrder(Present, Help);
    setTabOrder(Help, Exit);
    setTabOrder(Exit, Send);

    MnuHelp = new QMenu(QStringLiteral("Help Popup"), this);
    MnuHelp->setObjectName(QStringLiteral("MnuHelp"));
    auto item = [this](const char *name, const QString &caption) {
        QAction *action = caption.isEmpty() ? MnuHelp->addSeparator() : MnuHelp->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    connect(item("mnuHelpTopics", QStringLiteral("Help Topics...")), &QAction::triggered,
            this, &frmMain::mnuHelpTopics_Click);
    item("mnuHelpDiv1", {});
    connect(item("mnuHelpWeb", QStringLiteral("Varo on the Web")), &QAction::triggered,
            this, &frmMain::mnuHelpWeb_Click);
    item("MnuHelpDiv2", {});
    connect(item("MnuHelpAbout", QStringLiteral("About Varo Message Board...")), &QAction::triggered,
            this, &frmMain::MnuHelpAbout_Click);

    CurMsg->setFocus();
}

void frmMain::Form_Load()
{
    const MainSettings settings;
    restorePosition(settings);
    LoadMsgList();
    restoreFields(settings);
    OpenTransport();
}

void frmMain::restorePosition(const MainSettings &settings)
{
    const QScreen *screen = this->screen();
    const QSize screenTwips = screen ? screen->geometry().size() * Twips::perPixel : QSize();
    const QPoint twips = WindowPlacement::restore(settings.position(), screenTwips,
                                                  frameGeometry().size() * Twips::perPixel);
    move(Twips::toPixels(twips.x()), Twips::toPixels(twips.y()));
}

void frmMain::restoreFields(const MainSettings &settings)
{
    const MainSettings::Fields fields = settings.fields();
    CurMsg->setEditText(fields.curMsg);
    BoardNum->setText(fields.boardNum);
    Bright->setText(fields.bright);
    Present->setCurrentIndex(fields.presentIndex);
}

void frmMain::SaveSettings()
{
    std::optional<QPoint> position;
    if (!isMinimized())
        position = pos() * Twips::perPixel;
    MainSettings().save(position, { CurMsg->currentText(), BoardNum->text(), Bright->text(),
                                    Present->currentIndex() });
    SaveMsgList();
}

QString frmMain::msgListPath() const
{
    return AppInfo::besideProgram(AppInfo::msgListFileName);
}

void frmMain::LoadMsgList()
{
    // The file lists the newest first: add the oldest first.
    const QStringList entries = MsgListFile::load(msgListPath());
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry)
        m_history.add(*entry);
    showHistory();
    MsgListChanged = false;
}

void frmMain::SaveMsgList()
{
    if (!MsgListChanged)
        return;
    const QString path = msgListPath();
    const MsgListFile::SaveResult result = MsgListFile::save(path, m_history.entries());
    if (result.status != MsgListFile::SaveResult::Saved) {
        MsgBox::show(this, MsgListFile::failureMessage(result, path));
        return;
    }
    MsgListChanged = false;
}

void frmMain::OpenTransport()
{
    const QString failure = m_transport.open(m_commandLine);
    if (failure.isEmpty())
        return;
    MsgBox::show(this, failure, QMessageBox::Critical);
    Send->setEnabled(false);
    CommUse->setText(CommUse->text() + QStringLiteral("NONE"));
    Twips::fitWidthToText(CommUse);
}

void frmMain::Send_Click()
{
    bool msgCancel = false;
    CurMsg_Validate(msgCancel);
    bool boardCancel = false;
    BoardNum_Validate(boardCancel);
    bool brightCancel = false;
    Bright_Validate(brightCancel);
    // An invalid board number would address another board, an invalid
    // brightness would go out as its last two digits: send nothing.
    if (boardCancel || brightCancel) {
        (boardCancel ? BoardNum : Bright)->setFocus();
        return;
    }

    const QByteArray frame = BoardFrame::build(BoardNum->text(), Present->currentIndex(),
                                               Bright->text(), CurMsg->currentText());
    const QString failure = m_transport.send(frame);
    if (!failure.isEmpty())
        MsgBox::show(this, failure, QMessageBox::Critical);
}

void frmMain::Exit_Click()
{
    close();
}

void frmMain::Help_Click()
{
    MnuHelp->popup(QCursor::pos());
}

void frmMain::mnuHelpTopics_Click()
{
    try {
        if (!m_help)
            m_help = new HelpWindow(this);
        m_help->showContents(AppInfo::besideProgram(AppInfo::helpFileName));
        m_help->show();
        m_help->raise();
        m_help->activateWindow();
    } catch (const std::exception &error) {
        MsgBox::show(this, QString::fromLocal8Bit(error.what()));
    }
}

void frmMain::mnuHelpWeb_Click()
{
    QDesktopServices::openUrl(QUrl(AppInfo::webAddress));
}

void frmMain::MnuHelpAbout_Click()
{
    frmAbout about(this);
    about.exec();
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
    ValidateBusy = true;
    AddCurMsgToList();
    ValidateBusy = false;
}

void frmMain::AddCurMsgToList()
{
    const QString text = CurMsg->currentText();
    if (text.isEmpty())
        return;
    if (m_history.add(text)) {
        MsgListChanged = true;
        showHistory();
    }
    CurMsg->setCurrentIndex(0);
}

// The list of CurMsg shows the history; its edit text is left as it is.
void frmMain::showHistory()
{
    const QSignalBlocker blocker(CurMsg);
    const QString text = CurMsg->currentText();
    CurMsg->clear();
    CurMsg->addItems(m_history.entries());
    CurMsg->setEditText(text);
}

void frmMain::Form_Unload()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->isVisible())
            window->close();
    }
    SaveSettings();
}

void frmMain::BoardNum_Validate(bool &Cancel)
{
    validateNumber(BoardNum, FieldCheck::boardNumber(), Cancel);
}

void frmMain::Bright_Validate(bool &Cancel)
{
    validateNumber(Bright, FieldCheck::brightness(), Cancel);
}

void frmMain::validateNumber(QLineEdit *field, const FieldCheck &check, bool &Cancel)
{
    if (ValidateBusy)
        return;
    ValidateBusy = true;
    const FieldCheck::Outcome outcome = check.check(field->text());
    if (outcome.passes) {
        if (field->text() != outcome.text)
            field->setText(outcome.text);
    } else {
        MsgBox::show(this, check.message());
        Cancel = true;
    }
    ValidateBusy = false;
}
