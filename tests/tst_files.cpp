#include "PseudoTerminal.h"
#include "common/NativePath.h"
#include "messages/MessageHistory.h"
#include "messages/MsgListFile.h"
#include "messages/MsgListPlace.h"
#include "rules/MainSettings.h"
#include "rules/SettingsStore.h"
#include "rules/WindowPlacement.h"

#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

static const char rootWrites[]
        = "This process may write into a read-only folder (root): run it through ctest (tests/sandbox.sh)";

static QStringList numbered(int count)
{
    QStringList entries;
    for (int i = 1; i <= count; ++i)
        entries << u"message %1"_s.arg(i);
    return entries;
}

static QByteArray numberedLines(int count)
{
    return numbered(count).join(u"\r\n"_s).toLatin1() + "\r\n";
}

static QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

static bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The files the program reads and writes: the message list file beside it
// and the per-user settings, whatever is found under their names.
class tst_Files : public QObject
{
    Q_OBJECT

    QString path(const char *name = "VaroMsgBoard-MsgList.txt") const { return m_dir->filePath(QLatin1String(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QFile::remove(SettingsStore::fileName());
    }

    void loadReadsLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        const int bound = MsgListFile::maxLineBytes;

        QTest::newRow("CR, LF and CR LF end lines; LF CR is two ends")
                << "one\rtwo\nthree\r\nfour\n\rfive"_ba << QStringList { "one", "two", "three", "four", "five" };
        QTest::newRow("blank lines and repeats skipped, spaces and case kept")
                << "\r\none\r\n\r\n  \r\nOne\r\none\r\n"_ba << QStringList { "one", "  ", "One" };
        QTest::newRow("skipped lines do not count toward 20")
                << "\r\nmessage 1\r\nmessage 1\r\n" + numberedLines(25) << numbered(20);
        QTest::newRow("a line over the bound is skipped whole")
                << "a\r\n" + QByteArray(bound + 1, 'x') + "\r\nb" << QStringList { "a", "b" };
        QTest::newRow("a line at the bound is kept") << QByteArray(bound, 'y') << QStringList { QString(bound, u'y') };
    }

    void loadReadsLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);

