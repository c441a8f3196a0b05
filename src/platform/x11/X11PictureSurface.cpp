#include "platform/x11/X11PictureSurface.h"

#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QSysInfo>

#include <algorithm>
#include <cmath>

#include "platform/x11/XcbReply.h"

namespace platform {

namespace {

xcb_screen_t* screenOf(xcb_connection_t* connection, int number)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; it.rem && number > 0; --number)
        xcb_screen_next(&it);
    return it.rem ? it.data : nullptr;
}

xcb_visualtype_t* visualOf(xcb_screen_t* screen, xcb_visualid_t id, uint8_t* depth)
{
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == id) {
                *depth = d.data->depth;
                return v.data;
            }
        }
    }
    return nullptr;
}

int bitsPerPixel(xcb_connection_t* connection, uint8_t depth)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->depth == depth)
            return f.data->bits_per_pixel;
    }
    return 0;
}

} // namespace

bool X11PictureSurface::suits(xcb_connection_t* connection, int screen)
{
    xcb_screen_t* s = connection ? screenOf(connection, screen) : nullptr;
    if (!s)
        return false;
    uint8_t depth = 0;
    const xcb_visualtype_t* visual = visualOf(s, s->root_visual, &depth);
    const auto order = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? XCB_IMAGE_ORDER_LSB_FIRST
                                                                     : XCB_IMAGE_ORDER_MSB_FIRST;
    return visual && visual->_class == XCB_VISUAL_CLASS_TRUE_COLOR && visual->red_mask == 0xff0000
           && visual->green_mask == 0xff00 && visual->blue_mask == 0xff && (depth == 24 || depth == 32)
           && bitsPerPixel(connection, depth) == 32 && xcb_get_setup(connection)->image_byte_order == order;
}

X11PictureSurface::X11PictureSurface(QWidget* parent, xcb_connection_t* connection)
    : PictureSurface(parent)
    , m_connection(connection)
{
    // A window of its own, drawn by the X server alone: nothing of the toolkit's
    // painting, no background cleared before an exposure is answered.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

X11PictureSurface::~X11PictureSurface()
{
    for (Picture& p : m_pictures)
        release(p);
    if (m_gc != XCB_NONE)
        xcb_free_gc(m_connection, m_gc);
    xcb_flush(m_connection);
}

void X11PictureSurface::setPicture(std::size_t index, const QPixmap& pixels)
{
    if (index >= m_pictures.size())
        m_pictures.resize(index + 1);
    release(m_pictures[index]);
    m_pictures[index].pixels = pixels;
}

void X11PictureSurface::place(std::vector<Placed> placed, const QRegion& changed)
{
    m_placed = std::move(placed);
    if (!changed.isEmpty() && isVisible())
        draw(changed);
}

void X11PictureSurface::paintEvent(QPaintEvent* event)
{
    draw(event->region());
}

bool X11PictureSurface::event(QEvent* event)
{
    if (event->type() == QEvent::WinIdChange)
        m_window = XCB_NONE;
    return PictureSurface::event(event);
}

bool X11PictureSurface::ready()
{
    if (m_window != XCB_NONE)
        return true;
    const auto window = static_cast<xcb_window_t>(winId());
    x11::Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    if (!geometry)
        return false;
    if (m_gc == XCB_NONE || geometry->depth != m_depth) {
        for (Picture& p : m_pictures)
            release(p);
        if (m_gc != XCB_NONE)
            xcb_free_gc(m_connection, m_gc);
        m_gc = xcb_generate_id(m_connection);
        // The black pixel of a true-colour visual is 0; no exposure events for copies.
        const uint32_t values[] = {0, 0};
        xcb_create_gc(m_connection, m_gc, window, XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, values);
        m_depth = geometry->depth;
    }
    m_window = window;
    return true;
}

xcb_pixmap_t X11PictureSurface::stored(Picture& picture)
{
    if (picture.stored != XCB_NONE || picture.pixels.isNull())
        return picture.stored;
    const QImage image = picture.pixels.toImage().convertToFormat(QImage::Format_RGB32);
    picture.stored = xcb_generate_id(m_connection);
    xcb_create_pixmap(m_connection, m_depth, picture.stored, m_window, image.width(), image.height());
    // In bands that fit one request.
    const auto maxBytes = std::size_t(xcb_get_maximum_request_length(m_connection)) * 4 - 64;
    const auto line = std::size_t(image.bytesPerLine());
    const int rows = int(std::max<std::size_t>(1, maxBytes / line));
    for (int y = 0; y < image.height(); y += rows) {
        const int n = std::min(rows, image.height() - y);
        xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, picture.stored, m_gc, image.width(), n, 0, y, 0,
                      m_depth, uint32_t(line * n), image.constScanLine(y));
    }
    return picture.stored;
}

void X11PictureSurface::release(Picture& picture)
{
    if (picture.stored != XCB_NONE)
        xcb_free_pixmap(m_connection, picture.stored);
    picture.stored = XCB_NONE;
}

QRect X11PictureSurface::toDevice(const QRect& rect, qreal ratio)
{
    const int left = int(std::floor(rect.left() * ratio));
    const int top = int(std::floor(rect.top() * ratio));
    const int right = int(std::ceil((rect.right() + 1) * ratio));
    const int bottom = int(std::ceil((rect.bottom() + 1) * ratio));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void X11PictureSurface::draw(const QRegion& area)
{
    if (!ready())
        return;
    // Asked once: the widget finds it through its screen each time.
    const qreal ratio = devicePixelRatioF();
    QRegion bare;
    for (const QRect& logical : area) {
        const QRect target = toDevice(logical, ratio);
        QRegion uncovered(target);
        for (const Placed& p : m_placed) {
            const QRect at = toDevice(p.at, ratio);
            const QRect part = at & target;
            const xcb_pixmap_t source = part.isEmpty() ? XCB_NONE : stored(m_pictures[p.picture]);
            if (source == XCB_NONE)
                continue;
            xcb_copy_area(m_connection, source, m_window, m_gc, int16_t(part.x() - at.x()), int16_t(part.y() - at.y()),
                          int16_t(part.x()), int16_t(part.y()), uint16_t(part.width()), uint16_t(part.height()));
            uncovered -= at;
        }
        bare += uncovered;
    }
    std::vector<xcb_rectangle_t> fills;
    for (const QRect& r : bare)
        fills.push_back({int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())});
    if (!fills.empty())
        xcb_poly_fill_rectangle(m_connection, m_window, m_gc, uint32_t(fills.size()), fills.data());
    // Sent now: nothing else would flush the connection before the next tick.
    xcb_flush(m_connection);
}

} // namespace platform
