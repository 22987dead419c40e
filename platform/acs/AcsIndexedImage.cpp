#include "AcsIndexedImage.h"

#include <QHash>

#include <limits>

namespace tilvano::acs {

namespace {

bool sameRgb(QRgb a, QRgb b)
{
    return (a & RGB_MASK) == (b & RGB_MASK);
}

} // namespace

QImage AcsIndexedImage::toImage(const IndexedImage &image, const QList<QRgb> &palette,
                                quint8 transparentIndex)
{
    if (image.isEmpty() || image.pixels.size() < qsizetype(image.width) * image.height)
        return {};

    // One lookup table per call: colour per index, 0 for every index that means "transparent".
    QRgb lut[256];
    const bool haveTransparentColour = transparentIndex < palette.size();
    const QRgb transparentColour = haveTransparentColour ? palette[transparentIndex] : 0;
    for (int i = 0; i < 256; ++i) {
        if (i == transparentIndex || (i < palette.size() && haveTransparentColour && sameRgb(palette[i], transparentColour)))
            lut[i] = 0;
        else
            lut[i] = i < palette.size() ? (palette[i] | 0xFF000000u) : qRgb(0, 0, 0);
    }

    QImage out(image.width, image.height, QImage::Format_ARGB32);
    const auto *src = reinterpret_cast<const uchar *>(image.pixels.constData());
    for (int y = 0; y < image.height; ++y) {
        auto *dst = reinterpret_cast<QRgb *>(out.scanLine(y));
        const uchar *row = src + qsizetype(y) * image.width;
        for (int x = 0; x < image.width; ++x)
            dst[x] = lut[row[x]];
    }
    return out;
}

IndexedImage AcsIndexedImage::fromImage(const QImage &image, const QList<QRgb> &palette,
                                        quint8 transparentIndex)
{
    IndexedImage out;
    if (image.isNull() || image.width() > 0xFFFF || image.height() > 0xFFFF)
        return out;
    out.width = quint16(image.width());
    out.height = quint16(image.height());
    out.pixels.fill(char(transparentIndex), qsizetype(out.width) * out.height);

    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparentColour = transparentIndex < palette.size() ? palette[transparentIndex] : 0;
    QList<int> usable; // entries a visible pixel may take
    for (int i = 0; i < palette.size() && i < 256; ++i)
        if (i != transparentIndex && !sameRgb(palette[i], transparentColour))
            usable.append(i);
    if (usable.isEmpty())
        return out;

    QHash<QRgb, uchar> cache; // art drawn in code repeats few colours
    char *dst = out.pixels.data();
    for (int y = 0; y < argb.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = row[x];
            if (qAlpha(c) < 128)
                continue;
            const QRgb key = c | 0xFF000000u;
            auto it = cache.constFind(key);
            if (it == cache.constEnd()) {
                int best = usable.first();
                int bestDistance = std::numeric_limits<int>::max();
                for (int i : usable) {
                    const QRgb p = palette[i];
                    const int dr = qRed(p) - qRed(c), dg = qGreen(p) - qGreen(c), db = qBlue(p) - qBlue(c);
                    const int d = dr * dr + dg * dg + db * db;
                    if (d < bestDistance) {
                        bestDistance = d;
                        best = i;
                    }
                }
                it = cache.insert(key, uchar(best));
            }
            dst[qsizetype(y) * out.width + x] = char(*it);
        }
    }
    return out;
}

} // namespace tilvano::acs
