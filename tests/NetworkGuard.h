#ifndef NETWORKGUARD_H
#define NETWORKGUARD_H

#include <QNetworkInterface>

// Broadcasts may only be sent where every interface is a loopback: inside
// the private network namespace that sandbox.sh makes.
inline bool onlyLoopbackNetwork()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        if (!interface.flags().testFlag(QNetworkInterface::IsLoopBack))
            return false;
    }
    return true;
}

#define REQUIRE_PRIVATE_NETWORK()                                                        \
    if (!onlyLoopbackNetwork())                                                          \
        QSKIP("This test sends UDP broadcasts: run it through ctest, which starts it "   \
              "in a private network namespace (tests/sandbox.sh)")

#endif
