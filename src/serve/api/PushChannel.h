#ifndef PUSHCHANNEL_H
#define PUSHCHANNEL_H

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <memory>
#include <vector>

class ApiServer;
class BoardControl;
class BoardsController;
class QWebSocket;

// GET /api/push, upgraded to a WebSocket: what changes, pushed, so that a
// page need not ask again and again. The first message a client sends is the
// token (any text when the service has none; any role may listen); a wrong one, none within
// tokenMs, or a page of another origin closes the socket with refusedCode,
// before anything is sent. Then, every flushMs at most, one text message of
// JSON: {"now": the service's time, "all": true on the first (the boards
// listed are all there are), "boards": [each board that changed, as
// GET /api/boards lists it without the frame's hex, the seconds left, and
// the whole lengths of a text or frame that is not cut],
// "gone": [boards no longer declared nor with content], "counters": {...}
// when they changed}. A declaration is a change of its board. Only the newest state of each board waits for a client
// that takes nothing: past backlogLimit bytes unsent it gets no more until they are out, and after stuckMs that way it
// is closed.
class PushChannel : public QObject
{
    Q_OBJECT

public:
    static constexpr int flushMs = 200;
    static constexpr int tokenMs = 5000;
    static constexpr qint64 backlogLimit = 64 * 1024;
    static constexpr int stuckMs = 30000;
    static constexpr int refusedCode = 4401;
    static constexpr qint64 messageLimit = 4096; // what a client may send: its token

    PushChannel(const BoardControl &control, const BoardsController &boards);
    ~PushChannel() override;
    void addRoutes(ApiServer &server);

private:
    struct Client
    {
        std::unique_ptr<QWebSocket> socket;
        bool admitted = false;
        bool all = true;
        bool counters = true;
        QSet<int> boards;
        QElapsedTimer behind; // since it stopped taking what was sent
    };

    void accept(std::unique_ptr<QWebSocket> socket);
    void received(QWebSocket *socket, const QString &message);
    void drop(QWebSocket *socket);
    Client *find(QWebSocket *socket);
    void changed(int board);
    void flush();
    QString message(const QList<int> &numbers, bool all, const QMap<QString, qint64> *counters, const QList<int> &known,
                    QHash<int, QJsonObject> &records) const;
    QList<int> known() const;
    QJsonObject record(int board) const;

    const BoardControl &m_control;
    const BoardsController &m_boards;
    ApiServer *m_server = nullptr;
    std::vector<std::unique_ptr<Client>> m_clients;
    QMap<QString, qint64> m_counters;
    QTimer m_timer;
};

#endif
