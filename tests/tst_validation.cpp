#include "WindowDriver.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

class tst_Validation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void leavingInvalidFieldKeepsFocus_data();
    void leavingInvalidFieldKeepsFocus();
    void clickElsewhereWithInvalidField_data();
    void clickElsewhereWithInvalidField();
    void helpIsExempt();
    void leavingValidFieldTidiesIt_data();
    void leavingValidFieldTidiesIt();
    void sendWithInvalidFields_data();
    void sendWithInvalidFields();
    void sendTidiesValidFields();
    void closingRunsNoCheck_data();
    void closingRunsNoCheck();

private:
    void fill(const QString &board, const QString &bright);

    std::unique_ptr<WindowDriver> m_ui;
};

static const QString boardMessage = QStringLiteral("INVALID BOARD NUMBER\rPlease enter a decimal number between 0 and 99");
static const QString brightMessage = QStringLiteral("INVALID BRIGHTNESS\rPlease enter a decimal number between 0 and 99");

void tst_Validation::init()
{
    m_ui = std::make_unique<WindowDriver>();
    QVERIFY(m_ui->pty.isValid());
    QVERIFY(m_ui->start());
    m_ui->control<QComboBox>(QStringLiteral("Present"))->setCurrentIndex(0);
    m_ui->control<QComboBox>(QStringLiteral("CurMsg"))->setEditText(QStringLiteral("HI"));
}

void tst_Validation::cleanup()
{
    m_ui.reset();
}

void tst_Validation::fill(const QString &board, const QString &bright)
{
    m_ui->control<QLineEdit>(QStringLiteral("BoardNum"))->setText(board);
    m_ui->control<QLineEdit>(QStringLiteral("Bright"))->setText(bright);
}

void tst_Validation::leavingInvalidFieldKeepsFocus_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("message");

    QTest::newRow("Tab out of board abc") << "BoardNum" << "abc" << int(Qt::Key_Tab) << boardMessage;
    QTest::newRow("Shift+Tab out of board 100") << "BoardNum" << "100" << int(Qt::Key_Backtab) << boardMessage;
    QTest::newRow("Tab out of brightness 100") << "Bright" << "100" << int(Qt::Key_Tab) << brightMessage;
    QTest::newRow("Shift+Tab out of brightness -1") << "Bright" << "-1" << int(Qt::Key_Backtab) << brightMessage;
}

void tst_Validation::leavingInvalidFieldKeepsFocus()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, key);
    QFETCH(QString, message);

    fill(QStringLiteral("1"), QStringLiteral("50"));
    auto *edit = m_ui->control<QLineEdit>(field);
    edit->setFocus();
    edit->clear();
    m_ui->type(text);
    m_ui->press(key);

    QCOMPARE(m_ui->boxTexts(), QStringList{ message });
    QCOMPARE(m_ui->boxes.first().icon, QMessageBox::NoIcon);
    QCOMPARE(m_ui->boxes.first().title, QStringLiteral("VaroMsgBoard"));
    QVERIFY(m_ui->hasFocus(field));
    QCOMPARE(edit->text(), text);
}

void tst_Validation::clickElsewhereWithInvalidField_data()
{
    QTest::addColumn<QString>("target");

    QTest::newRow("SEND") << "Send";
    QTest::newRow("EXIT") << "Exit";
    QTest::newRow("the brightness field") << "Bright";
    QTest::newRow("the presentation list") << "Present";
    QTest::newRow("the message field") << "CurMsg";
}

void tst_Validation::clickElsewhereWithInvalidField()
{
    QFETCH(QString, target);

    fill(QStringLiteral(" 4 2 "), QStringLiteral("50"));
    m_ui->control(QStringLiteral("BoardNum"))->setFocus();
    m_ui->click(target);

    QCOMPARE(m_ui->boxTexts(), QStringList{ boardMessage });
    QVERIFY(m_ui->hasFocus(QStringLiteral("BoardNum")));
    QCOMPARE(m_ui->control<QLineEdit>(QStringLiteral("BoardNum"))->text(), QStringLiteral(" 4 2 "));
    QVERIFY(m_ui->window);
    QVERIFY(m_ui->window->isVisible());
    QCOMPARE(m_ui->pty.read(), QByteArray());
}

