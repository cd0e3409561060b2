#include "ui/InfoLabels.h"

#include "ui/Twips.h"

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
    QLabel *label = Twips::place(new QLabel(text, parent), name, twips);
    if (font != QFont())
        label->setFont(font);
    Twips::fitWidthToText(label);
    return label;
}

QLabel *addLogo(QWidget *parent, QRect twips)
{
    QLabel *logo = Twips::place(new QLabel(parent), "picLogo", twips);
    logo->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    logo->setAlignment(Qt::AlignCenter);
    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    return logo;
}

} // namespace InfoLabels
