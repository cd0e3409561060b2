#ifndef BOARDREPORTER_H
#define BOARDREPORTER_H

#include "board/BoardArguments.h"
#include "board/BoardSession.h"

#include <QObject>

// The window-less side of a run: the JSON log on standard output, the end
// after --count frames and the --dots picture.
class BoardReporter : public QObject
{
    Q_OBJECT

public:
    BoardReporter(const BoardArguments &arguments, const BoardSession &session);

    static void writeOut(const QByteArray &bytes);

private:
    void onFrame(const FrameRecord &record);
    void onError(const ErrorRecord &record);
    int writeDots() const;

    const BoardArguments m_arguments;
    const BoardSession &m_session;
    bool m_done = false;
};

#endif
