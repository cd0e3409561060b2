#ifndef LEDDISPLAYWIDGET_H
#define LEDDISPLAYWIDGET_H

#include <QImage>
#include <QPixmap>
#include <QWidget>

class BoardSession;

// One board's face: its number, then its LEDs as round dots. The LED matrix
// itself comes from LedMatrix; this widget only paints it.
class LedDisplayWidget : public QWidget
{
    Q_OBJECT

public:
    LedDisplayWidget(const BoardSession &session, int board, int columns, QWidget *parent = nullptr);

    int board() const { return m_board; }
    // Repaints when the LEDs differ from what is on screen.
    void refresh();

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage currentMatrix() const;
    int pitch() const;
    const QPixmap &dot(int grey, int size);

    const BoardSession &m_session;
    const int m_board;
    const int m_columns;
    QImage m_shown;
    QHash<quint64, QPixmap> m_dots;
};

#endif
