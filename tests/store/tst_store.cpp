#include "rules/MessageText.h"
#include "store/ServeStore.h"
#include "store/StoreOutcome.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// VaroServe's store alone, on files of the test's own folder.
class tst_Store : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    // What was at the path: SQL another program ran, a text of one byte, a FIFO.
    void refused_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("said");
        QTest::newRow("another program's database") << "CREATE TABLE notes (text)"
                                                    << "is a database of another program";
        QTest::newRow("a newer store") << "PRAGMA user_version = 99"
                                       << "newer VaroServe (store version 99)";
        QTest::newRow("one byte, for SQLite an empty database") << "text"
                                                                << "is not a database";
        QTest::newRow("a FIFO") << "fifo"
                                << "is not a regular file";
    }
    void refused()
    {
        QFETCH(QString, before);
        QFETCH(QString, said);
        const QString path = m_folder.filePath(QTest::currentDataTag());
        QFile file(path);
        if (before == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (before == "text") {
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
            file.close();
        } else {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", path);
            db.setDatabaseName(path);
            QVERIFY(db.open());
            db.exec(before);
            db.close();
        }
        const auto bytes = [&file] {
            file.close();
            return QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray was = bytes();
        ServeStore store;
        const QString told = MessageText::of(store.open(path));
        QVERIFY2(told.contains(said), qPrintable(told));
        // Left as it was: none of our tables.
        QCOMPARE(bytes(), was);
    }

    // Each time the newest alert is deleted and the store opened again; a
    // store of the version before goes on from its highest id.
    void alertIdsAreNeverGivenAgain()
    {
        const QString path = m_folder.filePath("ids");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", path);
            db.setDatabaseName(path);
            QVERIFY(db.open());
            for (const char *sql :
                 { "CREATE TABLE alerts (id INTEGER PRIMARY KEY AUTOINCREMENT, board INTEGER NOT "
                   "NULL, record TEXT NOT NULL, ends INTEGER NOT NULL)",
                   "CREATE TABLE journal (id INTEGER PRIMARY KEY AUTOINCREMENT)",
                   "INSERT INTO alerts VALUES (4, 9, '{}', 0)", "DELETE FROM alerts", "PRAGMA user_version = 2" })
                QVERIFY(QSqlQuery(db).exec(sql));
        }
        QSqlDatabase::removeDatabase(path);
        ServeStore store;
        qint64 id = 0;
        for (const qint64 expected : { 5, 6, 7 }) {
            QVERIFY(store.open(path).ok());
            QVERIFY(store.addAlert({ 1 }, "{}", QDateTime::currentDateTime(), {}, id).ok());
            QCOMPARE(id, expected);
            QVERIFY(store.deleteAlert(id, 1).ok());
        }
    }

    // One id on each board of a group; a board's copy goes alone, the
    // group's go together, and an id the group never had is unknown.
    void groupAlertsShareTheirId()
    {
        ServeStore store;
        QVERIFY(store.open(m_folder.filePath("group")).ok());
        qint64 hall = 0, own = 0, yard = 0;
        const QDateTime ends = QDateTime::currentDateTime().addDays(1);
        QVERIFY(store.addAlert({ 2, 3, 4 }, "{}", ends, "hall", hall).ok());
        QVERIFY(store.addAlert({ 3 }, "{}", ends, {}, own).ok());
        QVERIFY(store.addAlert({ 4 }, "{}", ends, "yard", yard).ok());
        QVERIFY(store.deleteAlert(hall, 9).is(StoreOutcome::AlertUnknown));
        QVERIFY(store.deleteAlert(hall, 2).ok());
        QVERIFY(store.deleteGroupAlerts("yard", hall).is(StoreOutcome::AlertUnknown));
        QVERIFY(store.deleteGroupAlerts("hall").ok());
        QList<qint64> left;
        for (const ServeStore::StoredAlert &alert : store.alerts())
            left << alert.id << alert.board;
        QCOMPARE(left, (QList<qint64> { own, 3, yard, 4 }));
    }

    // Declared boards read back as written; a rollback inside a change
    // makes the whole change fail and leaves nothing of it.
    void declarationsAndTransactions()
    {
        ServeStore store;
        QVERIFY(store.open(m_folder.filePath("boards")).ok());
        QVERIFY(store.declareBoard(12, { "Hall B north", { "hall", "b-2" } }).ok());
        QVERIFY(store.declareBoard(3, { {}, {} }).ok());
        QVERIFY(store.begin().ok());
        QVERIFY(store.declareBoard(5, { "gone", {} }).ok());
        QVERIFY(store.begin().ok());
        store.rollback();
        QVERIFY(!store.commit().ok());
        const auto boards = store.boards();
        QCOMPARE(boards.keys(), (QList<int> { 3, 12 }));
        QVERIFY(boards[3].name.isNull() && boards[3].groups.isEmpty());
        QCOMPARE(boards[12].groups, (QStringList { "hall", "b-2" }));
        bool declared = true;
        QVERIFY(store.forgetBoard(7, declared).ok() && !declared);
        QVERIFY(store.forgetBoard(12, declared).ok() && declared);
        QVERIFY(store.declareBoard(1, { "after", {} }).ok()); // a new change after the rollback
        QCOMPARE(store.boards().keys(), (QList<int> { 1, 3 }));
    }

    // A new store, the folders made for it and SQLite's files beside it.
    void createdForItsOwnerAlone()
    {
        const QString path = m_folder.filePath("made/for/it.sqlite");
        ServeStore store;
        QVERIFY(store.open(path).ok());
        QVERIFY(store.setCounter("c", 1).ok());
        for (const QString &made : { m_folder.filePath("made"), m_folder.filePath("made/for"), path, path + "-wal" }) {
            struct stat status;
            QCOMPARE(::stat(QFile::encodeName(made).constData(), &status), 0);
            QCOMPARE(status.st_mode & 0777, S_ISDIR(status.st_mode) ? 0700u : 0600u);
        }
    }

    // Ids 1 and 2 go, the newest journalLimit stay.
    void journalKeepsItsNewest()
    {
        ServeStore store;
        QVERIFY(store.open(m_folder.filePath("journal")).ok());
        const ServeStore::JournalEntry entry { QDateTime::currentDateTime(), 1, "x", "playlist", "\r1Ax" };
        const Outcome added = store.appendJournal(QList<ServeStore::JournalEntry>(ServeStore::journalLimit + 2, entry));
        QVERIFY2(added.ok(), qPrintable(MessageText::of(added)));
        const auto oldest = store.journal({ -1, 4, 10 });
        QCOMPARE(oldest.size(), 1);
        QCOMPARE(oldest.first().id, 3);
    }
};

QTEST_GUILESS_MAIN(tst_Store)
#include "tst_store.moc"
