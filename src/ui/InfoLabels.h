#ifndef INFOLABELS_H
#define INFOLABELS_H

#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;

// The labels and logo of the splash and About windows, placed in twips.
namespace InfoLabels {

QFont arial(qreal points, bool bold = false, bool italic = false);

// A label that sizes itself to its text.
QLabel *add(QWidget *parent, const char *name, const QString &text, QRect twips,
            const QFont &font = QFont());

// The maker's logo in a sunken picture box.
QLabel *addLogo(QWidget *parent, QRect twips);

}

#endif
