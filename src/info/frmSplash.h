#ifndef FRMSPLASH_H
#define FRMSPLASH_H

#include <QWidget>

// Covers the first second of the start: no caption, no border, and no
// answer to a click or a key; the start-up routine alone removes it.
class frmSplash : public QWidget
{
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);
};

#endif
