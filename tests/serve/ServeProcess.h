#ifndef SERVEPROCESS_H
#define SERVEPROCESS_H

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

#include <csignal>

struct Reply
{
    int status = 0;
    QByteArray head, body;
    QJsonDocument json() const { return QJsonDocument::fromJson(body); }
};

// build/VaroServe as a process inside the private network, on a free HTTP
// port that it names on standard error, with its store in the test's folder.
class Service
{
public:
    QProcess process;
    quint16 port = 0;

    bool start(const QStringList &arguments)
    {
        process.setReadChannel(QProcess::StandardError);
        process.start(VAROSERVE, QStringList { "--listen", "127.0.0.1:0" } + arguments);
        static const QRegularExpression listening("listening on http://127.0.0.1:(\\d+)/");
        QByteArray said;
        while (process.waitForReadyRead(5000)) {
            said += process.readAllStandardError();
            if (const auto match = listening.match(QString::fromUtf8(said)); match.hasMatch()) {
                port = match.captured(1).toUShort();
                return true;
            }
        }
        qWarning("%s", said.constData());
        return false;
    }
    Reply http(const QByteArray &method, const QByteArray &path, const QByteArray &body = {},
               const QByteArray &headers = {}) const
    {
        return raw(method + ' ' + path + " HTTP/1.1\r\nConnection: close\r\n" + headers
                   + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    }
    Reply raw(const QByteArray &request) const
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(2000);
        socket.write(request);
        QByteArray answer;
        while (socket.waitForReadyRead(5000))
            answer += socket.readAll();
        Reply reply;
        const qsizetype end = answer.indexOf("\r\n\r\n");
        reply.head = answer.left(end);
        reply.body = answer.mid(end + 4);
        reply.status = answer.mid(9, 3).toInt();
        return reply;
    }
    // A figure of /proc/PID/status in KiB: VmRSS now, VmHWM at its peak.
    qint64 memory(const QByteArray &field) const
    {
        QFile status(QString("/proc/%1/status").arg(process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith(field + ':'))
                return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
        }
        return -1;
    }
    int stop(int signal = SIGTERM)
    {
        ::kill(pid_t(process.processId()), signal);
        process.waitForFinished(5000);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    ~Service()
    {
        if (process.state() != QProcess::NotRunning)
            stop(SIGKILL);
    }
};

#endif
