#include "store/ServeStore.h"
#include "store/StoreOutcome.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <QVariant>

#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char header[] = "SQLite format 3";

// SQLite's own result code for a file that is not one of its databases.
const QString notADatabase = QStringLiteral("26");
const QString busy = QStringLiteral("5"); // SQLITE_BUSY: another connection holds the lock

// The steps from each version to the next, in order: a new store takes
// them all, an older one those it lacks, its data kept.
const std::vector<std::vector<const char *>> steps = {
    {
            "CREATE TABLE playlists (board INTEGER PRIMARY KEY, items TEXT NOT NULL)",
            // AUTOINCREMENT: an alert's id is never given again, even after deletes.
            "CREATE TABLE alerts (id INTEGER PRIMARY KEY AUTOINCREMENT, board INTEGER NOT NULL, "
            "record TEXT NOT NULL, ends INTEGER NOT NULL)",
            "CREATE TABLE counters (name TEXT PRIMARY KEY, value INTEGER NOT NULL)",
            "CREATE TABLE journal (id INTEGER PRIMARY KEY AUTOINCREMENT, time INTEGER NOT NULL, "
            "board INTEGER NOT NULL, text TEXT NOT NULL, source TEXT NOT NULL, bytes BLOB NOT NULL)",
            "CREATE INDEX journal_by_board ON journal (board, id)",
    },
    {
            // Whether the line took each frame, and the short columns first:
            // SQLite reads a row from its start, so a page of the journal
            // never reads through texts and frames of 64 KiB.
            "ALTER TABLE journal RENAME TO journal_before",
            "CREATE TABLE journal (id INTEGER PRIMARY KEY AUTOINCREMENT, time INTEGER NOT NULL, "
            "board INTEGER NOT NULL, source TEXT NOT NULL, failed INTEGER NOT NULL, "
            "text_length INTEGER NOT NULL, byte_length INTEGER NOT NULL, text_head TEXT NOT NULL, "
            "bytes_head BLOB NOT NULL, text TEXT NOT NULL, bytes BLOB NOT NULL)",
            "INSERT INTO journal SELECT id, time, board, source, 0, length(text), length(bytes), "
            "substr(text, 1, 200), substr(bytes, 1, 200), text, bytes FROM journal_before",
            "DROP TABLE journal_before",
            "CREATE INDEX journal_by_board ON journal (board, id)",
    },
    {
            // Boards with a name and groups. An alert sent to a group is one
            // id on each of its boards; the ids come from a table of their
            // own, which goes on from the highest id the alerts had.
            "CREATE TABLE boards (board INTEGER PRIMARY KEY, name TEXT, groups TEXT NOT NULL)",
            "CREATE TABLE alert_ids (id INTEGER PRIMARY KEY AUTOINCREMENT)",
            "CREATE TABLE IF NOT EXISTS alerts (id INTEGER PRIMARY KEY AUTOINCREMENT, board INTEGER NOT NULL, "
            "record TEXT NOT NULL, ends INTEGER NOT NULL)",
            "INSERT INTO alert_ids (id) SELECT seq FROM sqlite_sequence WHERE name = 'alerts'",
            "DELETE FROM alert_ids",
            "ALTER TABLE alerts RENAME TO alerts_before",
            "CREATE TABLE alerts (id INTEGER NOT NULL, board INTEGER NOT NULL, grp TEXT NOT NULL, "
            "record TEXT NOT NULL, ends INTEGER NOT NULL, PRIMARY KEY (id, board))",
            "INSERT INTO alerts SELECT id, board, '', record, ends FROM alerts_before",
            "DROP TABLE alerts_before",
    },
    {
            // Who asked for each change and what became of it. The boards as
            // ",3,5,", so that one of them is found with LIKE.
            "CREATE TABLE audit (id INTEGER PRIMARY KEY AUTOINCREMENT, time INTEGER NOT NULL, who TEXT NOT NULL, "
            "origin TEXT NOT NULL, what TEXT NOT NULL, boards TEXT NOT NULL, error TEXT NOT NULL)",
    },
};

} // namespace

ServeStore::ServeStore()
{
    static int instances = 0;
    m_connection = QStringLiteral("varoserve-store-%1").arg(++instances);
}

