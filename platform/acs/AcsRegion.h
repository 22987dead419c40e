#pragma once

#include "AcsModel.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QRect>

#include <optional>

namespace tilvano::acs {

// The opaque shape of an indexed image and its stored form (a rectangle list with a header).
class AcsRegion {
public:
    // Rectangles covering exactly the pixels whose index differs from transparentIndex:
    // per row the runs of opaque pixels, consecutive rows with identical runs merged into one
    // band, one rectangle per run. This is how real files store their shapes.
    static ImageRegion fromPixels(const IndexedImage &image, quint8 transparentIndex);

    // The opaque bounds of an image (empty QRect when nothing is opaque).
    static QRect opaqueBounds(const IndexedImage &image, quint8 transparentIndex);

    // The mouth centre a writer stores in every overlay of a frame: the centre of the opaque
    // bounds of the frame's closed-mouth image, in that image's own coordinates.
    static QPoint mouthCentre(const IndexedImage &closedMouth, quint8 transparentIndex);

    // Stored form: 32-byte header (size, type, count, buffer size, bounds), then the
    // rectangles as left, top, right, bottom with right/bottom exclusive.
    static QByteArray encode(const ImageRegion &region);
    // nullopt when the data is too short or the rectangle count does not fit.
    static std::optional<ImageRegion> decode(QByteArrayView data);
};

} // namespace tilvano::acs
