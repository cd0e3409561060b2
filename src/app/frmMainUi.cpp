#include "app/frmMainUi.h"

#include "common/AppInfo.h"
#include "protocol/PresentMode.h"
#include "ui/ControlCharValidator.h"
#include "ui/TwipsLayout.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <limits>

namespace Ui {

namespace {

// Control characters never get into a field, and no field has a length limit.
QLineEdit *typed(QLineEdit *edit)
{
    edit->setValidator(new ControlCharValidator(edit));
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

} // namespace

void frmMain::setupUi(QWidget *window)
{
    window->setWindowTitle(AppInfo::caption());
    window->resize(Twips::toPixels(10170), Twips::toPixels(1575));
    window->setFont(TwipsLayout::dialogFont());

    TwipsLayout layout(window);
    using Width = TwipsLayout::Width;
    layout.label("Label1", QStringLiteral("Current Message"), { 240, 180, 4320, 225 }, {}, Width::Designed);
    CurMsg = layout.place(new QComboBox(window), "CurMsg", { 240, 390, 9780, 315 });
    CurMsg->setEditable(true);
    CurMsg->setInsertPolicy(QComboBox::NoInsert); // the history decides what the list holds
    CurMsg->setCompleter(nullptr);
    typed(CurMsg->lineEdit());
    CurMsg->setFont(TwipsLayout::fixedFont(9.75));
    CurMsg->setEditText(QString(20, u'A') + QString(20, u'B') + QString(20, u'C') + QString(20, u'D'));

    layout.label("Label2", QStringLiteral("Message Board Number"), { 240, 870, 1710, 195 });
    BoardNum = typed(layout.place(new QLineEdit(QStringLiteral("0"), window), "BoardNum", { 240, 1110, 1320, 330 }));
    layout.label("Label3", QStringLiteral("Brightness"), { 2100, 870, 735, 195 });
    Bright = typed(layout.place(new QLineEdit(QStringLiteral("75"), window), "Bright", { 2085, 1110, 375, 330 }));
    layout.label("Label4", QStringLiteral("Presentation"), { 3045, 870, 1170, 225 }, {}, Width::Designed);
    Present = layout.place(new QComboBox(window), "Present", { 3045, 1080, 2220, 315 });
    Present->addItems(PresentMode::names);
    Present->setCurrentIndex(-1);

    Help = layout.button("Help", QStringLiteral("HELP"), { 5430, 960, 1320, 480 });
    Exit = layout.button("Exit", QStringLiteral("EXIT"), { 7057, 960, 1320, 480 });
    Send = layout.button("Send", QStringLiteral("SEND"), { 8685, 960, 1320, 480 });
    Send->setDefault(true); // drawn as the default; DefaultButtons gives it the Enter key
    layout.label("Label5", QStringLiteral("%"), { 2460, 1170, 210, 165 }, {}, Width::Designed);
    CommUse = layout.label("CommUse", QStringLiteral("Using "), { 9060, 105, 900, 195 });
    CommUse->setAlignment(Qt::AlignCenter);

    QWidget *order[] = { CurMsg, BoardNum, Bright, Present, Help, Exit, Send };
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    createHelpMenu(window);
    CurMsg->setFocus();
}

void frmMain::createHelpMenu(QWidget *window)
{
    MnuHelp = new QMenu(QStringLiteral("Help Popup"), window);
    MnuHelp->setObjectName(QStringLiteral("MnuHelp"));
    auto item = [this](const char *name, const QString &caption) {
        QAction *action = caption.isEmpty() ? MnuHelp->addSeparator() : MnuHelp->addAction(caption);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    mnuHelpTopics = item("mnuHelpTopics", QStringLiteral("Help Topics..."));
    item("mnuHelpDiv1", {});
    mnuHelpWeb = item("mnuHelpWeb", QStringLiteral("Varo on the Web"));
    item("MnuHelpDiv2", {});
    MnuHelpAbout = item("MnuHelpAbout", QStringLiteral("About Varo Message Board..."));
}

} // namespace Ui