ServeStore::~ServeStore()
{
    close();
}

Outcome ServeStore::open(const QString &path)
{
    close();
    m_path = path;
    const QFileInfo file(path);
    if (file.isSymLink() ? !file.exists() || !file.isFile() : file.exists() && !file.isFile())
        return { StoreOutcome::NotRegular, path };
    // SQLite takes a file shorter than a page for an empty database and
    // would write over it: anything there must start as a database does.
    if (file.size() > 0) {
        QFile existing(path);
        if (!existing.open(QIODevice::ReadOnly))
            return failure(existing.errorString());
        if (existing.read(sizeof header - 1) != QByteArray(header))
            return { StoreOutcome::NotDatabase, path, {}, 0, QStringLiteral("it does not begin as SQLite's files do") };
    }
    if (!file.exists()) {
        if (const Outcome made = createPrivately(file); !made.ok())
            return made;
    }

    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!m_db.isValid())
        return failure(QStringLiteral("Qt's SQLite driver is missing (libqt6sql6-sqlite)"));
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
    if (!m_db.open())
        return failure(m_db.lastError().text());

    QSqlQuery query(m_db);
    // Exclusive: a second service on the same file fails at its first read
    // instead of driving the same boards from a copy of the content.
    query.exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        const QSqlError error = query.lastError();
        if (error.nativeErrorCode() == busy)
            return { StoreOutcome::InUse, path };
        return error.nativeErrorCode() == notADatabase
                ? Outcome { StoreOutcome::NotDatabase, path, {}, 0, error.text() }
                : failure(error.text());
    }
    const int version = query.value(0).toInt();
    if (version > schemaVersion)
        return { StoreOutcome::Newer, path, {}, 0, QString::number(version) };
    if (version == 0) {
        if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next())
            return failure(query.lastError().text());
        if (query.value(0).toInt() > 0)
            return { StoreOutcome::Foreign, path };
    }
    // WAL with NORMAL sync: a commit survives the process being killed; only
    // a power cut may lose the last moments.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !query.next())
        return failure(query.lastError().text());
    query.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    query.finish(); // a statement left open would keep an upgrade from dropping a table
    if (version < schemaVersion) {
        if (const Outcome migrated = migrate(version); !migrated.ok())
            return migrated;
    }
    // Takes the exclusive lock now rather than at the first change.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")) || !query.exec(QStringLiteral("COMMIT")))
        return query.lastError().nativeErrorCode() == busy ? Outcome { StoreOutcome::InUse, path }
                                                           : failure(query.lastError().text());

    return {};
}

// A new store, its folders and the files SQLite adds beside it (which take
// the store's own mode) are for the service's user alone.
Outcome ServeStore::createPrivately(const QFileInfo &file) const
{
    const QByteArray folder = QFile::encodeName(file.absolutePath());
    for (qsizetype slash = folder.indexOf('/', 1); slash >= 0; slash = folder.indexOf('/', slash + 1))
        ::mkdir(folder.left(slash).constData(), 0700);
    ::mkdir(folder.constData(), 0700);
    if (!QFileInfo(file.absolutePath()).isDir())
        return failure(QStringLiteral("Unable to create the folder \"%1\"").arg(file.absolutePath()));
    const int made = ::open(QFile::encodeName(file.absoluteFilePath()).constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (made < 0)
        return failure(QString::fromLocal8Bit(::strerror(errno)));
    ::close(made);
    return {};
}

Outcome ServeStore::migrate(int version)
{
    static_assert(journalHead == 200, "the upgrade step cuts the heads at 200");
    if (!m_db.transaction())
        return failure(m_db.lastError().text());
    QSqlQuery query(m_db);
    for (int step = version; step < schemaVersion; ++step) {
        for (const char *statement : steps.at(step)) {
            if (!query.exec(QString::fromLatin1(statement))) {
                const Outcome failed = failure(query.lastError().text());
                m_db.rollback();
                return failed;
            }
        }
    }
    query.exec(QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion));
    if (!m_db.commit())
        return failure(m_db.lastError().text());
    return {};
}

