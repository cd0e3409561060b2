#include "messages/MsgListFile.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

class tst_MsgListFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void save_data();
    void save();
    void load_data();
    void load();
    void randomBytesKeepTheRules();
    void readOnlyFolderKeepsTheOldFile();
    void failedWriteKeepsTheOldFile();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("VaroMsgBoard-MsgList.txt")); }
    void writeRaw(const QByteArray &bytes);
    QByteArray readRaw() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

static QStringList numbered(int count)
{
    QStringList entries;
    for (int i = 1; i <= count; ++i)
        entries << QStringLiteral("message %1").arg(i);
    return entries;
}

static QByteArray numberedLines(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "message " + QByteArray::number(i) + "\r\n";
    return bytes;
}

void tst_MsgListFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_MsgListFile::writeRaw(const QByteArray &bytes)
{
    QFile file(path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray tst_MsgListFile::readRaw() const
{
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_MsgListFile::save_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("CR LF after every line") << QStringList{ "B", "a" } << QByteArray("B\r\na\r\n");
    QTest::newRow("text as held, spaces too") << QStringList{ "  x  ", "\"q\"" } << QByteArray("  x  \r\n\"q\"\r\n");
    QTest::newRow("Windows-1252 letters") << QStringList{ QString::fromUtf8("Grüße €5") }
                                         << QByteArray("Gr\xFC\xDF" "e \x80" "5\r\n");
    QTest::newRow("only the newest 20") << numbered(25) << numberedLines(20);
    QTest::newRow("empty history, empty file") << QStringList() << QByteArray();
}

void tst_MsgListFile::save()
{
    QFETCH(QStringList, entries);
    QFETCH(QByteArray, bytes);

    writeRaw("old content that is longer than the new one\r\n");
    const MsgListFile::SaveResult result = MsgListFile::save(path(), entries);
    QCOMPARE(result.status, MsgListFile::SaveResult::Saved);
    QCOMPARE(readRaw(), bytes);
}

void tst_MsgListFile::load_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\n") << QStringList{ "one", "two" };
    QTest::newRow("CR alone") << QByteArray("one\rtwo\r") << QStringList{ "one", "two" };
    QTest::newRow("LF alone") << QByteArray("one\ntwo\n") << QStringList{ "one", "two" };
    QTest::newRow("last line without an end") << QByteArray("one\r\ntwo") << QStringList{ "one", "two" };
    QTest::newRow("LF CR is two line ends") << QByteArray("one\n\rtwo") << QStringList{ "one", "two" };
    QTest::newRow("blank lines skipped") << QByteArray("\r\n\r\none\r\n\r\ntwo\r\n\r\n") << QStringList{ "one", "two" };
    QTest::newRow("repeat keeps its first place")
            << QByteArray("one\r\ntwo\r\none\r\nthree\r\n") << QStringList{ "one", "two", "three" };
    QTest::newRow("case makes a difference") << QByteArray("One\r\none\r\n") << QStringList{ "One", "one" };
    QTest::newRow("spaces are kept") << QByteArray("  \r\n a \r\n") << QStringList{ "  ", " a " };
    QTest::newRow("Windows-1252 letters") << QByteArray("Gr\xFC\xDF" "e \x80\r\n")
                                         << QStringList{ QString::fromUtf8("Grüße €") };
    QTest::newRow("25 lines give the first 20") << numberedLines(25) << numbered(20);
    QTest::newRow("skipped lines do not count toward 20")
            << QByteArray("\r\nmessage 1\r\nmessage 1\r\n") + numberedLines(25) << numbered(20);
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("no file") << QByteArray("(none)") << QStringList();
}

void tst_MsgListFile::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);

    if (bytes != "(none)")
        writeRaw(bytes);
    QCOMPARE(MsgListFile::load(path()), entries);
}

void tst_MsgListFile::randomBytesKeepTheRules()
{
    QRandomGenerator random(20261206);
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes(int(random.bounded(1, 4000)), Qt::Uninitialized);
        for (char &byte : bytes)
            byte = char(random.bounded(256));
        writeRaw(bytes);

        const QStringList entries = MsgListFile::load(path());
        QVERIFY(entries.size() <= 20);
        QCOMPARE(QSet<QString>(entries.begin(), entries.end()).size(), entries.size());
        for (const QString &entry : entries) {
            QVERIFY(!entry.isEmpty());
            QVERIFY(!entry.contains(u'\r') && !entry.contains(u'\n'));
        }
    }
}

void tst_MsgListFile::readOnlyFolderKeepsTheOldFile()
{
    writeRaw("kept\r\n");
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(m_dir->filePath(QStringLiteral("probe")));
    if (probe.open(QIODevice::WriteOnly)) {
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSKIP("This process may write into a read-only folder (root): run it through ctest, "
              "which drops that privilege (tests/sandbox.sh)");
    }

    const MsgListFile::SaveResult result = MsgListFile::save(path(), { "new" });
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(result.status, MsgListFile::SaveResult::CreateFailed);
    QVERIFY(!result.description.isEmpty());
    QCOMPARE(readRaw(), QByteArray("kept\r\n"));
}

void tst_MsgListFile::failedWriteKeepsTheOldFile()
{
    const QByteArray old = numberedLines(3);
    writeRaw(old);

    // A file size limit makes the disk "full" for this process alone.
    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 64;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const MsgListFile::SaveResult result = MsgListFile::save(path(), numbered(20));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(result.status, MsgListFile::SaveResult::WriteFailed);
    QVERIFY(!result.description.isEmpty());
    QCOMPARE(readRaw(), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{ "VaroMsgBoard-MsgList.txt" });
    QCOMPARE(MsgListFile::failureMessage(result, path()).section(u'\r', 0, 1),
             QStringLiteral("Unable to write to message list file\r\"") + path() + u'"');
}

QTEST_GUILESS_MAIN(tst_MsgListFile)
#include "tst_msglistfile.moc"
