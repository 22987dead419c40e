#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace tilvano {

// Windows and controls are laid out in twips, the unit their stored
// geometry has always used. 15 twips make one pixel.
inline constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) { return twips / TwipsPerPixel; }
constexpr int pixelsToTwips(int pixels) { return pixels * TwipsPerPixel; }

inline QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}
inline QSize twipsSize(int width, int height) { return {twipsToPixels(width), twipsToPixels(height)}; }
inline QPoint twipsPoint(int left, int top) { return {twipsToPixels(left), twipsToPixels(top)}; }
inline QSize pixelsToTwips(QSize pixels) { return pixels * TwipsPerPixel; }

} // namespace tilvano
