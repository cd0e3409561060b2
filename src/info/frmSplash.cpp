#include "info/frmSplash.h"

#include "common/AppInfo.h"
#include "ui/InfoLabels.h"
#include "ui/Twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

using InfoLabels::arial;

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(Twips::toPixels(8280), Twips::toPixels(3930));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    QFrame *frame = Twips::place(new QFrame(this), "fraMainFrame", { -15, 45, 8325, 3915 });
    frame->setFrameShape(QFrame::Box);

    InfoLabels::addLogo(frame, { 630, 420, 1980, 795 });
    InfoLabels::add(frame, "lblCopyright", QStringLiteral("Copyright \u00A9 2001 Varo Display Systems"),
                    { 630, 3300, 3330, 240 }, arial(9.75));
    InfoLabels::add(frame, "lblCompany", QStringLiteral("Varo Display Systems, Inc."),
                    { 5085, 3315, 2520, 240 }, arial(9.75));
    QLabel *version = InfoLabels::add(frame, "lblVersion", AppInfo::versionText(),
                                      { 675, 2685, 1320, 285 }, arial(12, true));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    InfoLabels::add(frame, "lblCompanyProduct", QStringLiteral("Varo Display Systems"),
                    { 3315, 555, 4050, 435 }, arial(18, true));
    InfoLabels::add(frame, "lblProductName", QStringLiteral("Message Board"),
                    { 630, 1410, 7140, 1110 }, arial(48, true, true));
}
