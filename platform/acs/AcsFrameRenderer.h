#pragma once

#include "AcsModel.h"

#include <QImage>
#include <QList>
#include <QRgb>
#include <QSize>

#include <array>
#include <functional>
#include <optional>

namespace tilvano::acs {

class AcsReader;

// Composes animation frames into ARGB images with transparency.
//
// The layers of a frame are drawn from the last to the first, so layer 0 ends on top, each at
// its offset and clipped to the canvas. A mouth overlay either replaces layer 0 or is drawn
// over the finished frame, clipped to the frame's opaque pixels.
class AcsFrameRenderer {
public:
    // Supplies image `index`, or nullptr when it does not exist or cannot be decoded (such a
    // layer is skipped).
    using ImageSource = std::function<const IndexedImage *(quint32 index)>;

    AcsFrameRenderer(const QList<QRgb> &palette, quint8 transparentIndex, QSize canvas);
    explicit AcsFrameRenderer(const CharacterInfo &info);

    // Format_ARGB32_Premultiplied; every pixel is either fully opaque or 0, so the bytes are
    // the same as plain ARGB32. `mouth` picks the overlay of that
    // exact type; use overlayFor() first to fall back to a near shape.
    QImage render(const Frame &frame, const ImageSource &images,
                  std::optional<MouthType> mouth = std::nullopt) const;

    // Draws into an existing canvas of the right size and format (cleared first); avoids an
    // allocation per frame for callers that animate.
    void renderInto(QImage &canvas, const Frame &frame, const ImageSource &images,
                    std::optional<MouthType> mouth = std::nullopt) const;

    // The overlay for a wanted mouth shape, else the nearest one the frame has (wide shapes
    // 1..4 to their neighbours, then medium, then closed, then any). nullptr without overlays.
    static const MouthOverlay *overlayFor(const Frame &frame, MouthType wanted);

    // Image sources for the two common owners of images.
    static ImageSource sourceFor(AcsReader &reader);
    static ImageSource sourceFor(const Character &character);

    QSize canvasSize() const { return m_canvas; }

private:
    // onlyOverOpaque: draw only where the canvas already has a pixel (clips a mouth to the
    // outline of the frame it is drawn over).
    void drawImage(QImage &canvas, const IndexedImage &image, int x, int y, bool onlyOverOpaque) const;

    std::array<QRgb, 256> m_colours {};  // premultiplied ARGB per index, 0 = transparent
    QSize m_canvas;
};

} // namespace tilvano::acs
