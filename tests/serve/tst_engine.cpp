#include "common/Windows1252.h"
#include "engine/BoardEngine.h"
#include "engine/LiveText.h"
#include "rules/MessageText.h"
#include "serve/BoardControl.h"
#include "serve/api/ApiStatus.h"
#include "serve/content/ContentJson.h"

#include "ManualClock.h"

#include <QJsonDocument>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <ctime>

// A line that records whole frames, and says when it was written while busy.
class RecordingSink : public FrameSink
{
public:
    bool busy() const override { return lineBusy; }
    bool write(int board, const QByteArray &frame) override
    {
        const qsizetype a = frame.indexOf('A'), d = frame.lastIndexOf('\r');
        QByteArray text = frame.mid(a + 1, d - a - 1);
        text = text.isEmpty() ? "()" : text;
        sent.append((board == 5 ? "" : QByteArray::number(board) + ':') + (lineBusy ? "BUSY!" : text));
        last = frame;
        lastBoard = board;
        return true;
    }
    bool lineBusy = false;
    QList<QByteArray> sent;
    QByteArray last;
    int lastBoard = 5;
};

// A time on Monday 7 December 2026.
QDateTime at(const QByteArray &time)
{
    return QDateTime::fromString(QString::fromLatin1("2026-12-07T" + time), Qt::ISODate);
}

// At nine unless the row says otherwise.
static void row(const char *name, const QString &script, const QString &log, const QByteArray &start = "09:00:00")
{
    QTest::newRow(name) << at(start) << script << log;
}

static void no(const char *name, const char *kind, const QString &json, const QString &error)
{
    QTest::newRow(name) << QString(kind) << json << error;
}

class tst_engine : public QObject
{
    Q_OBJECT

private slots:
    // Each command of the script, then the texts of the frames it sent (board 5
    // bare, others "N:"), "()" the empty text, after the HTTP status of a change
    // refused. Changes go through BoardControl and a store. Commands: s start,
    // +N seconds on, bN board, pJSON playlist, mJSON the current item's mode,
    // aPRIO,SECS,TEXT alert, rID remove, c clear, nNAME=V counter, tTOPIC=V bus
    // value, x the store fails from now on, S the stored alerts (board:id), busy,
    // ready, wMS the engine's timer, fFRAME the last frame's bytes ('/' for CR).
    void script_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("log");

