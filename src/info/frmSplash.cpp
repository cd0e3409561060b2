#include "info/frmSplash.h"

#include "common/AppInfo.h"
#include "ui/TwipsLayout.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(Twips::toPixels(8280), Twips::toPixels(3930));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    QFrame *frame = TwipsLayout(this).place(new QFrame(this), "fraMainFrame", { -15, 45, 8325, 3915 });
    frame->setFrameShape(QFrame::Box);

    using Font = TwipsLayout;
    TwipsLayout layout(frame);
    layout.logo({ 630, 420, 1980, 795 });
    layout.label("lblCopyright", QStringLiteral("Copyright \u00A9 2001 Varo Display Systems"), { 630, 3300, 3330, 240 },
                 Font::arial(9.75));
    layout.label("lblCompany", AppInfo::maker, { 5085, 3315, 2520, 240 }, Font::arial(9.75));
    QLabel *version
            = layout.label("lblVersion", AppInfo::versionText(), { 675, 2685, 1320, 285 }, Font::arial(12, true));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout.label("lblCompanyProduct", QStringLiteral("Varo Display Systems"), { 3315, 555, 4050, 435 },
                 Font::arial(18, true));
    layout.label("lblProductName", AppInfo::productName, { 630, 1410, 7140, 1110 }, Font::arial(48, true, true));
}
