#include "board/LedDisplayWidget.h"

#include "board/BoardSession.h"
#include "face/LedMatrix.h"

#include <QPainter>

namespace {

constexpr int labelWidth = 80;
constexpr int minimumPitch = 3;
const QColor background(12, 10, 8);
const QColor unlit(34, 24, 6); // a dark LED is still faintly visible
const QColor amber(255, 176, 0);

QColor ledColour(int grey)
{
    const auto mix = [grey](int off, int on) { return off + (on - off) * grey / 255; };
    return QColor(mix(unlit.red(), amber.red()), mix(unlit.green(), amber.green()), mix(unlit.blue(), amber.blue()));
}

} // namespace

LedDisplayWidget::LedDisplayWidget(const BoardSession &session, int board, int columns, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
    , m_board(board)
    , m_columns(columns)
{
    setObjectName(QStringLiteral("Board%1").arg(board));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setMinimumWidth(labelWidth + LedMatrix::width(columns) * minimumPitch); // every LED stays visible
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QImage LedDisplayWidget::currentMatrix() const
{
    const auto &displays = m_session.boards().displays();
    const auto it = displays.find(m_board);
    if (it == displays.end())
        return {};
    return LedMatrix::render(it->second, m_columns, m_session.nowMs() - it->second.frameAtMs);
}

void LedDisplayWidget::refresh()
{
    QImage matrix = currentMatrix();
    if (matrix == m_shown)
        return;
    m_shown = std::move(matrix);
    update();
}

int LedDisplayWidget::pitch() const
{
    return qMax(minimumPitch, (width() - labelWidth) / LedMatrix::width(m_columns));
}

QSize LedDisplayWidget::sizeHint() const
{
    return { labelWidth + LedMatrix::width(m_columns) * 6, 7 * 6 + 8 };
}

int LedDisplayWidget::heightForWidth(int width) const
{
    return 7 * qMax(minimumPitch, (width - labelWidth) / LedMatrix::width(m_columns)) + 8;
}

const QPixmap &LedDisplayWidget::dot(int grey, int size)
{
    const quint64 key = quint64(grey) << 32 | quint32(size);
    auto it = m_dots.find(key);
    if (it != m_dots.end())
        return *it;
    QPixmap pixmap(size, size);
    pixmap.fill(background);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ledColour(grey));
    const qreal margin = size * 0.12;
    painter.drawEllipse(QRectF(margin, margin, size - 2 * margin, size - 2 * margin));
    return *m_dots.insert(key, pixmap);
}

void LedDisplayWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), background);
    painter.setPen(amber);
    painter.drawText(QRect(0, 0, labelWidth - 8, height()), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Board %1").arg(m_board));
    if (m_shown.isNull())
        m_shown = currentMatrix();
    const int size = pitch();
    const int top = (height() - 7 * size) / 2;
    // Painting ready-made dots keeps a fast crawl cheap.
    for (int y = 0; y < m_shown.height(); ++y) {
        const uchar *line = m_shown.constScanLine(y);
        for (int x = 0; x < m_shown.width(); ++x)
            painter.drawPixmap(labelWidth + x * size, top + y * size, dot(line[x], size));
    }
}
