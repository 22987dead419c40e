#include "AcsTrayIcon.h"

#include "AcsByteCursor.h"

#include <cstdlib>

namespace tilvano::acs {

namespace {

constexpr int kMaxIconSide = 256;

// A bitmap without file header: info header, colour table, rows padded to four bytes.
struct Dib {
    int width = 0;
    int height = 0;
    bool bottomUp = true;
    int bitsPerPixel = 0;
    QList<QRgb> colours;
    QByteArrayView rows;
    qsizetype stride = 0;

    // The colour of pixel (x, y) top-down; for 1-bit masks the raw bit as 0 / 1.
    quint32 index(int x, int y) const
    {
        const int row = bottomUp ? height - 1 - y : y;
        const auto *line = reinterpret_cast<const uchar *>(rows.data()) + row * stride;
        switch (bitsPerPixel) {
        case 1: return (line[x >> 3] >> (7 - (x & 7))) & 1u;
        case 4: return (x & 1) ? line[x >> 1] & 0x0Fu : line[x >> 1] >> 4;
        default: return line[x];
        }
    }
    QRgb colour(int x, int y) const
    {
        const quint32 i = index(x, y);
        return i < quint32(colours.size()) ? colours[i] : qRgb(0, 0, 0);
    }
};

std::optional<Dib> parseDib(QByteArrayView data)
{
    AcsByteCursor in(data);
    Dib dib;
    const quint32 headerSize = in.u32();
    dib.width = in.i32();
    const qint32 height = in.i32();
    in.u16(); // planes
    dib.bitsPerPixel = in.u16();
    const quint32 compression = in.u32();
    in.skip(12); // image size, resolution
    const quint32 coloursUsed = in.u32();
    in.u32(); // important colours
    if (!in.ok() || headerSize < 40 || compression != 0)
        return std::nullopt;
    if (dib.bitsPerPixel != 1 && dib.bitsPerPixel != 4 && dib.bitsPerPixel != 8)
        return std::nullopt;
    if (dib.width <= 0 || dib.width > kMaxIconSide || height == 0 || std::abs(height) > kMaxIconSide)
        return std::nullopt;
    dib.height = std::abs(height);
    dib.bottomUp = height > 0;
    in.skip(headerSize - 40);

    const quint32 tableSize = coloursUsed ? coloursUsed : (1u << dib.bitsPerPixel);
    if (tableSize > 256 || !in.canHold(tableSize, 4))
        return std::nullopt;
    for (quint32 i = 0; i < tableSize; ++i) {
        const quint8 b = in.u8(), g = in.u8(), r = in.u8();
        in.u8();
        dib.colours.append(qRgb(r, g, b));
    }
    dib.stride = ((qsizetype(dib.width) * dib.bitsPerPixel + 31) / 32) * 4;
    dib.rows = in.bytes(quint64(dib.stride) * dib.height);
    if (!in.ok())
        return std::nullopt;
    return dib;
}

} // namespace

QImage AcsTrayIcon::toImage(const TrayIcon &icon)
{
    const auto mask = parseDib(icon.maskBitmap);
    const auto colour = parseDib(icon.colorBitmap);
    if (!mask || !colour || mask->width != colour->width || mask->height != colour->height)
        return {};
    QImage out(colour->width, colour->height, QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = mask->index(x, y) ? 0 : (colour->colour(x, y) | 0xFF000000u);
    }
    return out;
}

} // namespace tilvano::acs