        QVERIFY(write(path(), bytes));
        QCOMPARE(MsgListFile::load(path()), entries);
    }

    // What a load finds and what a save leaves, for each kind of thing that
    // may stand under the list file's name (a path: a link to it), and when the
    // save cannot be done. The old file, "ké€pt" in Windows-1252, is kept.
    void kindsOfListFile_data()
    {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<bool>("old");
        QTest::addColumn<int>("failure");

        const int done = Outcome::Done, create = Outcome::ListCreateFailed;
        QTest::newRow("FIFO, the settings too: no hang, not replaced") << "fifo"_ba << false << create;
        QTest::newRow("link to an endless device: not read (never saved to)") << "/dev/zero"_ba << false << done;
        QTest::newRow("link to a terminal device: not read, not replaced") << "tty"_ba << false << create;
        QTest::newRow("dangling relative link: its target is created") << "target.txt"_ba << false << done;
        QTest::newRow("link to a name not in UTF-8: told, nothing written") << "l\xE9.txt"_ba << true << create;
        QTest::newRow("read-only folder keeps the old file") << "read-only"_ba << true << create;
        QTest::newRow("full disk keeps the old file") << "full"_ba << true << int(Outcome::ListWriteFailed);
    }

    void kindsOfListFile()
    {
        QFETCH(QByteArray, kind);
        QFETCH(bool, old);

        const QByteArray file = QFile::encodeName(path());
        const QString settings = SettingsStore::fileName();
        QVERIFY(QDir().mkpath(QFileInfo(settings).path()));
        PseudoTerminal terminal;
        if (kind == "fifo") // the settings file too
            QVERIFY(::mkfifo(file, 0600) == 0 && ::mkfifo(QFile::encodeName(settings), 0600) == 0);
        else if (kind == "tty")
            QCOMPARE(::symlink(QFile::encodeName(terminal.slaveName()), file), 0);
        else if (kind.contains('.') || kind.startsWith('/')) // relative: from the link's own folder
            QCOMPARE(::symlink(kind, file), 0);
        if (old)
            QVERIFY(write(path(), "k\xE9\x80pt\r\n"));
        if (kind == "read-only") {
            QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
            if (write(path("probe"), "x"))
                QSKIP(rootWrites);
        }
        if (kind == "fifo") {
            QCOMPARE(MainSettings().position(), QPointF(-401, -401));
            MainSettings().save(QPoint(15, 30), { "m", "1", "2", 3 });
            QVERIFY(!QFileInfo(settings).isFile());
            QFile::remove(settings);
        }
        // A file size limit makes the disk "full" for this process alone.
        rlimit unlimited {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit tiny { 64, unlimited.rlim_max };
        if (kind == "full")
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &tiny), 0);

        QCOMPARE(MsgListFile::load(path()), old ? QStringList { "ké€pt" } : QStringList());
        if (kind == "/dev/zero")
            return;
        const Outcome outcome = MsgListFile::save(path(), numbered(25));
        setrlimit(RLIMIT_FSIZE, &unlimited);
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QTEST(int(outcome.kind), "failure");
        if (outcome.ok()) {
            QCOMPARE(read(path()), numberedLines(20));
            QVERIFY(QFileInfo(path()).isSymLink());
            return;
        }
        QCOMPARE(outcome.subject, path());
        QVERIFY(!outcome.description.isEmpty());
        if (old)
            QCOMPARE(read(path()), "k\xE9\x80pt\r\n");
        QCOMPARE(QDir(m_dir->path()).entryList({ "*.txt.*" }, QDir::AllEntries | QDir::System | QDir::Hidden),
                 QStringList());
    }

    // Two starts of a program whose folder, its name not in UTF-8, holds an
    // old list file: what the second start reads, and whether a save failed.
    void historyPlace_data()
    {
        QTest::addColumn<int>("writable"); // 1 the program's folder, 2 the user's data folder
        QTest::newRow("writable program folder: beside it, as ever") << 1;
        QTest::newRow("read-only program folder: the data folder, made") << 2;
        QTest::newRow("neither can be written: the create failure") << 0;
    }

    void historyPlace()
    {
        QFETCH(int, writable);

        const QByteArray program = QFile::encodeName(path("caf")) + "\xE9-\xFF", data = QFile::encodeName(path("d"));
        qputenv("XDG_DATA_HOME", data);
        QVERIFY(::mkdir(program, 0700) == 0);
        const QString folder = NativePath::usableFolder(program), list = folder + "/VaroMsgBoard-MsgList.txt";
        QVERIFY(write(list, "old\r\n") && ::access(program + "/VaroMsgBoard-MsgList.txt", R_OK) == 0);
        QVERIFY(::mkdir(data, writable & 2 ? 0700 : 0500) == 0 && ::chmod(program, writable & 1 ? 0700 : 0500) == 0);
        const auto restore = qScopeGuard([&] { ::chmod(program, 0700), ::chmod(data, 0700); });
        if (writable != 1 && write(folder + "/probe", "x"))
            QSKIP(rootWrites);

        MessageHistory history;
        history.load(MsgListPlace::toRead(folder));
        history.add("new");
        const Outcome saved = history.save(MsgListPlace::toWrite(folder));
        history.load(MsgListPlace::toRead(folder)); // the next start
        QCOMPARE(saved.subject, writable ? QString() : path("d/VaroMsgBoard/VaroMsgBoard-MsgList.txt"));
        QCOMPARE(history.entries(), writable ? QStringList({ "new", "old" }) : QStringList { "old" });
        QCOMPARE(read(list), writable == 1 ? "new\r\nold\r\n" : "old\r\n");
    }

    // Stored texts -> where the window opens on a 1920 x 1080 pixel screen
    // (28800 x 16200 twips) and the mode selected. Garbage counts as absent.
    void restored_data()
    {
        QTest::addColumn<QString>("stored"); // left|top|mode index
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("placed");
        QTest::addColumn<int>("present");
        const QPoint centre(9300, 7080);
        const auto row
                = [](const char *name, const char *stored, QPoint placed, int present, QSize window = { 10200, 2040 }) {
                      QTest::newRow(name) << stored << window << placed << present;
                  };

        row("-400 kept", "-400|-400|5", { -400, -400 }, 5);
        row("-401 centred", "-401|300|0", centre, 0);
        row("W-400 and H-400 kept, a fraction rounds", "28400|15799.6|2", { 28400, 15800 }, 2);
        row("W-399 centred", "28401|300|2", centre, 2);
        row("H-399 centred", "300|15801|2", centre, 2);
        row("absent: odd difference halved down", "||", { 9299, 7079 }, 0, { 10201, 2041 });
        row("wider than the screen: halved toward zero", "||", { -7, 0 }, 0, { 28815, 16201 });
        row("not numbers", "left|300|Center", centre, 0);
        row("not finite, index past the modes", "nan|inf|6", centre, 0);
        row("index a fraction", "300|300|2.5", { 300, 300 }, 0);
    }

    void restored()
    {
        QFETCH(QString, stored);
        QFETCH(QSize, window);

        {
            QSettings store(SettingsStore::fileName(), QSettings::IniFormat);
            store.setValue("Settings/MainLeft", stored.section(u'|', 0, 0));
            store.setValue("Settings/MainTop", stored.section(u'|', 1, 1));
            store.setValue("Settings/PresentIndex", stored.section(u'|', 2));
        }
        const MainSettings settings;
        QTEST(WindowPlacement::restore(settings.position(), QSize(28800, 16200), window), "placed");
        QTEST(settings.fields().presentIndex, "present");
    }
};

QTEST_GUILESS_MAIN(tst_Files)
#include "tst_files.moc"
