#include "engine/BoardEngine.h"
#include "engine/ContentJson.h"
#include "engine/LiveText.h"
#include "rules/MessageText.h"

#include "ManualClock.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

// A line that records whole frames, and says when it was written while busy.
class RecordingSink : public FrameSink
{
public:
    bool busy() const override { return lineBusy; }
    void write(int board, const QByteArray &frame) override
    {
        const qsizetype a = frame.indexOf('A'), d = frame.lastIndexOf('\r');
        QByteArray text = frame.mid(a + 1, d - a - 1);
        text = text.isEmpty() ? "()" : text;
        sent.append((board == 5 ? "" : QByteArray::number(board) + ':') + (lineBusy ? "BUSY!" : text));
        last = frame;
        lastBoard = board;
    }
    bool lineBusy = false;
    QList<QByteArray> sent;
    QByteArray last;
    int lastBoard = 5;
};

class tst_engine : public QObject
{
    Q_OBJECT

private slots:
    void script_data();
    void script();
    void frameBytes_data();
    void frameBytes();
    void expand_data();
    void expand();
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
};

QDateTime at(const char *iso)
{
    return QDateTime::fromString(QLatin1String(iso), Qt::ISODate);
}

// Each command of the script, then the texts of the frames it sent (board 5
// bare, others "N:"); "()" is the empty text. Commands: s start, +N seconds
// on, bN board, pJSON playlist, mI,MODE item I's mode, aID,PRIO,SECS,TEXT
// alert, rID remove, c clear, nNAME=V counter, tTOPIC=V bus value, busy,
// ready, wMS the engine's timer.
void tst_engine::script_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("log");

    const QDateTime nine = at("2026-12-07T09:00:00"); // a Monday
    QTest::newRow("items take turns, each for its own seconds")
            << nine << R"(p[{"text":"A","seconds":2},{"text":"B","seconds":3}];s;w2000;+1;+1;+2;+1)"
            << "|A|||B||A";
    QTest::newRow("the only allowed item is sent once and stays") << nine << R"(p[{"text":"A","seconds":1}];s;+5;+3600)"
                                                                  << "|A||";
    QTest::newRow("until's minute is not shown") << nine << R"(p[{"text":"A","until":"09:01"}];s;+59;+1)"
                                                 << "|A||()";
    QTest::newRow("a later from joins the turns")
            << at("2026-12-07T09:59:58") << R"(p[{"text":"A","from":"10:00"},{"text":"B"}];s;+2;+8)"
            << "|B||A";
    QTest::newRow("across midnight: Monday's window runs into Tuesday, not Tuesday's")
            << at("2026-12-07T21:59:59")
            << R"(p[{"text":"A","days":["mon"],"from":"22:00","until":"02:00"}];s;+1;+14399;+1;+72000)"
            << "|()|A||()|";
    QTest::newRow("across midnight: early Monday belongs to Sunday's window")
            << at("2026-12-07T01:00:00") << R"(p[{"text":"A","days":"sun","from":"22:00","until":"02:00"}];s;+3600)"
            << "|A|()";
    QTest::newRow("both dates are included")
            << at("2026-12-07T23:59:59")
            << R"(p[{"text":"A","firstDate":"2026-12-08","lastDate":"2026-12-08"}];s;+1;+86399;+1)"
            << "|()|A||()";
    QTest::newRow("until 24:00 runs to midnight")
            << at("2026-12-07T23:59:59") << R"(p[{"text":"A","from":"23:00","until":"24:00"}];s;+1)"
            << "|A|()";
    QTest::newRow("the weekend is skipped")
            << at("2026-12-11T23:59:59") << R"(p[{"text":"A","days":"mon,tue,wed,thu,fri"}];s;+1)"
            << "|A|()";
    QTest::newRow("an alert pre-empts; the interrupted item resumes with its full seconds")
            << nine << R"(p[{"text":"A","seconds":10},{"text":"B","seconds":10}];s;+6;a1,5,20,X;w5000;+20;+9;+1)"
            << "|A||X||A||B";
    QTest::newRow("the engine wakes at an alert's end")
            << at("2026-12-07T09:00:30") << R"(p[{"text":"A"}];s;a1,5,3,X;w3000;+3)"
            << "|A|X||A";
    QTest::newRow("priority wins, ties go to the newest, removal uncovers the next")
            << nine << R"(p[{"text":"A"}];s;a1,5,60,X;a2,3,60,Y;a3,5,60,Z;r3;r1;c)"
            << "|A|X||Z|X|Y|A";
    QTest::newRow("an item's mode changes in place, its turn kept")
            << nine << R"(p[{"text":"A","seconds":10},{"text":"B"}];s;+4;m0,2;+6)"
            << "|A||A|B";
    QTest::newRow("the minute of {time} and a counter re-send the board")
            << at("2026-12-07T09:00:59") << R"(p[{"text":"{time} {counter:n}"}];s;w1000;nn=1;+1;nn=1)"
            << "|09:00 0||09:00 1|09:01 1|";
    QTest::newRow("the local date, whatever the clock's zone")
            << at("2026-12-07T23:30:00Z") << R"(p[{"text":"{date} {time}"}];s)"
            << "|2026-12-08 00:30";
    QTest::newRow("a value off the bus re-sends; another topic does nothing")
            << nine << R"(p[{"text":"T={mqtt:a/b}"}];s;ta/b=21.5;tc=9)"
            << "|T=|T=21.5|";
    QTest::newRow("busy line: intermediate states skipped, the newest goes whole")
            << nine << R"(p[{"text":"{counter:n}"}];s;busy;nn=1;nn=2;ready)"
            << "|0||||2";
    QTest::newRow("busy line: a state back to what was sent is not sent again")
            << nine << R"(p[{"text":"{counter:n}"}];s;busy;nn=1;nn=0;ready)"
            << "|0||||";
    QTest::newRow("busy line: each board gets its newest, in the order they changed")
            << nine << R"(s;busy;b7;p[{"text":"C"}];b5;p[{"text":"D"}];b7;p[{"text":"E"}];ready)"
            << "||||||||7:E,D";
    QTest::newRow("start sends each board with content once, nothing before")
            << nine << R"(b7;p[{"text":"B"}];b5;p[{"text":"A"}];b9;p[];s;+60)"
            << "||||||A,7:B|";
    QTest::newRow("content removed: the empty frame goes out once") << nine << R"(p[{"text":"A"}];s;p[];+60;c)"
                                                                    << "|A|()||";
}

