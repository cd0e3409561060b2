#ifndef BOARDWINDOW_H
#define BOARDWINDOW_H

#include "board/BoardArguments.h"
#include "board/FrameRecord.h"

#include <QTimer>
#include <QWidget>

class BoardInput;
class BoardSession;
class LedDisplayWidget;
class QLabel;
class QListWidget;
class QVBoxLayout;

// The virtual board's window: one display per board, and under them what
// arrived last, the counters and the recent frames.
class BoardWindow : public QWidget
{
    Q_OBJECT

public:
    BoardWindow(const BoardArguments &arguments, const BoardInput &input, const BoardSession &session);

private:
    void onFrame(const FrameRecord &record);
    void onError(const ErrorRecord &record);
    void showInputLost(const QString &reason);
    LedDisplayWidget *displayFor(int board);
    void updateCounters();
    void updateCrawlTimer();
    void step();

    const BoardArguments m_arguments;
    const BoardInput &m_input;
    const BoardSession &m_session;
    QVBoxLayout *m_displays = nullptr;
    QLabel *m_waiting = nullptr;
    QLabel *m_line = nullptr;
    QLabel *m_lastFrame = nullptr;
    QLabel *m_lastError = nullptr;
    QLabel *m_counters = nullptr;
    QListWidget *m_recent = nullptr;
    QTimer m_crawl;
};

#endif
