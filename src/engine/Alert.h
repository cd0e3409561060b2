#ifndef ALERT_H
#define ALERT_H

#include <QDateTime>
#include <QString>

// A text that pre-empts a board's playlist while it lives.
struct Alert
{
    qint64 id = 0; // given by the store, never reused
    QString text; // after the typed-text treatment, fields unexpanded
    int mode = 0;
    int brightness = 99;
    int priority = 5; // 1..9, 9 highest
    QDateTime raised;
    QDateTime ends; // lives while now < ends
    QString group; // the group it was sent to, with the same id on each board; empty: the board's own

    friend bool operator==(const Alert &, const Alert &) = default;
};

#endif
