// The peers of bench/credits_cpu.sh: the least a Qt Widgets program does for the same
// cadence as the credits. A black window of the credits' size with a 10 ms timer;
// by default a pre-drawn block of text lines rises 50 twips (3 or 4 pixels) a tick and
// only the rows it covered or covers are repainted. With --timer-only the timer fires
// and nothing is drawn: what the wake-ups alone cost.
#include <QApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kStepTwips = 50;

class RisingText final : public QWidget {
public:
    explicit RisingText(bool draw)
    {
        setWindowTitle(QStringLiteral("credits peer"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(385, 307);
        m_block = QPixmap(345, 60 * 13);
        m_block.fill(Qt::black);
        QPainter p(&m_block);
        p.setPen(Qt::white);
        for (int line = 0; line < 60; ++line) {
            if (line % 3)
                p.drawText(QRect(0, line * 13, m_block.width(), 13), Qt::AlignHCenter,
                           QStringLiteral("Line %1 of the credits").arg(line));
        }
        p.end();
        m_top = height() * kTwipsPerPixel;
        auto* timer = new QTimer(this);
        timer->setInterval(10);
        if (draw)
            connect(timer, &QTimer::timeout, this, &RisingText::tick);
        timer->start();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        p.fillRect(event->rect(), Qt::black);
        p.drawPixmap(20, y(), m_block);
    }

private:
    int y() const { return static_cast<int>(std::lround(m_top / double(kTwipsPerPixel))); }

    void tick()
    {
        const int before = y();
        m_top -= kStepTwips;
        if (y() + m_block.height() < 0)
            m_top = height() * kTwipsPerPixel;
        const int top = std::min(before, y());
        const int bottom = std::max(before, y()) + m_block.height();
        update(QRect(20, top, m_block.width(), bottom - top) & rect());
    }

    QPixmap m_block;
    int m_top = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    RisingText window(!app.arguments().contains(QStringLiteral("--timer-only")));
    window.show();
    return app.exec();
}
