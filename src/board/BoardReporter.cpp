#include "board/BoardReporter.h"

#include "board/LogLine.h"
#include "face/LedMatrix.h"

#include <QCoreApplication>
#include <QImageWriter>

#include <cstdio>

BoardReporter::BoardReporter(const BoardArguments &arguments, const BoardSession &session)
    : m_arguments(arguments)
    , m_session(session)
{
    connect(&session, &BoardSession::frameShown, this, &BoardReporter::onFrame);
    connect(&session, &BoardSession::errorFound, this, &BoardReporter::onError);
}

void BoardReporter::writeOut(const QByteArray &bytes)
{
    // Flushed at once: a script reads each line as it happens.
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void BoardReporter::onFrame(const FrameRecord &record)
{
    if (m_done)
        return;
    if (m_arguments.log)
        writeOut(LogLine::frame(record));
    if (m_arguments.count > 0 && m_session.frameCount() >= m_arguments.count) {
        m_done = true;
        QCoreApplication::exit(m_arguments.dots.isEmpty() ? 0 : writeDots());
    }
}

void BoardReporter::onError(const ErrorRecord &record)
{
    if (m_arguments.log && !m_done)
        writeOut(LogLine::error(record));
}

int BoardReporter::writeDots() const
{
    std::vector<FaceState> faces;
    for (const auto &[board, display] : m_session.boards().displays())
        faces.push_back(display);
    const QImage image = LedMatrix::renderAll(faces, m_arguments.columns, m_arguments.atMs);
    QImageWriter writer(m_arguments.dots, "png");
    if (writer.write(image))
        return 0;
    std::fprintf(stderr, "VaroBoard: cannot write %s: %s\n", qPrintable(m_arguments.dots),
                 qPrintable(writer.errorString()));
    return 1;
}
