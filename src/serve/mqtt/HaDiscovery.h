#ifndef HADISCOVERY_H
#define HADISCOVERY_H

#include <QByteArray>
#include <QList>
#include <QString>

// Home Assistant's MQTT discovery for one service: per board one device with
// four entities (the message as text, the mode as select, the brightness as a
// number, what it shows as a sensor), each announced by a retained config
// message and withdrawn by an empty one. Ids are built from the service's
// topic prefix, which already sets the services on one broker apart.
class HaDiscovery
{
public:
    struct Message
    {
        QString topic;
        QByteArray payload; // JSON, or empty to withdraw
    };

    HaDiscovery(const QString &haPrefix, const QString &prefix);

    // name: the board's declared name, which names its device ("Hall B
    // north (12)"); empty: "P board N".
    QList<Message> announce(int board, const QString &name = {}) const;
    QList<Message> withdraw(int board) const;

    // Home Assistant's text entity keeps at most this many characters.
    static constexpr int textMax = 255;

private:
    QString objectId(int board) const;
    QString configTopic(const QString &component, int board) const;

    QString m_haPrefix;
    QString m_prefix;
};

#endif
