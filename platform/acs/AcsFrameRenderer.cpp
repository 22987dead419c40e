#include "AcsFrameRenderer.h"

#include "AcsReader.h"

#include <algorithm>

namespace tilvano::acs {

AcsFrameRenderer::AcsFrameRenderer(const QList<QRgb> &palette, quint8 transparentIndex, QSize canvas)
    : m_canvas(canvas)
{
    const bool haveTransparentColour = transparentIndex < palette.size();
    const QRgb transparentRgb = haveTransparentColour ? (palette[transparentIndex] & RGB_MASK) : 0;
    for (int i = 0; i < 256; ++i) {
        // A duplicate of the transparent colour is transparent too: some characters paint
        // their background with it.
        const bool transparent = i == transparentIndex
            || (haveTransparentColour && i < palette.size() && (palette[i] & RGB_MASK) == transparentRgb);
        if (transparent)
            m_colours[size_t(i)] = 0;
        else
            m_colours[size_t(i)] = i < palette.size() ? (palette[i] | 0xFF000000u) : qRgb(0, 0, 0);
    }
}

AcsFrameRenderer::AcsFrameRenderer(const CharacterInfo &info)
    : AcsFrameRenderer(info.palette, info.transparentIndex, QSize(info.width, info.height))
{
}

QImage AcsFrameRenderer::render(const Frame &frame, const ImageSource &images,
                                std::optional<MouthType> mouth) const
{
    QImage canvas(m_canvas, QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return canvas;
    renderInto(canvas, frame, images, mouth);
    return canvas;
}

void AcsFrameRenderer::renderInto(QImage &canvas, const Frame &frame, const ImageSource &images,
                                  std::optional<MouthType> mouth) const
{
    canvas.fill(0);
    const MouthOverlay *overlay = nullptr;
    if (mouth) {
        for (const MouthOverlay &o : frame.overlays)
            if (o.type == *mouth) {
                overlay = &o;
                break;
            }
    }

    // Last layer first, so that layer 0 ends on top. A replacing mouth takes layer 0's place.
    const qsizetype topLayer = (overlay && overlay->replacesTopLayer) ? 1 : 0;
    for (qsizetype i = frame.layers.size() - 1; i >= topLayer; --i) {
        const FrameLayer &layer = frame.layers[i];
        if (const IndexedImage *img = images(layer.imageIndex))
            drawImage(canvas, *img, layer.x, layer.y, false);
    }
    if (overlay) {
        if (const IndexedImage *img = images(overlay->imageIndex))
            drawImage(canvas, *img, overlay->x, overlay->y, !overlay->replacesTopLayer);
    }
}

void AcsFrameRenderer::drawImage(QImage &canvas, const IndexedImage &image, int x, int y,
                                 bool onlyOverOpaque) const
{
    if (image.isEmpty() || image.pixels.size() < qsizetype(image.width) * image.height)
        return;
    // Clip the image to the canvas; offsets may be negative and images larger than the canvas.
    const int x0 = std::max(0, x), y0 = std::max(0, y);
    const int x1 = std::min(canvas.width(), x + image.width);
    const int y1 = std::min(canvas.height(), y + image.height);
    if (x0 >= x1 || y0 >= y1)
        return;

    const auto *pixels = reinterpret_cast<const uchar *>(image.pixels.constData());
    for (int cy = y0; cy < y1; ++cy) {
        auto *dst = reinterpret_cast<QRgb *>(canvas.scanLine(cy));
        const uchar *src = pixels + qsizetype(cy - y) * image.width - x;
        for (int cx = x0; cx < x1; ++cx) {
            const QRgb c = m_colours[src[cx]];
            if (c && (!onlyOverOpaque || dst[cx]))
                dst[cx] = c;
        }
    }
}

const MouthOverlay *AcsFrameRenderer::overlayFor(const Frame &frame, MouthType wanted)
{
    if (frame.overlays.isEmpty())
        return nullptr;
    using M = MouthType;
    // Nearest shapes first: neighbouring openings, then medium, then closed.
    static const M order[MouthTypeCount][MouthTypeCount] = {
        {M::Closed, M::Medium, M::Narrow, M::WideOpen1, M::WideOpen2, M::WideOpen3, M::WideOpen4},
        {M::WideOpen1, M::WideOpen2, M::WideOpen3, M::WideOpen4, M::Medium, M::Closed, M::Narrow},
        {M::WideOpen2, M::WideOpen1, M::WideOpen3, M::WideOpen4, M::Medium, M::Closed, M::Narrow},
        {M::WideOpen3, M::WideOpen2, M::WideOpen4, M::WideOpen1, M::Medium, M::Closed, M::Narrow},
        {M::WideOpen4, M::WideOpen3, M::WideOpen2, M::WideOpen1, M::Medium, M::Closed, M::Narrow},
        {M::Medium, M::Narrow, M::WideOpen1, M::WideOpen2, M::WideOpen3, M::WideOpen4, M::Closed},
        {M::Narrow, M::Medium, M::WideOpen1, M::WideOpen2, M::WideOpen3, M::WideOpen4, M::Closed},
    };
    const int row = int(wanted);
    if (row >= 0 && row < MouthTypeCount) {
        for (M candidate : order[row])
            for (const MouthOverlay &o : frame.overlays)
                if (o.type == candidate)
                    return &o;
    }
    return &frame.overlays.first();
}

AcsFrameRenderer::ImageSource AcsFrameRenderer::sourceFor(AcsReader &reader)
{
    return [&reader](quint32 index) -> const IndexedImage * {
        return index > quint32(std::numeric_limits<int>::max()) ? nullptr : reader.image(int(index));
    };
}

AcsFrameRenderer::ImageSource AcsFrameRenderer::sourceFor(const Character &character)
{
    return [&character](quint32 index) -> const IndexedImage * {
        return index < quint32(character.images.size()) ? &character.images[qsizetype(index)] : nullptr;
    };
}

} // namespace tilvano::acs
