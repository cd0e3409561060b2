#ifndef SERVESTORE_H
#define SERVESTORE_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <map>
#include <memory>

// VaroServe's database (SQLite): playlists, alerts and counters as the
// content reader writes them (JSON text), and the journal of frames sent.
// Each change is committed before the call returns. SQL only: what the
// JSON means is the caller's business.
class ServeStore
{
public:
    static constexpr int schemaVersion = 1;
    static constexpr qint64 journalLimit = 100000;

    struct StoredAlert
    {
        qint64 id = 0;
        int board = 0;
        QByteArray record;
    };
    struct JournalEntry
    {
        QDateTime time;
        int board = 0;
        QString text;
        QString source;
        QByteArray bytes;
    };

    ServeStore();
    ~ServeStore();
    ServeStore(const ServeStore &) = delete;
    ServeStore &operator=(const ServeStore &) = delete;

    // Creates the file and its folder when missing. A file that is not a
    // regular one, not a database, another program's database or of a newer
    // schema is refused and left as it is. The file stays locked against a
    // second service until close().
    Outcome open(const QString &path);
    void close();
    QString path() const { return m_path; }

    QMap<int, QByteArray> playlists() const;
    QList<StoredAlert> alerts() const;
    QMap<QString, qint64> counters() const;

    Outcome setPlaylist(int board, const QByteArray &items); // an empty text removes it
    // The new alert's id, never given before, comes back in id.
    Outcome addAlert(int board, const QByteArray &record, const QDateTime &ends, qint64 &id);
    Outcome deleteAlert(qint64 id); // AlertUnknown when there is none
    Outcome clearAlerts(int board);
    Outcome dropAlertsEndedBy(const QDateTime &now);
    Outcome setCounter(const QString &name, qint64 value);

    // In one transaction; keeps the newest journalLimit entries.
    Outcome appendJournal(const QList<JournalEntry> &entries);
    QList<JournalEntry> journal(int board, int limit) const; // board -1: all; newest first

private:
    Outcome failure(const QString &description) const;
    QSqlQuery &statement(const char *sql);
    Outcome exec(QSqlQuery &query) const;
    Outcome createSchema();

    QString m_connection;
    QString m_path;
    QSqlDatabase m_db;
    std::map<const char *, std::unique_ptr<QSqlQuery>> m_statements;
};

#endif
