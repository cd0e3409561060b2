#include "serve/ContentTransfer.h"

#include "serve/content/ContentJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace ContentTransfer {

ContentArchive read(const ServeStore &store, const QDateTime &now)
{
    ContentArchive archive;
    const QMap<int, ServeStore::Declaration> declared = store.boards();
    const QMap<int, QByteArray> playlists = store.playlists();
    QList<int> numbers = declared.keys() + playlists.keys();
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    for (const int number : std::as_const(numbers)) {
        ContentArchive::Board board { number, declared.contains(number), declared.value(number), {} };
        if (playlists.contains(number))
            board.playlist = ContentJson::playlist(QJsonDocument::fromJson(playlists.value(number)).array()).value;
        if (board.declared || !board.playlist.isEmpty())
            archive.boards.append(board);
    }
    // The store keeps a shared alert once per board, under one id.
    for (const ServeStore::StoredAlert &stored : store.alerts()) {
        if (!archive.alerts.isEmpty() && archive.alerts.last().alert.id == stored.id) {
            archive.alerts.last().boards.append(stored.board);
            continue;
        }
        auto alert = ContentJson::alertRecord(QJsonDocument::fromJson(stored.record).object());
        if (!alert.ok() || alert.value.ends <= now)
            continue;
        alert.value.id = stored.id;
        alert.value.group = stored.group;
        archive.alerts.append({ { stored.board }, alert.value });
    }
    for (ContentArchive::SharedAlert &shared : archive.alerts)
        shared.alert.id = 0;
    archive.counters = store.counters();
    return archive;
}

Outcome write(ServeStore &store, const ContentArchive &archive)
{
    const auto compact = [](const QJsonArray &json) { return QJsonDocument(json).toJson(QJsonDocument::Compact); };
    Outcome written = store.begin();
    if (written.ok())
        written = store.clearContent();
    for (const ContentArchive::Board &board : archive.boards) {
        if (written.ok() && board.declared)
            written = store.declareBoard(board.number, board.declaration);
        if (written.ok() && !board.playlist.isEmpty())
            written = store.setPlaylist(board.number, compact(ContentJson::toJson(board.playlist)));
    }
    for (const ContentArchive::SharedAlert &shared : archive.alerts) {
        qint64 id = 0;
        const QByteArray record = QJsonDocument(ContentJson::record(shared.alert)).toJson(QJsonDocument::Compact);
        if (written.ok())
            written = store.addAlert(shared.boards, record, shared.alert.ends, shared.alert.group, id);
    }
    for (auto it = archive.counters.cbegin(); written.ok() && it != archive.counters.cend(); ++it)
        written = store.setCounter(it.key(), it.value());
    if (!written.ok()) {
        store.rollback();
        return written;
    }
    return store.commit();
}

} // namespace ContentTransfer
