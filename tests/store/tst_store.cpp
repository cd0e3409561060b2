#include "rules/MessageText.h"
#include "store/ServeStore.h"

#include <QFileInfo>
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

    // Each time the newest alert is deleted and the store opened again.
    void alertIdsAreNeverGivenAgain()
    {
        ServeStore store;
        qint64 id = 0;
        for (const qint64 expected : { 1, 2, 3 }) {
            QVERIFY(store.open(m_folder.filePath("ids")).ok());
            QVERIFY(store.addAlert(1, "{}", QDateTime::currentDateTime(), id).ok());
            QCOMPARE(id, expected);
            QVERIFY(store.deleteAlert(id).ok());
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