void tst_engine::script()
{
    QFETCH(QDateTime, start);
    QFETCH(QString, script);
    ManualClock clock(start);
    RecordingSink sink;
    BoardEngine engine(clock, sink);
    auto *timer = engine.findChild<QTimer *>();
    QVERIFY(timer);
    int board = 5;
    QStringList log;
    for (const QString &command : script.split(u';')) {
        const QString arg = command.mid(1);
        const QStringList args = arg.split(u',');
        const QStringList pair = arg.split(u'=');
        const qsizetype before = sink.sent.size();
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
            case 'w':
                QCOMPARE(timer->interval(), arg.toInt());
                break;
            case 'p': {
                const auto items = ContentJson::playlist(QJsonDocument::fromJson(arg.toUtf8()).array());
                QVERIFY2(items.ok(), qPrintable(MessageText::of(items.error)));
                engine.setPlaylist(board, items.value);
                break;
            }
            case 'm': {
                PlaylistItem item = engine.playlist(board).at(args[0].toInt());
                item.mode = args[1].toInt();
                QVERIFY(engine.setItem(board, args[0].toInt(), item));
                break;
            }
            case 'a':
                engine.addAlert(board,
                                Alert { args[0].toInt(), args[3], 0, 99, args[1].toInt(), clock.now(),
                                        clock.now().addSecs(args[2].toInt()) });
                break;
            case 'r':
                QVERIFY(engine.removeAlert(board, arg.toInt()));
                break;
            case 'c':
                engine.clearAlerts(board);
                break;
            case 'n':
                engine.setCounter(pair[0], pair[1].toLongLong());
                break;
            case 't':
                engine.setTopicValue(pair[0], pair[1]);
                break;
            case 'b':
                board = arg.toInt();
                break;
            default:
                QFAIL(qPrintable(command));
            }
        }
        log.append(QString::fromLatin1(sink.sent.mid(before).join(',')));
    }
    QTEST(log.join(u'|'), "log");
    QCOMPARE(engine.lastSent(sink.lastBoard).bytes, sink.last);
}

void tst_engine::frameBytes_data()
{
    QTest::addColumn<int>("board");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("board and brightness in decimal, mode by name")
            << 42 << R"({"text":"HELLO","mode":"center","brightness":5})" << QByteArray("\r42C2\r42B05\r42AHELLO\r42D");
    QTest::newRow("line break to a space, controls dropped, outer spaces trimmed, ? outside the code page")
            << 0 << "{\"text\":\" Gr\u00fc\u00dfe\\r\\n\\u0007\u20ac \u2713 \",\"mode\":5}"
            << QByteArray("\r0C5\r0B99\r0AGr\xfc\xdf"
                          "e \x80 ?\r0D");
}

