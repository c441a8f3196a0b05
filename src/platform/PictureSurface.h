#pragma once

#include <QPixmap>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <vector>

namespace platform {

// A widget that shows pictures over black, each where it is placed. Pictures are given
// once and then only moved, so a backend may keep them where the display is drawn.
class PictureSurface : public QWidget {
public:
    struct Placed {
        std::size_t picture;
        // In the surface's coordinates; the picture's own size.
        QRect at;
    };

    using QWidget::QWidget;

    // The picture named `index` in place(); given again when the pixel ratio changes.
    virtual void setPicture(std::size_t index, const QPixmap& pixels) = 0;
    // Where the pictures now stand; only `changed` has to be drawn again.
    virtual void place(std::vector<Placed> placed, const QRegion& changed) = 0;
};

// Makes a surface as a child of the parent, which owns it.
using PictureSurfaceMaker = std::function<PictureSurface*(QWidget* parent)>;

// Draws with the toolkit's painter, on any platform.
PictureSurface* makeQtPictureSurface(QWidget* parent);

} // namespace platform
