#include "board/BoardSession.h"

BoardSession::BoardSession(std::optional<int> onlyBoard, QObject *parent)
    : QObject(parent)
    , m_boards(onlyBoard)
{
    m_clock.start();
}

void BoardSession::attach(BoardInput *input)
{
    connect(input, &BoardInput::received, this, [this, input](const QByteArray &bytes, const QString &source) {
        take(bytes, source, input->isDatagram(), input->lineSettings());
    });
    connect(input, &BoardInput::ended, this, [this](const QString &source) { m_streams.remove(source); });
}

void BoardSession::take(const QByteArray &bytes, const QString &source, bool isDatagram, const QString &line)
{
    const QList<BoardDecoder::Event> events
            = isDatagram ? BoardDecoder::decodeDatagram(bytes) : m_streams[source].feed(bytes);
    for (const BoardDecoder::Event &event : events) {
        if (const auto *frame = std::get_if<DecodedFrame>(&event))
            handle(*frame, source, line);
        else
            handle(std::get<DecodeError>(event), source);
    }
}

void BoardSession::handle(const DecodedFrame &frame, const QString &source, const QString &line)
{
    const DisplayState *shown = m_boards.apply(frame, nowMs());
    if (!shown)
        return;
    ++m_frames;
    const FrameRecord record { QDateTime::currentDateTime(), source, line, frame, *shown };
    emit frameShown(record);
}

void BoardSession::handle(const DecodeError &error, const QString &source)
{
    ++m_errors;
    emit errorFound({ QDateTime::currentDateTime(), source, error });
}
