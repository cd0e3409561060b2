#include "engine/BoardEngine.h"

#include "ManualClock.h"

#include <QTest>

class tst_engine : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(tst_engine)
#include "tst_engine.moc"