void tst_Validation::helpIsExempt()
{
    fill(QStringLiteral("abc"), QStringLiteral("50"));
    m_ui->control(QStringLiteral("BoardNum"))->setFocus();
    m_ui->click(QStringLiteral("Help"));

    auto *menu = m_ui->control<QMenu>(QStringLiteral("MnuHelp"));
    QTRY_VERIFY(menu->isVisible());
    menu->close();
    QCOMPARE(m_ui->boxTexts(), QStringList());
}

void tst_Validation::leavingValidFieldTidiesIt_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tidied");

    QTest::newRow("board with spaces") << "BoardNum" << " 42 " << "42";
    QTest::newRow("empty board") << "BoardNum" << "" << "0";
    QTest::newRow("board 007") << "BoardNum" << "007" << "007";
    QTest::newRow("spaces-only brightness") << "Bright" << "   " << "99";
    QTest::newRow("brightness 5 ") << "Bright" << "5 " << "5";
}

void tst_Validation::leavingValidFieldTidiesIt()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, tidied);

    auto *edit = m_ui->control<QLineEdit>(field);
    edit->setFocus();
    edit->setText(text);
    m_ui->press(Qt::Key_Tab);

    QCOMPARE(m_ui->boxTexts(), QStringList());
    QCOMPARE(edit->text(), tidied);
    QVERIFY(!m_ui->hasFocus(field));
}

void tst_Validation::sendWithInvalidFields_data()
{
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("bright");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("focus");

    QTest::newRow("board abc") << "abc" << "50" << QStringList{ boardMessage } << "BoardNum";
    QTest::newRow("brightness 100") << "5" << "100" << QStringList{ brightMessage } << "Bright";
    QTest::newRow("both: board first") << "1 2" << "x" << QStringList{ boardMessage, brightMessage } << "BoardNum";
}

void tst_Validation::sendWithInvalidFields()
{
    QFETCH(QString, board);
    QFETCH(QString, bright);
    QFETCH(QStringList, messages);
    QFETCH(QString, focus);

    fill(board, bright);
    m_ui->control(QStringLiteral("CurMsg"))->setFocus();
    m_ui->press(Qt::Key_Return);

    QCOMPARE(m_ui->boxTexts(), messages);
    QCOMPARE(m_ui->pty.read(), QByteArray());
    QVERIFY(m_ui->hasFocus(focus));
    QCOMPARE(m_ui->control<QLineEdit>(QStringLiteral("BoardNum"))->text(), board);
}

void tst_Validation::sendTidiesValidFields()
{
    fill(QStringLiteral(" 42 "), QString());
    m_ui->control(QStringLiteral("BoardNum"))->setFocus();
    m_ui->press(Qt::Key_Return);

    QCOMPARE(m_ui->boxTexts(), QStringList());
    QCOMPARE(m_ui->control<QLineEdit>(QStringLiteral("BoardNum"))->text(), QStringLiteral("42"));
    QCOMPARE(m_ui->control<QLineEdit>(QStringLiteral("Bright"))->text(), QStringLiteral("99"));
    QCOMPARE(m_ui->pty.read(), QByteArray("\r42C0\r42B99\r42AHI\r42D"));
}

void tst_Validation::closingRunsNoCheck_data()
{
    QTest::addColumn<bool>("byEscape");

    QTest::newRow("Esc") << true;
    QTest::newRow("title bar") << false;
}

void tst_Validation::closingRunsNoCheck()
{
    QFETCH(bool, byEscape);

    fill(QStringLiteral("abc"), QStringLiteral("100"));
    m_ui->control(QStringLiteral("BoardNum"))->setFocus();
    if (byEscape)
        m_ui->press(Qt::Key_Escape);
    else
        m_ui->window->windowHandle()->close();

    QTRY_VERIFY(!m_ui->window);
    QCOMPARE(m_ui->boxTexts(), QStringList());
}

QTEST_MAIN(tst_Validation)
#include "tst_validation.moc"
