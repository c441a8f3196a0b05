#pragma once

#include <QRect>
#include <QSize>
#include <QtMath>

// Every position and size is kept in twips (1440 to the inch) and becomes logical
// pixels only when placed: 15 twips to the pixel at 96 dots per inch.
namespace twips {

inline constexpr int kPerPixel = 15;

constexpr int toPixels(qint64 t)
{
    // Round half away from zero so that negative Tops place like positive ones.
    return static_cast<int>(t >= 0 ? (t + kPerPixel / 2) / kPerPixel : -((-t + kPerPixel / 2) / kPerPixel));
}

inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

inline QSize size(int width, int height)
{
    return QSize(toPixels(width), toPixels(height));
}

} // namespace twips
