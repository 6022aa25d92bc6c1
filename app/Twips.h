#pragma once

#include <QRect>

// Window places are designed in twips: 1/1440 inch, so 15 twips make one
// logical pixel at 96 dpi. Qt scales logical pixels on high-dpi screens.
namespace twips {

inline constexpr int perPixel = 15;

[[nodiscard]] constexpr int toPixels(int t)
{
    return (t + perPixel / 2) / perPixel;
}

[[nodiscard]] constexpr QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace twips