void tst_engine::frameBytes()
{
    QFETCH(int, board);
    QFETCH(QString, message);
    ManualClock clock;
    RecordingSink sink;
    BoardEngine engine(clock, sink);
    QSignalSpy sent(&engine, &BoardEngine::frameSent);
    QVERIFY(sent.isValid());
    engine.start();
    const auto item = ContentJson::message(QJsonDocument::fromJson(message.toUtf8()).object());
    QVERIFY(item.ok());
    engine.setPlaylist(board, { item.value });
    QTEST(sink.last, "frame");
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.at(0).at(2).value<Showing>().source, Showing::Playlist);
}

void tst_engine::expand_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expanded");

    QTest::newRow("doubled braces are literal") << "{{time}} }}{{"
                                                << "{time} }{";
    QTest::newRow("since counts whole days") << "{since:2026-12-01}"
                                             << "6";
    QTest::newRow("since a later date is 0") << "{since:2026-12-08}"
                                             << "0";
    QTest::newRow("until counts down") << "{until:2026-12-25}"
                                       << "18";
    QTest::newRow("until is 0 once passed") << "{until:2026-12-06}"
                                            << "0";
    QTest::newRow("a counter never set is 0, a negative keeps its sign") << "{counter:x}/{counter:n}"
                                                                         << "0/-5";
    QTest::newRow("date and time local, HH:MM") << "{date} {time}"
                                                << "2026-12-07 09:05";
}

void tst_engine::expand()
{
    QFETCH(QString, text);
    const QMap<QString, qint64> counters { { "n", -5 } };
    QVERIFY(LiveText::check(text, "text").ok());
    QTEST(LiveText::expand(text, LiveValues { at("2026-12-07T09:05:59"), &counters, nullptr }), "expanded");
}

// What comes back out of a stored item: defaults filled in, names for modes.
void tst_engine::accepted_data()
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

void tst_engine::accepted()
{
    QFETCH(QString, json);
    const auto item = ContentJson::item(QJsonDocument::fromJson(json.toUtf8()).object());
    QVERIFY2(item.ok(), qPrintable(MessageText::of(item.error)));
    QTEST(QString::fromUtf8(QJsonDocument(ContentJson::toJson(item.value)).toJson(QJsonDocument::Compact)), "stored");
    const Alert alert { 7, "a", 1, 2, 3, at("2026-12-07T09:00:00"), at("2026-12-07T09:00:01.5") };
    QCOMPARE(ContentJson::alertRecord(ContentJson::record(alert)).value, alert);
    QCOMPARE(ContentJson::toJson(alert, at("2026-12-07T09:00:00.6"))["secondsLeft"].toInt(), 1);
}