        row("items take turns, each for its own seconds",
            R"(p[{"text":"A","seconds":2},{"text":"B","seconds":3}];s;w2000;+1;+1;+2;+1)", "|A|||B||A");
        row("across midnight: Monday's window runs into Tuesday, not Tuesday's",
            R"(p[{"text":"A","days":["mon"],"from":"22:00","until":"02:00"}];s;+1;+14399;+1;+72000)", "|()|A||()|",
            "21:59:59");
        row("across midnight: early Monday belongs to Sunday's window",
            R"(p[{"text":"A","days":"sun","from":"22:00","until":"02:00"}];s;+3600)", "|A|()", "01:00:00");
        row("both dates are included",
            R"(p[{"text":"A","firstDate":"2026-12-08","lastDate":"2026-12-08"}];s;+1;+86399;+1)", "|()|A||()",
            "23:59:59");
        row("until 24:00 runs to midnight", R"(p[{"text":"A","from":"23:00","until":"24:00"}];s;+1)", "|A|()",
            "23:59:59");
        row("an alert pre-empts; the item it stopped resumes, whole; a mode set meanwhile is the first's",
            R"(p[{"text":"A","seconds":10},{"text":"B","seconds":10}];s;+16;a5,20,X;m2;w5000;+20;+9;+1;f/5C2/5B99/5AA/5D)",
            "|A|B|X|||B||A|");
        row("the engine wakes at an alert's end", R"(p[{"text":"A"}];s;a5,3,X;w3000;+3)", "|A|X||A", "09:00:30");
        row("priority wins, ties go to the newest, removal uncovers the next",
            R"(p[{"text":"A"}];s;a5,60,X;a3,60,Y;a5,60,Z;+1;a5,60,W;r4;r3;r1;c)", "|A|X||Z||W|Z|X|Y|A");
        row("a board holds 100 live alerts: one more is 409, and fits once one ends",
            "s;" + QString("a5,60,X;").repeated(100) + "a5,60,Y;r1;a5,60,Z",
            "|X" + QString("|").repeated(99) + "|409||Z");
        row("another board's alert is unknown, a clear leaves others; no playlist: 409",
            R"(b1;a5,60,X;b2;a5,60,Y;s;r1;m2;S;b1;c;S)", "||||1:X,2:Y|404|409| 1:1 2:2||1:()| 2:2");
        row("a change the store refuses reaches no board",
            R"(p[{"text":"A{counter:n}"}];b6;a5,60,X;s;x;r1;c;b5;p[{"text":"B"}];m2;nn=1;a5,60,Y;p[])",
            "|||A0,6:X||500|500||500|500|500|500|500");
        row("board and brightness in decimal, mode by name; the last frame is the one recorded",
            R"(b42;p[{"text":"HI","mode":"center","brightness":5}];s;f/42C2/42B05/42AHI/42D)", "||42:HI|");
        row("line break to space, controls dropped, outer spaces trimmed, ? outside the code page",
            "p[{\"text\":\" Gr\u00fc\u00dfe\\r\\n\\u0007\u20ac \u2713 "
            "\",\"mode\":5}];s;f/5C5/5B99/5AGr\u00fc\u00dfe \u20ac ?/5D",
            "|Gr\u00fc\u00dfe \u20ac ?|");
        row("a wall clock set back restarts the turn", R"(p[{"text":"A","seconds":10},{"text":"B"}];s;+5;+-3600;+9;+1)",
            "|A||||B");
        row("a clock set back within its minute restarts the turn too",
            R"(p[{"text":"A","seconds":10},{"text":"B"}];s;+5;+-10;+9;+1)", "|A||||B", "09:00:30");
        row("the shown item's mode changes in place; a new playlist starts at its first",
            R"(p[{"text":"A","seconds":10},{"text":"B"}];s;+10;m2;+9;+1;+10;p[{"text":"C"},{"text":"D"}])",
            "|A|B|B||A|B|C");
        row("the minute of {time} and a counter re-send the board",
            R"(p[{"text":"{time} {counter:n}"}];s;w1000;nn=1;+1;nn=1)", "|09:00 0||09:00 1|09:01 1|", "09:00:59");
        row("the local date, whatever the clock's zone", R"(p[{"text":"{date} {time}"}];s)", "|2026-12-08 00:30",
            "23:30:00Z");
        row("a value off the bus re-sends; another topic does nothing",
            R"(p[{"text":"T={mqtt:a/b}"}];s;ta/b=21.5;tc=9)", "|T=|T=21.5|");
        row("busy line: only the newest goes, and not when it is what was sent",
            R"(p[{"text":"{counter:n}"}];s;busy;nn=1;nn=0;ready;busy;nn=1;nn=2;ready)", "|0||||||||2");
        row("busy line: each board gets its newest, in the order they changed",
            R"(s;busy;b7;p[{"text":"C"}];b5;p[{"text":"D"}];b7;p[{"text":"E"}];ready)", "||||||||7:E,D");
        row("start sends each board with content once, nothing before",
            R"(b7;p[{"text":"B"}];b5;p[{"text":"A"}];b9;p[];s;+60)", "||||||A,7:B|");
        row("content removed: the empty frame goes out once", R"(p[{"text":"A"}];s;p[];+60;c)", "|A|()||");
    }

    void script()
    {
        QFETCH(QDateTime, start);
        QFETCH(QString, script);
        QTemporaryDir folder;
        ServeStore store;
        // A store that fails to open fails every change.
        store.open(folder.filePath("store"));
        ManualClock clock(start);
        RecordingSink sink;
        BoardEngine engine(clock, sink);
        BoardControl control(store, engine, clock);
        auto *timer = engine.findChild<QTimer *>();
        QSignalSpy frames(&engine, &BoardEngine::frameSent);
        QVERIFY(timer && frames.isValid());
        QString board = "5";
        QStringList log;
        for (const QString &command : script.split(u';')) {
            const QString arg = command.mid(1);
            const QStringList args = arg.split(u',');
            const QStringList pair = arg.split(u'=');
            const QJsonValue json = QJsonDocument::fromJson("[" + arg.toUtf8() + ']').array().at(0);
            const qsizetype before = sink.sent.size();
            const auto number = ContentJson::board(board);
            // Decoded as a front end decodes, then applied.
            const auto apply = [&number](const auto &decoded, const auto &change) {
                return !number.ok() ? number.error : !decoded.ok() ? decoded.error : change(decoded.value).error;
            };
            Outcome outcome;
            // A refusal's status, the stored alerts.
            QString said;
            if (command == u"busy" || command == u"ready") {
                sink.lineBusy = command == u"busy";
                if (!sink.lineBusy)
                    engine.lineReady();
            } else {
                switch (command.at(0).unicode()) {
                case 's':
                    engine.start();
                    break;
                case '+':
                    clock.advance(arg.toLongLong() * 1000);
                    engine.update();
                    break;
                case 'f':
                    QCOMPARE(sink.last, Windows1252::fromUnicode(arg).replace('/', '\r'));
                    break;
                case 'w':
                    QCOMPARE(timer->interval(), arg.toInt());
                    break;
                case 'p':
                    outcome = apply(ContentJson::playlist(json),
                                    [&](const auto &items) { return control.setPlaylist(number.value, items); });
                    break;
                case 'm':
                    outcome = apply(ContentJson::mode(json),
                                    [&](int mode) { return control.setMode(number.value, mode); });
                    break;
                case 'a':
                    outcome = apply(ContentJson::alert(QJsonObject { { "priority", args[0].toInt() },
                                                                     { "seconds", args[1].toInt() },
                                                                     { "text", args[2] } },
                                                       clock.now()),
                                    [&](const Alert &alert) { return control.raiseAlert(number.value, alert); });
                    break;
                case 'r':
                    outcome = apply(ContentJson::alertId(arg), [&](qint64 id) {
                        return Result<int> { 0, control.deleteAlert(number.value, id) };
                    });
                    break;
                case 'c':
                    outcome = apply(Result<int>(), [&](int) { return control.clearAlerts(number.value); });
                    break;
                case 'n':
                    outcome = control.setCounter(ContentJson::counterName(pair[0]).value, pair[1].toLongLong()).error;
                    break;
                case 'x':
                    store.close();
                    break;
                case 'S':
                    for (const ServeStore::StoredAlert &alert : store.alerts())
                        said += QString(" %1:%2").arg(alert.board).arg(alert.id);
                    break;
                case 't':
                    engine.setTopicValue(pair[0], pair[1]);
                    break;
                case 'b':
                    board = arg;
                    break;
                default:
                    QFAIL(qPrintable(command));
                }
            }
            if (!outcome.ok())
                said = QString::number(ApiStatus::of(outcome));
            log.append(said + Windows1252::toUnicode(sink.sent.mid(before).join(',')));
        }
        QTEST(log.join(u'|'), "log");
        QCOMPARE(engine.lastSent(sink.lastBoard).bytes, sink.last);
        QCOMPARE(frames.size(), sink.sent.size());
    }

    void expand_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expanded");

        QTest::newRow("since counts whole days, 0 before the date") << "{since:2026-12-01} {since:2026-12-08}"
                                                                    << "6 0";
        QTest::newRow("until counts down, 0 once passed") << "{until:2026-12-25} {until:2026-12-06}"
                                                          << "18 0";
        QTest::newRow("a counter never set is 0, a negative keeps its sign") << "{counter:x}/{counter:n}"
                                                                             << "0/-5";
    }

    void expand()
    {
        QFETCH(QString, text);
        const QMap<QString, qint64> counters { { "n", -5 } };
        QVERIFY(LiveText::check(text, "text").ok());
        QTEST(LiveText::expand(text, LiveValues { at("09:05:59"), &counters, nullptr }), "expanded");
    }

    // What comes back out of a stored item: defaults filled in, names for modes.
    void accepted_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("stored");

        QTest::newRow("defaults applied") << R"({"text":"hi"})"
                                          << R"({"brightness":99,"days":["mon","tue","wed","thu","fri","sat","sun"],)"
                                             R"("firstDate":null,"from":"00:00","lastDate":null,"mode":"left",)"
                                             R"("seconds":10,"text":"hi","until":"24:00"})";
        QTest::newRow("mode as digits, days as words, dates, bounds")
                << R"({"text":"x","mode":"4","brightness":0,"seconds":86400,"days":"Sun fri","from":"23:59",)"
                   R"("until":"00:00","firstDate":"2028-02-29","lastDate":"2028-02-29"})"
                << R"({"brightness":0,"days":["fri","sun"],"firstDate":"2028-02-29","from":"23:59",)"
                   R"("lastDate":"2028-02-29","mode":"medium","seconds":86400,"text":"x","until":"00:00"})";
    }

    void accepted()
    {
        QFETCH(QString, json);
        const auto item = ContentJson::item(QJsonDocument::fromJson(json.toUtf8()).object());
        QVERIFY2(item.ok(), qPrintable(MessageText::of(item.error)));
        QTEST(QString::fromUtf8(QJsonDocument(ContentJson::toJson(item.value)).toJson(QJsonDocument::Compact)),
              "stored");
        const Alert alert { 7, "a", 1, 2, 3, at("09:00:00"), at("09:00:01.5") };
        QCOMPARE(ContentJson::alertRecord(ContentJson::record(alert)).value, alert);
        QCOMPARE(ContentJson::toJson(alert, at("09:00:00.6"))["secondsLeft"].toInt(), 1);
    }

    // Refused content: the words name the field.
    void refused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("error");

        const QString tooLong = "text is too long: with its fields filled in it may pass 65536 characters";
        const QString many = "[" + QStringList(101, R"({"text":"x"})").join(',') + "]";
        no("brightness 100", "message", R"({"text":"x","brightness":100})",
           "brightness must be a whole number from 0 to 99");
        no("mode unknown", "message", R"({"text":"x","mode":"blink"})",
           "mode must be left, right, center, slow, medium, fast or a whole number from 0 to 5");
        no("text missing", "message", "{}", "text is required");
        no("unknown key", "message", R"({"text":"x","colour":1})", "colour is not a known field here");
        no("101 items", "playlist", many, "playlist must be an array of at most 100 items");
        no("the second item's from 24:00", "playlist", R"([{"text":"a"},{"text":"b","from":"24:00"}])",
           "items[1].from must be a time HH:MM from 00:00 to 23:59");
        no("until 24:01", "item", R"({"text":"a","until":"24:01"})", "until must be a time HH:MM from 00:00 to 24:00");
        no("until equal to from", "item", R"({"text":"a","from":"08:00","until":"08:00"})",
           "until must differ from from (for the whole day use 00:00 to 24:00)");
        no("seconds 0", "item", R"({"text":"a","seconds":0})", "seconds must be a whole number from 1 to 86400");
        no("days empty", "item", R"({"text":"a","days":[]})",
           "days must be a list of one or more of mon, tue, wed, thu, fri, sat, sun");
        no("dates reversed", "item", R"({"text":"a","firstDate":"2026-02-02","lastDate":"2026-02-01"})",
           "lastDate must not be before firstDate");
        no("priority 10", "alert", R"({"text":"a","priority":10})", "priority must be a whole number from 1 to 9");
        no("alert seconds past a week", "alert", R"({"text":"a","seconds":604801})",
           "seconds must be a whole number from 1 to 604800");
        no("board 100", "board", "100", "board must be a whole number from 0 to 99");
        no("an unknown field", "message", R"({"text":"a {foo} b"})", "text: unknown field {foo}");
        no("an impossible date", "message", R"({"text":"{since:2026-13-01}"})",
           "text: malformed field {since:2026-13-01}");
        no("an unclosed brace", "message", R"({"text":"a {time"})", "text: malformed field {time");
        no("a lone closing brace", "message", R"({"text":"a } b"})", "text: malformed field }");
        no("a bus wildcard", "message", R"({"text":"{mqtt:a/+}"})", "text: malformed field {mqtt:a/+}");
        no("65537 characters", "message", QString(R"({"text":"%1"})").arg(QString(65537, 'x')), tooLong);
        no("a bus value that may fill past 64 KiB", "message",
           QString(R"({"text":"{mqtt:t}%1"})").arg(QString(65400, 'x')), tooLong);
        no("a counter name with a slash", "name", "a/b",
           "counter name \"a/b\" must be 1 to 64 letters, digits, '_', '-' or '.'");
    }

    void refused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, json);
        const QJsonValue value = QJsonDocument::fromJson("[" + json.toUtf8() + "]").array().at(0);
        Outcome error = ContentJson::counterName(json).error;
        if (kind == "message")
            error = ContentJson::message(value).error;
        else if (kind == "item")
            error = ContentJson::item(value).error;
        else if (kind == "playlist")
            error = ContentJson::playlist(value).error;
        else if (kind == "alert")
            error = ContentJson::alert(value, QDateTime::currentDateTime()).error;
        else if (kind == "board")
            error = ContentJson::board(json).error;
        QTEST(MessageText::of(error), "error");
    }

    void zoneFileChanged_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::newRow("a new file renamed over it") << false;
        QTest::newRow("written over in place") << true;
    }
    // TZ names a file that is changed from Berlin's zone to Tokyo's under a
    // running engine: {time} follows at the next minute.
    void zoneFileChanged()
    {
        QFETCH(bool, inPlace);
        if (!QFile::exists("/usr/share/zoneinfo/Asia/Tokyo"))
            QSKIP("The time-zone database is missing: apt-get install tzdata");
        QTemporaryDir folder;
        const QString zone = folder.filePath("zone");
        QVERIFY(QFile::copy("/usr/share/zoneinfo/Europe/Berlin", zone));
        const QByteArray pinned = qgetenv("TZ");
        qputenv("TZ", ":" + QFile::encodeName(zone));
        const auto unpin = qScopeGuard([&pinned] {
            qputenv("TZ", pinned);
            tzset();
        });
        ManualClock clock(QDateTime(QDate(2026, 12, 7), QTime(9, 0, 30), Qt::UTC));
        RecordingSink sink;
        BoardEngine engine(clock, sink);
        engine.setPlaylist(5, { PlaylistItem { "{time}" } });
        engine.start();
        QFile tokyo("/usr/share/zoneinfo/Asia/Tokyo");
        QFile written(inPlace ? zone : zone + ".new");
        QVERIFY(tokyo.open(QIODevice::ReadOnly) && written.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(written.write(tokyo.readAll()) > 0 && written.flush());
        QVERIFY(inPlace || std::rename(qPrintable(written.fileName()), qPrintable(zone)) == 0);
        clock.advance(30000);
        engine.update();
        QCOMPARE(sink.sent, QList<QByteArray>({ "10:00", "18:01" }));
    }
};

QTEST_GUILESS_MAIN(tst_engine)
#include "tst_engine.moc"
