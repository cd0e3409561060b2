#include "InfoLabels.h"

#include "Twips.h"

#include <QLabel>

namespace InfoLabels {

QFont arial(qreal points, bool bold, bool italic)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QLabel *add(QWidget *parent, const char *name, const QString &text, QRect twips, const QFont &font)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    if (font != QFont())
        label->setFont(font);
    label->setGeometry(Twips::toPixels(twips));
    Twips::fitWidthToText(label);
    return label;
}

QLabel *addLogo(QWidget *parent, QRect twips)
{
    auto *logo = new QLabel(parent);
    logo->setObjectName(QStringLiteral("picLogo"));
    logo->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    logo->setAlignment(Qt::AlignCenter);
    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    logo->setGeometry(Twips::toPixels(twips));
    return logo;
}

} // namespace InfoLabels
