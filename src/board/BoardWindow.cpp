#include "board/BoardWindow.h"

#include "board/BoardSession.h"
#include "board/FrameText.h"
#include "board/LedDisplayWidget.h"
#include "board/PtyInput.h"
#include "face/LedMatrix.h"

#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

QLabel *detailLabel(const QString &name)
{
    auto *label = new QLabel;
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

} // namespace

BoardWindow::BoardWindow(const BoardArguments &arguments, const BoardInput &input, const BoardSession &session)
    : m_arguments(arguments)
    , m_input(input)
    , m_session(session)
{
    setWindowTitle(QStringLiteral("VaroBoard - ") + input.title());
    auto *layout = new QVBoxLayout(this);
    m_displays = new QVBoxLayout;
    m_waiting = new QLabel(tr("Waiting for frames on %1").arg(input.title()));
    m_displays->addWidget(m_waiting);
    layout->addLayout(m_displays);

    auto *details = new QFormLayout;
    if (const auto *pty = qobject_cast<const PtyInput *>(&input)) {
        auto *hint = detailLabel(QStringLiteral("PortsLine"));
        hint->setText(pty->portsLine());
        details->addRow(tr("Sender setting:"), hint);
        m_line = detailLabel(QStringLiteral("LineSettings"));
        m_line->setText(tr("not set by a sender yet"));
        details->addRow(tr("Line:"), m_line);
    }
    m_lastFrame = detailLabel(QStringLiteral("LastFrame"));
    m_lastError = detailLabel(QStringLiteral("LastError"));
    m_counters = detailLabel(QStringLiteral("Counters"));
    details->addRow(tr("Last frame:"), m_lastFrame);
    details->addRow(tr("Last error:"), m_lastError);
    details->addRow(tr("Received:"), m_counters);
    layout->addLayout(details);
    m_recent = new QListWidget;
    m_recent->setObjectName(QStringLiteral("RecentFrames"));
    layout->addWidget(m_recent, 1);
    updateCounters();

    connect(&session, &BoardSession::frameShown, this, &BoardWindow::onFrame);
    connect(&session, &BoardSession::errorFound, this, &BoardWindow::onError);
    connect(&input, &BoardInput::lost, this, &BoardWindow::showInputLost);
    connect(&m_crawl, &QTimer::timeout, this, &BoardWindow::step);
    // Room for a display at its natural size before the first frame arrives.
    resize(LedDisplayWidget(session, 0, arguments.columns).sizeHint().width() + 24, 480);
}

void BoardWindow::onFrame(const FrameRecord &record)
{
    displayFor(record.frame.board)->refresh();
    m_lastFrame->setText(tr("%1 from %2, %3 bytes\n%4\n%5")
                                 .arg(record.time.toString(QStringLiteral("HH:mm:ss.zzz")), record.source)
                                 .arg(record.frame.bytes.size())
                                 .arg(FrameText::hex(record.frame.bytes), FrameText::commands(record.frame)));
    if (m_line) {
        const bool standard = record.line == u"9600 8N1";
        m_line->setText(standard ? record.line : tr("%1 (not 9600 8N1)").arg(record.line));
    }
    m_recent->addItem(FrameText::summary(record));
    while (m_recent->count() > BoardSession::recentLimit)
        delete m_recent->takeItem(0);
    m_recent->scrollToBottom();
    updateCounters();
    updateCrawlTimer();
}

void BoardWindow::onError(const ErrorRecord &record)
{
    m_lastError->setText(FrameText::summary(record));
    updateCounters();
}

void BoardWindow::showInputLost(const QString &reason)
{
    m_lastError->setText(tr("The input stopped: %1").arg(reason));
}

LedDisplayWidget *BoardWindow::displayFor(int board)
{
    int index = 0;
    for (; index < m_displays->count(); ++index) {
        auto *display = qobject_cast<LedDisplayWidget *>(m_displays->itemAt(index)->widget());
        if (display && display->board() == board)
            return display;
        if (display && display->board() > board)
            break;
    }
    delete m_waiting;
    m_waiting = nullptr;
    auto *display = new LedDisplayWidget(m_session, board, m_arguments.columns);
    m_displays->insertWidget(qMin(index, m_displays->count()), display);
    return display;
}

void BoardWindow::updateCounters()
{
    m_counters->setText(tr("%1 frames, %2 errors").arg(m_session.frameCount()).arg(m_session.errorCount()));
}

// The timer runs only while some display crawls, at the pace of the fastest.
void BoardWindow::updateCrawlTimer()
{
    int interval = 0;
    for (const auto &[board, display] : m_session.boards().displays()) {
        if (LedMatrix::isMoving(display)) {
            const int step = LedMatrix::crawlStepMs(display.mode);
            interval = interval == 0 ? step : qMin(interval, step);
        }
    }
    if (interval == 0)
        m_crawl.stop();
    else if (!m_crawl.isActive() || m_crawl.interval() != interval)
        m_crawl.start(interval);
}

void BoardWindow::step()
{
    for (int i = 0; i < m_displays->count(); ++i) {
        if (auto *display = qobject_cast<LedDisplayWidget *>(m_displays->itemAt(i)->widget()))
            display->refresh();
    }
}
