#ifndef CONTENTARCHIVE_H
#define CONTENTARCHIVE_H

#include "engine/Alert.h"
#include "engine/PlaylistItem.h"
#include "store/ServeStore.h"

#include <QList>
#include <QMap>
#include <QString>

// A service's whole content, as export writes it and import replaces it
// with: what each board is (declared with its name and groups, or known by
// its playlist alone), the live alerts (one entry for an alert a group
// shares), and the counters. Alert ids and the journal are not content: a
// new service gives ids of its own.
struct ContentArchive
{
    static constexpr int formatVersion = 1;

    struct Board
    {
        int number = 0;
        bool declared = false;
        ServeStore::Declaration declaration;
        QList<PlaylistItem> playlist;
    };
    struct SharedAlert
    {
        QList<int> boards; // ascending
        Alert alert; // its group: the group it was sent to, or empty
    };

    QList<Board> boards; // ascending by number
    QList<SharedAlert> alerts; // in the order they were raised
    QMap<QString, qint64> counters;
};

#endif
