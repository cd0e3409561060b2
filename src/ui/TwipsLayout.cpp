#include "ui/TwipsLayout.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>

QLabel *TwipsLayout::label(const char *name, const QString &text, const QRect &twips, const QFont &font, Width width)
{
    QLabel *control = place(new QLabel(text, m_parent), name, twips);
    if (font != QFont())
        control->setFont(font);
    if (width == Width::FitsText)
        fitWidthToText(control);
    return control;
}

QPushButton *TwipsLayout::button(const char *name, const QString &caption, const QRect &twips)
{
    return place(new QPushButton(caption, m_parent), name, twips);
}

QLabel *TwipsLayout::logo(const QRect &twips)
{
    QLabel *logo = place(new QLabel(m_parent), "picLogo", twips);
    logo->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    logo->setAlignment(Qt::AlignCenter);
    logo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    return logo;
}

void TwipsLayout::fitWidthToText(QLabel *label)
{
    const QPoint topLeft = label->pos();
    label->adjustSize();
    const int margin = Twips::toPixels(165); // SEND's distance from the window's edge
    const int room = label->parentWidget() ? label->parentWidget()->width() - margin : topLeft.x() + label->width();
    label->move(qMax(0, qMin(topLeft.x(), room - label->width())), topLeft.y());
}

QFont TwipsLayout::arial(qreal points, bool bold, bool italic)
{
    QFont font;
    font.setFamilies({ QStringLiteral("Arial"), font.family() });
    font.setPixelSize(qRound(points * 96 / 72));
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont TwipsLayout::fixedFont(qreal points)
{
    QFont font(QStringLiteral("Lucida Console"));
    if (!QFontDatabase::hasFamily(font.family()))
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(points);
    return font;
}
