#ifndef NETWORKGUARD_H
#define NETWORKGUARD_H

#include <QNetworkInterface>

// Broadcasts may only be sent where the loopback is the only interface:
// inside the private network namespace that sandbox.sh makes.
#define REQUIRE_PRIVATE_NETWORK() \
    if (const auto all = QNetworkInterface::allInterfaces(); \
        all.size() != 1 || !all.first().flags().testFlag(QNetworkInterface::IsLoopBack)) \
    QSKIP("This test sends UDP broadcasts: run it through ctest, which starts it " \
          "in a private network namespace (tests/sandbox.sh)")

#endif