void ServeStore::close()
{
    if (!m_db.isValid())
        return;
    m_statements.clear();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

Outcome ServeStore::failure(const QString &description) const
{
    return { StoreOutcome::Failed, m_path, {}, 0, description };
}

// Prepared once: a change then costs no parsing.
QSqlQuery &ServeStore::statement(const char *sql)
{
    std::unique_ptr<QSqlQuery> &query = m_statements[sql];
    if (!query) {
        query = std::make_unique<QSqlQuery>(m_db);
        query->prepare(QString::fromLatin1(sql));
    }
    return *query;
}

Outcome ServeStore::exec(QSqlQuery &query) const
{
    if (query.exec())
        return {};
    // Outside a transaction each statement is its own commit.
    if (m_depth == 0)
        ++m_commitFailures;
    return failure(query.lastError().text());
}

QMap<int, QByteArray> ServeStore::playlists() const
{
    QMap<int, QByteArray> result;
    QSqlQuery query(QStringLiteral("SELECT board, items FROM playlists"), m_db);
    while (query.next())
        result.insert(query.value(0).toInt(), query.value(1).toString().toUtf8());
    return result;
}

QList<ServeStore::StoredAlert> ServeStore::alerts() const
{
    QList<StoredAlert> result;
    QSqlQuery query(QStringLiteral("SELECT id, board, record, grp FROM alerts ORDER BY id, board"), m_db);
    while (query.next())
        result.append({ query.value(0).toLongLong(), query.value(1).toInt(), query.value(2).toString().toUtf8(),
                        query.value(3).toString() });
    return result;
}

QMap<QString, qint64> ServeStore::counters() const
{
    QMap<QString, qint64> result;
    QSqlQuery query(QStringLiteral("SELECT name, value FROM counters"), m_db);
    while (query.next())
        result.insert(query.value(0).toString(), query.value(1).toLongLong());
    return result;
}

QMap<int, ServeStore::Declaration> ServeStore::boards() const
{
    QMap<int, Declaration> result;
    QSqlQuery query(QStringLiteral("SELECT board, name, groups FROM boards"), m_db);
    while (query.next())
        result.insert(query.value(0).toInt(),
                      { query.value(1).toString(), query.value(2).toString().split(u' ', Qt::SkipEmptyParts) });
    return result;
}

Outcome ServeStore::declareBoard(int board, const Declaration &declaration)
{
    QSqlQuery &query = statement("INSERT OR REPLACE INTO boards (board, name, groups) VALUES (?, ?, ?)");
    query.addBindValue(board);
    query.addBindValue(declaration.name.isNull() ? QVariant() : QVariant(declaration.name));
    query.addBindValue(declaration.groups.isEmpty() ? QStringLiteral("") : declaration.groups.join(u' '));
    return exec(query);
}

Outcome ServeStore::forgetBoard(int board, bool &declared)
{
    QSqlQuery &query = statement("DELETE FROM boards WHERE board = ?");
    query.addBindValue(board);
    const Outcome outcome = exec(query);
    declared = outcome.ok() && query.numRowsAffected() > 0;
    return outcome;
}

// Transactions nest: only the outermost one reaches the database, and a
// rollback inside makes the outermost commit fail.
Outcome ServeStore::begin()
{
    if (m_depth++ > 0)
        return {};
    m_rolledBack = false;
    if (m_db.transaction())
        return {};
    m_depth = 0;
    return failure(m_db.lastError().text());
}

Outcome ServeStore::commit()
{
    if (--m_depth > 0)
        return {};
    if (m_rolledBack) {
        ++m_commitFailures;
        return failure(QStringLiteral("the change was rolled back"));
    }
    if (m_db.commit())
        return {};
    ++m_commitFailures;
    const Outcome failed = failure(m_db.lastError().text());
    m_db.rollback();
    return failed;
}

void ServeStore::rollback()
{
    if (!m_rolledBack)
        m_db.rollback();
    m_rolledBack = true;
    if (--m_depth > 0)
        return;
    m_depth = 0;
}

Outcome ServeStore::setPlaylist(int board, const QByteArray &items)
{
    QSqlQuery &query = statement(items.isEmpty() ? "DELETE FROM playlists WHERE board = ?"
                                                 : "INSERT OR REPLACE INTO playlists (board, items) VALUES (?, ?)");
    query.addBindValue(board);
    if (!items.isEmpty())
        query.addBindValue(QString::fromUtf8(items));
    return exec(query);
}

Outcome ServeStore::addAlert(const QList<int> &boards, const QByteArray &record, const QDateTime &ends,
                             const QString &group, qint64 &id)
{
    id = 0;
    QSqlQuery &next = statement("INSERT INTO alert_ids DEFAULT VALUES");
    Outcome outcome = begin();
    if (outcome.ok())
        outcome = exec(next);
    const qint64 given = next.lastInsertId().toLongLong();
    if (outcome.ok()) {
        QSqlQuery &drop = statement("DELETE FROM alert_ids WHERE id = ?");
        drop.addBindValue(given);
        outcome = exec(drop);
    }
    QSqlQuery &put = statement("INSERT INTO alerts (id, board, grp, record, ends) VALUES (?, ?, ?, ?, ?)");
    for (qsizetype i = 0; outcome.ok() && i < boards.size(); ++i) {
        put.addBindValue(given);
        put.addBindValue(boards.at(i));
        put.addBindValue(group.isNull() ? QStringLiteral("") : group);
        put.addBindValue(QString::fromUtf8(record));
        put.addBindValue(ends.toMSecsSinceEpoch());
        outcome = exec(put);
    }
    if (outcome.ok())
        outcome = commit();
    if (!outcome.ok()) {
        rollback();
        return outcome;
    }
    id = given;
    return {};
}

Outcome ServeStore::deleteAlert(qint64 id, int board)
{
    QSqlQuery &query = statement("DELETE FROM alerts WHERE id = ? AND board = ?");
    query.addBindValue(id);
    query.addBindValue(board);
    const Outcome outcome = exec(query);
    if (outcome.ok() && query.numRowsAffected() == 0)
        return { StoreOutcome::AlertUnknown, QString::number(id) };
    return outcome;
}

Outcome ServeStore::deleteGroupAlerts(const QString &group, qint64 id)
{
    QSqlQuery &query = statement(id > 0 ? "DELETE FROM alerts WHERE grp = ? AND id = ?"
                                        : "DELETE FROM alerts WHERE grp = ? AND id > ?");
    query.addBindValue(group);
    query.addBindValue(id);
    const Outcome outcome = exec(query);
    if (outcome.ok() && id > 0 && query.numRowsAffected() == 0)
        return { StoreOutcome::AlertUnknown, QString::number(id) };
    return outcome;
}

Outcome ServeStore::clearAlerts(int board)
{
    QSqlQuery &query = statement("DELETE FROM alerts WHERE board = ?");
    query.addBindValue(board);
    return exec(query);
}

Outcome ServeStore::dropAlertsEndedBy(const QDateTime &now)
{
    QSqlQuery &query = statement("DELETE FROM alerts WHERE ends <= ?");
    query.addBindValue(now.toMSecsSinceEpoch());
    return exec(query);
}

Outcome ServeStore::setCounter(const QString &name, qint64 value)
{
    QSqlQuery &query = statement("INSERT OR REPLACE INTO counters (name, value) VALUES (?, ?)");
    query.addBindValue(name);
    query.addBindValue(value);
    return exec(query);
}

Outcome ServeStore::clearContent()
{
    Outcome cleared = begin();
    for (const char *sql :
         { "DELETE FROM boards", "DELETE FROM playlists", "DELETE FROM alerts", "DELETE FROM counters" }) {
        if (cleared.ok())
            cleared = exec(statement(sql));
    }
    if (!cleared.ok()) {
        rollback();
        return cleared;
    }
    return commit();
}

Outcome ServeStore::appendJournal(const QList<JournalEntry> &entries)
{
    if (entries.isEmpty())
        return {};
    if (const Outcome began = begin(); !began.ok())
        return began;
    QSqlQuery &put = statement("INSERT INTO journal (time, board, source, failed, text_length, byte_length, "
                               "text_head, bytes_head, text, bytes) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    Outcome outcome;
    for (const JournalEntry &entry : entries) {
        // A null text would be stored as NULL: an empty frame has an empty text.
        const QString text = entry.text.isNull() ? QStringLiteral("") : entry.text;
        put.addBindValue(entry.time.toMSecsSinceEpoch());
        put.addBindValue(entry.board);
        put.addBindValue(entry.source);
        put.addBindValue(entry.failed);
        put.addBindValue(text.size());
        put.addBindValue(entry.bytes.size());
        put.addBindValue(text.left(journalHead));
        put.addBindValue(entry.bytes.left(journalHead));
        put.addBindValue(text);
        put.addBindValue(entry.bytes);
        if (outcome = exec(put); !outcome.ok())
            break;
    }
    return keepNewest(outcome, statement("DELETE FROM journal WHERE id <= ?"), put, journalLimit);
}

// Ends a transaction that appended to a table: its newest rows kept, all
// or nothing committed.
Outcome ServeStore::keepNewest(Outcome outcome, QSqlQuery &trim, const QSqlQuery &put, qint64 limit)
{
    if (outcome.ok()) {
        trim.addBindValue(put.lastInsertId().toLongLong() - limit);
        outcome = exec(trim);
    }
    if (!outcome.ok()) {
        rollback();
        return outcome;
    }
    return commit();
}

QList<ServeStore::JournalEntry> ServeStore::journal(const JournalPage &page) const
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT id, time, board, source, failed, text_length, byte_length, text_head, "
                                 "bytes_head FROM journal WHERE id < ?%1 ORDER BY id DESC LIMIT ?")
                          .arg(page.board < 0 ? QString() : QStringLiteral(" AND board = ?")));
    query.addBindValue(page.before > 0 ? page.before : std::numeric_limits<qint64>::max());
    if (page.board >= 0)
        query.addBindValue(page.board);
    query.addBindValue(page.limit);
    QList<JournalEntry> result;
    if (!query.exec())
        return result;
    while (query.next()) {
        JournalEntry entry { QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong()),
                             query.value(2).toInt(),
                             query.value(7).toString(),
                             query.value(3).toString(),
                             query.value(8).toByteArray(),
                             query.value(4).toBool() };
        entry.id = query.value(0).toLongLong();
        entry.textLength = query.value(5).toLongLong();
        entry.byteLength = query.value(6).toLongLong();
        result.append(entry);
    }
    return result;
}

