#include "frmSplash.h"

#include "AppInfo.h"
#include "Twips.h"

#include <QFrame>
#include <QLabel>
#include <QGuiApplication>
#include <QScreen>

namespace {

QFont arial(qreal points, bool bold, bool italic = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, QRect twips, const QFont &font)
{
    auto *control = new QLabel(text, parent);
    control->setObjectName(QLatin1String(name));
    control->setFont(font);
    control->setGeometry(Twips::toPixels(twips));
    Twips::fitWidthToText(control);
    return control;
}

} // namespace

frmSplash::frmSplash(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixels(8280), Twips::toPixels(3930));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("fraMainFrame"));
    frame->setFrameShape(QFrame::Box);
    frame->setGeometry(Twips::toPixels(QRect(-15, 45, 8325, 3915)));

    auto *logo = new QLabel(frame);
    logo->setObjectName(QStringLiteral("picLogo"));
    logo->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    logo->setAlignment(Qt::AlignCenter);
    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    logo->setGeometry(Twips::toPixels(QRect(630, 420, 1980, 795)));

    label(frame, "lblCopyright", QStringLiteral("Copyright \u00A9 2001 Varo Display Systems"),
          { 630, 3300, 3330, 240 }, arial(9.75, false));
    label(frame, "lblCompany", QStringLiteral("Varo Display Systems, Inc."),
          { 5085, 3315, 2520, 240 }, arial(9.75, false));
    QLabel *version = label(frame, "lblVersion", AppInfo::versionText(),
                            { 675, 2685, 1320, 285 }, arial(12, true));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label(frame, "lblCompanyProduct", QStringLiteral("Varo Display Systems"),
          { 3315, 555, 4050, 435 }, arial(18, true));
    label(frame, "lblProductName", QStringLiteral("Message Board"),
          { 630, 1410, 7140, 1110 }, arial(48, true, true));
}
