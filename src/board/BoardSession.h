#ifndef BOARDSESSION_H
#define BOARDSESSION_H

#include "board/BoardInput.h"
#include "board/BoardSet.h"
#include "board/FrameRecord.h"
#include "protocol/BoardDecoder.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>

// What the virtual board has received: its displays and its counters.
// Windows and the log both watch it.
class BoardSession : public QObject
{
    Q_OBJECT

public:
    static constexpr int recentLimit = 100; // frames a window lists

    explicit BoardSession(std::optional<int> onlyBoard, QObject *parent = nullptr);

    void attach(BoardInput *input);
    void take(const QByteArray &bytes, const QString &source, bool isDatagram, const QString &line = {});

    const BoardSet &boards() const { return m_boards; }
    qint64 nowMs() const { return m_clock.elapsed(); }
    int frameCount() const { return m_frames; }
    int errorCount() const { return m_errors; }

signals:
    void frameShown(const FrameRecord &record);
    void errorFound(const ErrorRecord &record);

private:
    void handle(const DecodedFrame &frame, const QString &source, const QString &line);
    void handle(const DecodeError &error, const QString &source);

    QHash<QString, BoardDecoder> m_streams; // one per source: a line, or each connection
    BoardSet m_boards;
    QElapsedTimer m_clock;
    int m_frames = 0;
    int m_errors = 0;
};

#endif
