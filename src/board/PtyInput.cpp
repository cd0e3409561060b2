#include "board/PtyInput.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool fail(QString &reason)
{
    reason = systemReason();
    return false;
}

int baudOf(speed_t speed)
{
    static const std::pair<speed_t, int> table[] = {
        { B50, 50 },       { B75, 75 },         { B110, 110 },       { B134, 134 },     { B150, 150 },
        { B200, 200 },     { B300, 300 },       { B600, 600 },       { B1200, 1200 },   { B1800, 1800 },
        { B2400, 2400 },   { B4800, 4800 },     { B9600, 9600 },     { B19200, 19200 }, { B38400, 38400 },
        { B57600, 57600 }, { B115200, 115200 }, { B230400, 230400 },
    };
    for (const auto &[code, baud] : table) {
        if (code == speed)
            return baud;
    }
    return 0;
}

} // namespace

PtyInput::~PtyInput()
{
    m_notifier.reset();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyInput::open(QString &reason)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail(reason);
    char name[256] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail(reason);
    m_path = QString::fromLocal8Bit(name);
    // Holding the other end open ourselves keeps the terminal alive between
    // senders: without it the master reports a hang-up each time one closes.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail(reason);
    // Raw, so that bytes written by a plain shell arrive untranslated.
    termios settings {};
    ::tcgetattr(m_slave, &settings);
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B9600);
    ::tcsetattr(m_slave, TCSANOW, &settings);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyInput::readAvailable);
    return true;
}

QString PtyInput::title() const
{
    return QStringLiteral("PTY ") + m_path;
}

QString PtyInput::portsLine() const
{
    bool ok = false;
    const int number = m_path.section(u'/', -1).toInt(&ok);
    return QStringLiteral("[Ports] COM%1=%2").arg(ok && number > 0 ? number : 1).arg(m_path);
}

QString PtyInput::lineSettings() const
{
    termios settings {};
    if (m_slave < 0 || ::tcgetattr(m_slave, &settings) != 0)
        return {};
    const int bits[] = { 5, 6, 7, 8 };
    const tcflag_t size = settings.c_cflag & CSIZE;
    const int dataBits = bits[size == CS5 ? 0 : size == CS6 ? 1 : size == CS7 ? 2 : 3];
    const char parity = !(settings.c_cflag & PARENB) ? 'N' : (settings.c_cflag & PARODD) ? 'O' : 'E';
    const int stopBits = settings.c_cflag & CSTOPB ? 2 : 1;
    return QStringLiteral("%1 %2%3%4")
            .arg(baudOf(::cfgetospeed(&settings)))
            .arg(dataBits)
            .arg(QChar::fromLatin1(parity))
            .arg(stopBits);
}

void PtyInput::readAvailable()
{
    // At most 64 KiB at a time: a sender that never pauses must not keep the
    // event loop here. The notifier fires again for the rest.
    QByteArray bytes;
    char buffer[4096];
    ssize_t n = 0;
    for (int reads = 0; reads < 16 && (n = ::read(m_master, buffer, sizeof buffer)) > 0; ++reads)
        bytes.append(buffer, n);
    const bool failed = n < 0 && errno != EAGAIN && errno != EINTR;
    if (!bytes.isEmpty())
        emit received(bytes, m_path);
    if (failed) {
        m_notifier->setEnabled(false); // a read error would otherwise repeat at once, forever
        emit lost(systemReason());
    }
}
