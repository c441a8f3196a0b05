#pragma once

#include <xcb/xcb.h>

#include "platform/PictureSurface.h"

namespace platform {

// Keeps the pictures in the X server and shows them by copying there, straight into
// the surface's own window: moving them costs a copy request per picture in sight
// and no wait for the server, where the toolkit would paint, send a shared image and
// wait until the server has read it. Exposures are answered the same way.
class X11PictureSurface final : public PictureSurface {
public:
    X11PictureSurface(QWidget* parent, xcb_connection_t* connection);
    ~X11PictureSurface() override;

    // Whether the screen's windows take the program's pictures (32-bit RGB, the
    // program's byte order) as they are.
    static bool suits(xcb_connection_t* connection, int screen);

    QPaintEngine* paintEngine() const override { return nullptr; }
    void setPicture(std::size_t index, const QPixmap& pixels) override;
    void place(std::vector<Placed> placed, const QRegion& changed) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Picture {
        QPixmap pixels;
        xcb_pixmap_t stored = XCB_NONE;
    };
    bool ready();
    xcb_pixmap_t stored(Picture& picture);
    void release(Picture& picture);
    void draw(const QRegion& area);
    static QRect toDevice(const QRect& rect, qreal ratio);

    xcb_connection_t* m_connection;
    xcb_window_t m_window = XCB_NONE;
    xcb_gcontext_t m_gc = XCB_NONE;
    uint8_t m_depth = 0;
    std::vector<Picture> m_pictures;
    std::vector<Placed> m_placed;
};

} // namespace platform
