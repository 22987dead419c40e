#include "AcsRegion.h"

#include "AcsByteCursor.h"
#include "AcsByteSink.h"

#include <QPoint>

namespace tilvano::acs {

namespace {

constexpr quint32 kHeaderSize = 32;
constexpr quint32 kRectangleType = 1;
constexpr quint64 kRectSize = 16;

// Runs of opaque pixels in one row as [x0, x1) pairs.
QList<QPair<int, int>> opaqueRuns(const IndexedImage &image, int y, quint8 transparent)
{
    QList<QPair<int, int>> runs;
    const auto *row = reinterpret_cast<const uchar *>(image.pixels.constData()) + qsizetype(y) * image.width;
    int x = 0;
    while (x < image.width) {
        while (x < image.width && row[x] == transparent)
            ++x;
        if (x == image.width)
            break;
        const int start = x;
        while (x < image.width && row[x] != transparent)
            ++x;
        runs.append({start, x});
    }
    return runs;
}

// QRect from exclusive right/bottom edges.
QRect rectFromEdges(qint32 left, qint32 top, qint32 right, qint32 bottom)
{
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

} // namespace

ImageRegion AcsRegion::fromPixels(const IndexedImage &image, quint8 transparentIndex)
{
    ImageRegion region;
    if (image.isEmpty() || image.pixels.size() < qsizetype(image.width) * image.height)
        return region;

    int bandTop = 0;
    QList<QPair<int, int>> bandRuns = opaqueRuns(image, 0, transparentIndex);
    auto closeBand = [&](int bandBottom) {
        for (const auto &run : bandRuns) {
            const QRect r = rectFromEdges(run.first, bandTop, run.second, bandBottom);
            region.rects.append(r);
            region.bounds = region.bounds.united(r);
        }
    };
    for (int y = 1; y < image.height; ++y) {
        QList<QPair<int, int>> runs = opaqueRuns(image, y, transparentIndex);
        if (runs != bandRuns) {
            closeBand(y);
            bandRuns = std::move(runs);
            bandTop = y;
        }
    }
    closeBand(image.height);
    return region;
}

QRect AcsRegion::opaqueBounds(const IndexedImage &image, quint8 transparentIndex)
{
    return fromPixels(image, transparentIndex).bounds;
}

QPoint AcsRegion::mouthCentre(const IndexedImage &closedMouth, quint8 transparentIndex)
{
    const QRect b = opaqueBounds(closedMouth, transparentIndex);
    if (b.isEmpty())
        return {};
    // Exclusive right/bottom edges, integer division.
    return {(b.left() + b.right() + 1) / 2, (b.top() + b.bottom() + 1) / 2};
}

QByteArray AcsRegion::encode(const ImageRegion &region)
{
    AcsByteSink out;
    out.u32(kHeaderSize);
    out.u32(kRectangleType);
    out.u32(quint32(region.rects.size()));
    out.u32(quint32(region.rects.size() * kRectSize));
    auto rect = [&](const QRect &r) {
        if (r.isEmpty()) {
            for (int i = 0; i < 4; ++i)
                out.i32(0);
            return;
        }
        out.i32(r.left());
        out.i32(r.top());
        out.i32(r.right() + 1);
        out.i32(r.bottom() + 1);
    };
    rect(region.bounds);
    for (const QRect &r : region.rects)
        rect(r);
    return out.take();
}

std::optional<ImageRegion> AcsRegion::decode(QByteArrayView data)
{
    AcsByteCursor in(data);
    const quint32 headerSize = in.u32();
    in.u32(); // type: only rectangle lists exist
    const quint32 count = in.u32();
    in.u32(); // size hint: unreliable, the count decides
    if (!in.ok() || headerSize < 16 + kRectSize)
        return std::nullopt;

    auto readRect = [&in]() {
        const qint32 l = in.i32(), t = in.i32(), r = in.i32(), b = in.i32();
        return (r > l && b > t) ? rectFromEdges(l, t, r, b) : QRect();
    };
    ImageRegion region;
    region.bounds = readRect();
    in.skip(headerSize - 32); // a longer header than ours: its extra fields are unknown
    if (!in.canHold(count, kRectSize))
        return std::nullopt;
    region.rects.reserve(count);
    for (quint32 i = 0; i < count; ++i)
        region.rects.append(readRect());
    if (!in.ok())
        return std::nullopt;
    return region;
}

} // namespace tilvano::acs
