#ifndef SERVESTORE_H
#define SERVESTORE_H

#include "common/Outcome.h"

#include <QByteArray>
#include <QDateTime>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

// VaroServe's database (SQLite): playlists, alerts and counters as the
// content reader writes them (JSON text), and the journal of frames sent.
// Each change is committed before the call returns. SQL only: what the
// JSON means is the caller's business.
class ServeStore
{
public:
    static constexpr int schemaVersion = 4;
    static constexpr qint64 journalLimit = 100000;
    static constexpr qint64 auditLimit = 100000;
    // Characters of a text and bytes of a frame kept apart at the front of
    // each journal entry: a page of the journal reads these, never the whole.
    static constexpr int journalHead = 200;

    struct StoredAlert
    {
        qint64 id = 0;
        int board = 0;
        QByteArray record;
        QString group; // the group it was sent to; empty: the board's own
    };
    // A board's name (null: none) and the groups it is in.
    struct Declaration
    {
        QString name;
        QStringList groups;
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
    // One change asked for, applied or refused.
    struct AuditEntry
    {
        QDateTime time;
        QString who; // a token's name, "mqtt" or "local"; empty: a refused token
        QString origin; // an address or a topic
        QString what; // the method and path, or the topic
        QList<int> boards;
        QString error; // empty: applied
        qint64 id = 0; // read back
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

    // Changes between begin() and commit() are one transaction; they nest.
    Outcome begin();
    Outcome commit();
    void rollback();

    QMap<int, Declaration> boards() const;
    Outcome declareBoard(int board, const Declaration &declaration);
    Outcome forgetBoard(int board, bool &declared);

    QMap<int, QByteArray> playlists() const;
    QList<StoredAlert> alerts() const;
    QMap<QString, qint64> counters() const;

    Outcome setPlaylist(int board, const QByteArray &items); // an empty text removes it
    // One alert on each of the boards; its id, never given before, comes
    // back in id. group: the group it was sent to, or empty.
    Outcome addAlert(const QList<int> &boards, const QByteArray &record, const QDateTime &ends, const QString &group,
                     qint64 &id);
    Outcome deleteAlert(qint64 id, int board); // AlertUnknown when that board has none
    // The group's alert id on every board, or with id 0 all alerts sent to
    // the group; AlertUnknown when id names none.
    Outcome deleteGroupAlerts(const QString &group, qint64 id = 0);
    Outcome clearAlerts(int board);
    Outcome dropAlertsEndedBy(const QDateTime &now);
    Outcome setCounter(const QString &name, qint64 value);
    // Every declaration, playlist, alert and counter gone (the journal and
    // the alert ids stay): the content about to be replaced as a whole.
    Outcome clearContent();
    // Changes the database refused to make durable since the store opened.
    qint64 commitFailures() const { return m_commitFailures; }

    // In one transaction; keeps the newest journalLimit entries.
    Outcome appendJournal(const QList<JournalEntry> &entries);
    QList<JournalEntry> journal(const JournalPage &page) const; // newest first
    // One insert, committed before it returns; keeps the newest auditLimit.
    Outcome appendAudit(const AuditEntry &entry);
    QList<AuditEntry> audit(const JournalPage &page) const; // newest first

private:
    Outcome failure(const QString &description) const;
    Outcome createPrivately(const QFileInfo &file) const;
    QSqlQuery &statement(const char *sql);
    Outcome exec(QSqlQuery &query) const;
    Outcome keepNewest(Outcome outcome, QSqlQuery &trim, const QSqlQuery &put, qint64 limit);
    Outcome migrate(int version);

    QString m_connection;
    QString m_path;
    QSqlDatabase m_db;
    std::map<const char *, std::unique_ptr<QSqlQuery>> m_statements;
    int m_depth = 0; // transactions begun and not yet ended
    bool m_rolledBack = false;
    mutable qint64 m_commitFailures = 0;
};

#endif
