#ifndef TWIPSLAYOUT_H
#define TWIPSLAYOUT_H

#include "ui/Twips.h"

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// Puts named controls at their designed twip rectangles in a window.
class TwipsLayout
{
public:
    explicit TwipsLayout(QWidget *parent)
        : m_parent(parent)
    { }

    enum class Width { Designed, FitsText };

    template<typename Control> Control *place(Control *control, const char *name, const QRect &twips)
    {
        control->setObjectName(QLatin1String(name));
        control->setGeometry(Twips::toPixels(twips));
        return control;
    }

    QLabel *label(const char *name, const QString &text, const QRect &twips, const QFont &font = QFont(),
                  Width width = Width::FitsText);
    QPushButton *button(const char *name, const QString &caption, const QRect &twips);
    // The maker's logo in a sunken picture box.
    QLabel *logo(const QRect &twips);

    // A label that sizes itself to its text, keeping its left edge; one that
    // would then pass its window's right edge grows to the left instead.
    static void fitWidthToText(QLabel *label);

    // Arial (Liberation Sans on Linux) at a point size of a 96 dpi screen,
    // held in pixels so that texts keep fitting their designed widths.
    static QFont arial(qreal points, bool bold = false, bool italic = false);
    // The windows' default font: 8.25 point Arial.
    static QFont dialogFont() { return arial(8.25); }
    // Lucida Console, or the system's fixed-pitch font where it is absent.
    static QFont fixedFont(qreal points);

private:
    QWidget *m_parent;
};

#endif