// Refused content: the words name the field. %1 in the JSON becomes pad x's;
// "items" repeats the JSON's one item pad times.
void tst_engine::refused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("json");
    QTest::addColumn<int>("pad");
    QTest::addColumn<QString>("error");

    const QString brightness = "brightness must be a whole number from 0 to 99";
    QTest::newRow("brightness 100") << "message"
                                    << R"({"text":"x","brightness":100})" << 0 << brightness;
    QTest::newRow("brightness with a fraction") << "message"
                                                << R"({"text":"x","brightness":9.5})" << 0 << brightness;
    QTest::newRow("brightness off the bus, a word") << "brightness"
                                                    << R"("high")" << 0 << brightness;
    QTest::newRow("mode unknown")
            << "mode"
            << R"("blink")" << 0
            << "mode must be left, right, center, slow, medium, fast or a whole number from 0 to 5";
    QTest::newRow("text missing") << "message"
                                  << "{}" << 0 << "text is required";
    QTest::newRow("text a number") << "alert"
                                   << R"({"text":5})" << 0 << "text must be a text";
    QTest::newRow("unknown key") << "message"
                                 << R"({"text":"x","colour":1})" << 0 << "colour is not a known field here";
    QTest::newRow("not an object") << "alert"
                                   << "[]" << 0 << "alert must be a JSON object";
    QTest::newRow("playlist an object") << "playlist"
                                        << "{}" << 0 << "playlist must be an array of at most 100 items";
    QTest::newRow("101 items") << "items"
                               << R"({"text":"x"})" << 101 << "playlist must be an array of at most 100 items";
    QTest::newRow("the second item's from 24:00") << "playlist"
                                                  << R"([{"text":"a"},{"text":"b","from":"24:00"}])" << 0
                                                  << "items[1].from must be a time HH:MM from 00:00 to 23:59";
    QTest::newRow("until 24:01") << "item"
                                 << R"({"text":"a","until":"24:01"})" << 0
                                 << "until must be a time HH:MM from 00:00 to 24:00";
    QTest::newRow("until one digit short")
            << "item"
            << R"({"text":"a","until":"9:00"})" << 0 << "until must be a time HH:MM from 00:00 to 24:00";
    QTest::newRow("until equal to from") << "item"
                                         << R"({"text":"a","from":"08:00","until":"08:00"})" << 0
                                         << "until must differ from from (for the whole day use 00:00 to 24:00)";
    QTest::newRow("seconds 0") << "item"
                               << R"({"text":"a","seconds":0})" << 0
                               << "seconds must be a whole number from 1 to 86400";
    QTest::newRow("days empty") << "item"
                                << R"({"text":"a","days":[]})" << 0
                                << "days must be a list of one or more of mon, tue, wed, thu, fri, sat, sun";
    QTest::newRow("February 30") << "item"
                                 << R"({"text":"a","firstDate":"2026-02-30"})" << 0
                                 << "firstDate must be a date YYYY-MM-DD";
    QTest::newRow("dates reversed") << "item"
                                    << R"({"text":"a","firstDate":"2026-02-02","lastDate":"2026-02-01"})" << 0
                                    << "lastDate must not be before firstDate";
    QTest::newRow("priority 10") << "alert"
                                 << R"({"text":"a","priority":10})" << 0
                                 << "priority must be a whole number from 1 to 9";
    QTest::newRow("alert seconds past a week")
            << "alert"
            << R"({"text":"a","seconds":604801})" << 0 << "seconds must be a whole number from 1 to 604800";
    QTest::newRow("board 100") << "board"
                               << "100" << 0 << "board must be a whole number from 0 to 99";
    QTest::newRow("board with a sign") << "board"
                                       << "-1" << 0 << "board must be a whole number from 0 to 99";
    QTest::newRow("counter value a fraction") << "counter"
                                              << "1.5" << 0 << "value must be a whole number";
    QTest::newRow("an unknown field") << "message"
                                      << R"({"text":"a {foo} b"})" << 0 << "text: unknown field {foo}";
    QTest::newRow("an impossible date") << "message"
                                        << R"({"text":"{since:2026-13-01}"})" << 0
                                        << "text: malformed field {since:2026-13-01}";
    QTest::newRow("an unclosed brace") << "message"
                                       << R"({"text":"a {time"})" << 0 << "text: malformed field {time";
    QTest::newRow("a lone closing brace") << "message"
                                          << R"({"text":"a } b"})" << 0 << "text: malformed field }";
    QTest::newRow("a counter name with a space")
            << "item"
            << R"({"text":"{counter:a b}"})" << 0 << "text: malformed field {counter:a b}";
    QTest::newRow("a bus wildcard") << "message"
                                    << R"({"text":"{mqtt:a/+}"})" << 0 << "text: malformed field {mqtt:a/+}";
    QTest::newRow("a field in the third item")
            << "playlist"
            << R"([{"text":"a"},{"text":"b"},{"text":"{Time}"}])" << 0 << "items[2].text: unknown field {Time}";
    QTest::newRow("65537 characters") << "message"
                                      << R"({"text":"x%1"})" << 65536
                                      << "text is too long: with its fields filled in it may pass 65536 characters";
    QTest::newRow("a bus value that may fill past 64 KiB") << "message"
                                                           << R"({"text":"{mqtt:t}%1"})" << 65400
                                                           << "text is too long: with its fields filled in it may "
                                                              "pass 65536 characters";
    QTest::newRow("a counter name with a slash")
            << "name"
            << "a/b" << 0 << "counter name \"a/b\" must be 1 to 64 letters, digits, '_', '-' or '.'";
}

void tst_engine::refused()
{
    QFETCH(QString, kind);
    QFETCH(QString, json);
    QFETCH(int, pad);
    if (kind != "items" && pad > 0)
        json = json.arg(QString(pad, u'x'));
    const QJsonValue value = QJsonDocument::fromJson("[" + json.toUtf8() + "]").array().at(0);
    Outcome error;
    if (kind == "items")
        error = ContentJson::playlist(QJsonArray::fromVariantList(QVariantList(pad, value.toVariant()))).error;
    else if (kind == "message")
        error = ContentJson::message(value).error;
    else if (kind == "item")
        error = ContentJson::item(value).error;
    else if (kind == "playlist")
        error = ContentJson::playlist(value).error;
    else if (kind == "alert")
        error = ContentJson::alert(value, QDateTime::currentDateTime()).error;
    else if (kind == "mode")
        error = ContentJson::mode(value).error;
    else if (kind == "brightness")
        error = ContentJson::brightness(value).error;
    else if (kind == "counter")
        error = ContentJson::counterValue(value, "value").error;
    else if (kind == "board")
        error = ContentJson::board(json).error;
    else
        error = ContentJson::counterName(json).error;
    QTEST(MessageText::of(error), "error");
}

QTEST_GUILESS_MAIN(tst_engine)
#include "tst_engine.moc"
