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
    static constexpr int schemaVersion = 2;
    static constexpr qint64 journalLimit = 100000;
    // Characters of a text and bytes of a frame kept apart at the front of
    // each journal entry: a page of the journal reads these, never the whole.
    static constexpr int journalHead = 200;

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
        QString text; // read back: the first journalHead characters
        QString source;
        QByteArray bytes; // read back: the first journalHead bytes
        bool failed = false; // the line did not take it
        qint64 id = 0; // read back: the entry's id, and the whole lengths
        qint64 textLength = 0;
        qint64 byteLength = 0;
    };
    struct JournalPage
    {
        int board = -1; // -1: all
        qint64 before = 0; // entries older than this id; 0: the newest
        int limit = 50;
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
    QList<JournalEntry> journal(const JournalPage &page) const; // newest first

private:
    Outcome failure(const QString &description) const;
    QSqlQuery &statement(const char *sql);
    Outcome exec(QSqlQuery &query) const;
    Outcome migrate(int version);

    QString m_connection;
    QString m_path;
    QSqlDatabase m_db;
    std::map<const char *, std::unique_ptr<QSqlQuery>> m_statements;
};

#endif
