#ifndef PSEUDOTERMINAL_H
#define PSEUDOTERMINAL_H

#include <QSettings>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

// A serial port stand-in: the program opens the slave side as a COM port
// mapped under [Ports]; the test reads what arrives at the master side.
class PseudoTerminal
{
public:
    PseudoTerminal()
    {
        int slave = -1;
        char name[256] = {};
        if (openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            return;
        ::close(slave); // the program opens its own
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC); // a program started by a test must not hold it
        m_slaveName = QString::fromLocal8Bit(name);
    }
    ~PseudoTerminal() { closeMaster(); }

    bool isValid() const { return m_master >= 0; }
    QString slaveName() const { return m_slaveName; }

    // Maps COM<number> to this terminal, or to another device, in the
    // program's settings store.
    void mapAs(int number) const { map(number, m_slaveName); }
    static void map(int number, const QString &device)
    {
        QSettings("VaroMsgBoard", "VaroMsgBoard").setValue(QString("Ports/COM%1").arg(number), device);
    }

    // Everything that arrives until nothing more comes for quietMs, waiting
    // firstMs (or quietMs) for the first byte.
    QByteArray read(int quietMs = 300, int firstMs = -1)
    {
        QByteArray bytes;
        pollfd fd { m_master, POLLIN, 0 };
        while (::poll(&fd, 1, bytes.isEmpty() && firstMs >= 0 ? firstMs : quietMs) > 0 && (fd.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            bytes.append(buffer, n);
        }
        return bytes;
    }

    // The device goes away: writes to the slave side fail from now on.
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    QString m_slaveName;
};

#endif
