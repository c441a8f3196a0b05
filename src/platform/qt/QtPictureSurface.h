#pragma once

#include "platform/PictureSurface.h"

namespace platform {

// Paints the pictures with the toolkit, into the window's image.
class QtPictureSurface final : public PictureSurface {
public:
    explicit QtPictureSurface(QWidget* parent);

    void setPicture(std::size_t index, const QPixmap& pixels) override;
    void place(std::vector<Placed> placed, const QRegion& changed) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QPixmap> m_pictures;
    std::vector<Placed> m_placed;
};

} // namespace platform
