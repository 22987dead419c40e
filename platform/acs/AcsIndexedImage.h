#pragma once

#include "AcsModel.h"

#include <QImage>
#include <QList>
#include <QRgb>

namespace tilvano::acs {

// Conversions between indexed images and 32-bit QImages.
class AcsIndexedImage {
public:
    // ARGB32 (premultiplied is fine too) with the palette applied. A pixel is transparent when
    // its index is the transparent index or names a colour equal to the transparent one
    // (characters sometimes paint transparency with a duplicate entry); indices past the end
    // of a short palette come out opaque black.
    static QImage toImage(const IndexedImage &image, const QList<QRgb> &palette,
                          quint8 transparentIndex);

    // Quantises a 32-bit image to the palette: pixels with alpha below 128 become the
    // transparent index, every other pixel the nearest palette colour (squared RGB distance),
    // never the transparent index or a colour equal to it. Intended for art drawn in code.
    static IndexedImage fromImage(const QImage &image, const QList<QRgb> &palette,
                                  quint8 transparentIndex);
};

} // namespace tilvano::acs
