#ifndef WINDOWDRIVER_H
#define WINDOWDRIVER_H

#include "ui/MsgBox.h"
#include "PseudoTerminal.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSettings>
#include <QTest>

#include <memory>

// Starts the main window on a pseudo-terminal mapped as COM7 and drives it
// through its window, as a user's keys and clicks would. Message boxes are
// recorded instead of shown.
class WindowDriver
{
public:
    WindowDriver()
    {
        QSettings(QStringLiteral("VaroMsgBoard"), QStringLiteral("VaroMsgBoard")).clear();
        QFile::remove(listFile());
        QDir(listFile()).removeRecursively();
        pty.mapAs(7);
        MsgBox::setObserver([this](const MsgBox::Shown &box) { boxes << box; });
    }
    ~WindowDriver()
    {
        delete window;
        MsgBox::setObserver({});
        QFile::remove(listFile());
    }

    // The message list file beside the program: the test executable here.
    static QString listFile()
    {
        return QCoreApplication::applicationDirPath() + QStringLiteral("/VaroMsgBoard-MsgList.txt");
    }

    bool start(const QString &commandLine = QStringLiteral("COM7"))
    {
        window = new frmMain(commandLine);
        window->Form_Load();
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }

    template<typename T = QWidget> T *control(const QString &name) const
    {
        return window->findChild<T *>(name);
    }

    bool hasFocus(const QString &name) const
    {
        QWidget *focus = QApplication::focusWidget();
        QWidget *wanted = control(name);
        return focus && wanted && (focus == wanted || wanted->isAncestorOf(focus));
    }

    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(window->windowHandle(), Qt::Key(key), modifiers);
    }

    void type(const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    void click(const QString &name) { QTest::mouseClick(control(name), Qt::LeftButton); }

    QStringList history() const
    {
        QStringList entries;
        auto *curMsg = control<QComboBox>(QStringLiteral("CurMsg"));
        for (int i = 0; i < curMsg->count(); ++i)
            entries << curMsg->itemText(i);
        return entries;
    }

    static QByteArray readListFile()
    {
        QFile file(listFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }

    static bool writeListFile(const QByteArray &bytes)
    {
        QFile file(listFile());
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    QStringList boxTexts() const
    {
        QStringList texts;
        for (const MsgBox::Shown &box : boxes)
            texts << box.text;
        return texts;
    }

    PseudoTerminal pty;
    QPointer<frmMain> window;
    QList<MsgBox::Shown> boxes;
};

#endif
