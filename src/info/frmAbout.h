#ifndef FRMABOUT_H
#define FRMABOUT_H

#include <QDialog>

// The About window: the product, its version and how to reach the maker.
// OK answers both Enter and Esc.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent);
};

#endif
