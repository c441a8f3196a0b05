#include "platform/qt/QtPictureSurface.h"

#include <QPaintEvent>
#include <QPainter>

namespace platform {

PictureSurface* makeQtPictureSurface(QWidget* parent)
{
    return new QtPictureSurface(parent);
}

QtPictureSurface::QtPictureSurface(QWidget* parent)
    : PictureSurface(parent)
{
    // Every pixel is painted, and nothing underneath shows through.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QtPictureSurface::setPicture(std::size_t index, const QPixmap& pixels)
{
    if (index >= m_pictures.size())
        m_pictures.resize(index + 1);
    m_pictures[index] = pixels;
}

void QtPictureSurface::place(std::vector<Placed> placed, const QRegion& changed)
{
    m_placed = std::move(placed);
    if (!changed.isEmpty())
        update(changed);
}

void QtPictureSurface::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    for (const QRect& area : event->region()) {
        // Whole pictures, clipped, are a plain copy; drawing a part of one took a
        // slower path that woke helper threads on every tick.
        painter.setClipRect(area);
        QRegion bare(area);
        for (const Placed& p : m_placed) {
            if (area.intersects(p.at)) {
                painter.drawPixmap(p.at.topLeft(), m_pictures[p.picture]);
                bare -= p.at;
            }
        }
        for (const QRect& r : bare)
            painter.fillRect(r, Qt::black);
    }
}

} // namespace platform