Outcome ServeStore::appendAudit(const AuditEntry &entry)
{
    if (const Outcome began = begin(); !began.ok())
        return began;
    QSqlQuery &put = statement("INSERT INTO audit (time, who, origin, what, boards, error) VALUES (?, ?, ?, ?, ?, ?)");
    QString boards = QStringLiteral(",");
    for (const int board : entry.boards)
        boards += QString::number(board) + u',';
    put.addBindValue(entry.time.toMSecsSinceEpoch());
    put.addBindValue(entry.who.isNull() ? QStringLiteral("") : entry.who);
    put.addBindValue(entry.origin.isNull() ? QStringLiteral("") : entry.origin);
    put.addBindValue(entry.what);
    put.addBindValue(boards);
    put.addBindValue(entry.error.isNull() ? QStringLiteral("") : entry.error);
    return keepNewest(exec(put), statement("DELETE FROM audit WHERE id <= ?"), put, auditLimit);
}

QList<ServeStore::AuditEntry> ServeStore::audit(const JournalPage &page) const
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT id, time, who, origin, what, boards, error FROM audit WHERE id < ?%1 "
                                 "ORDER BY id DESC LIMIT ?")
                          .arg(page.board < 0 ? QString() : QStringLiteral(" AND boards LIKE ?")));
    query.addBindValue(page.before > 0 ? page.before : std::numeric_limits<qint64>::max());
    if (page.board >= 0)
        query.addBindValue(QStringLiteral("%,%1,%").arg(page.board));
    query.addBindValue(page.limit);
    QList<AuditEntry> result;
    if (!query.exec())
        return result;
    while (query.next()) {
        AuditEntry entry { QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong()),
                           query.value(2).toString(),
                           query.value(3).toString(),
                           query.value(4).toString(),
                           {},
                           query.value(6).toString(),
                           query.value(0).toLongLong() };
        for (const QString &board : query.value(5).toString().split(u',', Qt::SkipEmptyParts))
            entry.boards.append(board.toInt());
        result.append(entry);
    }
    return result;
}
