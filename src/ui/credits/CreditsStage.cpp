#include "ui/credits/CreditsStage.h"

#include <QImage>
#include <QWidget>

#include <cmath>

namespace {

// The bands of rows that hold anything but black, each as wide as its ink.
QRegion inkOf(const QPixmap& pixmap)
{
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = pixmap.devicePixelRatio();
    const QRgb black = qRgb(0, 0, 0);
    QRegion ink;
    QRect band;
    auto close = [&] {
        if (band.isNull())
            return;
        // Back to the block's coordinates, widened to whole pixels.
        const int left = int(std::floor(band.left() / ratio));
        const int top = int(std::floor(band.top() / ratio));
        const int right = int(std::ceil((band.right() + 1) / ratio));
        const int bottom = int(std::ceil((band.bottom() + 1) / ratio));
        ink += QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
        band = QRect();
    };
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = -1;
        int last = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] != black) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        if (first < 0)
            close();
        else
            band |= QRect(first, y, last - first + 1, 1);
    }
    close();
    return ink;
}

} // namespace

CreditsStage::CreditsStage(QWidget* parent, std::vector<QWidget*> blocks,
                           const platform::PictureSurfaceMaker& makeSurface)
    : m_surface(makeSurface(parent))
    , m_blocks(std::move(blocks))
    , m_shown(m_blocks.size())
    , m_pictures(m_blocks.size())
{
    m_surface->setObjectName("stage");
    m_surface->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_surface->setFocusPolicy(Qt::NoFocus);
    m_surface->setGeometry(parent->rect());
    m_surface->raise();
    // Under the surface nobody sees them: moving them then costs no repaint.
    for (QWidget* block : m_blocks)
        block->setAttribute(Qt::WA_DontShowOnScreen);
}

void CreditsStage::follow()
{
    const QRect area = m_surface->rect();
    QRegion dirty;
    std::vector<platform::PictureSurface::Placed> placed;
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const QRect now = m_blocks[i]->geometry();
        if (now != m_shown[i]) {
            for (const QRect& at : {m_shown[i], now}) {
                if (at.intersects(area))
                    dirty += picture(i).ink.translated(at.topLeft()) & area;
            }
            m_shown[i] = now;
        }
        if (now.intersects(area)) {
            picture(i);
            placed.push_back({i, now});
        }
    }
    m_surface->place(std::move(placed), dirty);
}

const CreditsStage::Picture& CreditsStage::picture(std::size_t block)
{
    Picture& p = m_pictures[block];
    if (p.pixels.isNull() || p.pixels.devicePixelRatio() != m_surface->devicePixelRatioF()) {
        // Opaque, in the screen's format: copied as it is, not blended.
        QImage image = m_blocks[block]->grab().toImage().convertToFormat(QImage::Format_RGB32);
        p.pixels = QPixmap::fromImage(std::move(image));
        p.ink = inkOf(p.pixels);
        m_surface->setPicture(block, p.pixels);
    }
    return p;
}
