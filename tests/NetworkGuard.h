#ifndef NETWORKGUARD_H
#define NETWORKGUARD_H

#include <QNetworkInterface>

#include <algorithm>

// Broadcasts may only be sent where every interface is a loopback: inside
// the private network namespace that sandbox.sh makes.
inline bool onlyLoopbackNetwork()
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    return std::all_of(interfaces.begin(), interfaces.end(), [](const QNetworkInterface &interface) {
        return interface.flags().testFlag(QNetworkInterface::IsLoopBack);
    });
}

#define REQUIRE_PRIVATE_NETWORK()                                                        \
    if (!onlyLoopbackNetwork())                                                          \
        QSKIP("This test sends UDP broadcasts: run it through ctest, which starts it "   \
              "in a private network namespace (tests/sandbox.sh)")

#endif
