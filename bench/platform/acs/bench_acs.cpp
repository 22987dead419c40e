// Timing of the character codec on a character of about 2 MB and 600 images, built at start
// from the Happy Face images: scaled, shifted and speckled so that each image is different
// and compresses about as well as real art.
//
// Targets (Release): open <= 10 ms, all images <= 150 ms, one 128 x 128 frame with a mouth
// overlay well under 0.5 ms.

#include "platform/acs/AcsCompression.h"
#include "platform/acs/AcsFrameRenderer.h"
#include "platform/acs/AcsReader.h"
#include "platform/acs/AcsWriter.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tilvano::acs;

namespace {

constexpr int kImages = 600;
constexpr int kSide = 180;

IndexedImage variation(const IndexedImage &source, int k, quint8 transparent, QRandomGenerator &rng)
{
    IndexedImage img;
    img.width = kSide;
    img.height = kSide;
    img.pixels.fill(char(transparent), kSide * kSide);
    const int dx = k % 9, dy = (k / 9) % 7;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const int sx = (x - dx) * 3 / 4, sy = (y - dy) * 3 / 4;
            if (sx < 0 || sy < 0 || sx >= source.width || sy >= source.height)
                continue;
            quint8 p = source.pixel(sx, sy);
            // Shading speckle on the opaque parts, like anti-aliased or dithered art.
            if (p != transparent && rng.bounded(100) < 5)
                p = quint8(rng.bounded(200));
            img.pixels[y * kSide + x] = char(p);
        }
    }
    return img;
}

struct Fixture {
    QTemporaryDir dir;
    QString path;
    QByteArray bytes;
    Character model;

    Fixture()
    {
        auto face = AcsReader::open(QStringLiteral(TILVANO_FIXTURES_DIR "/acs/Happy Face.acs"));
        if (!face)
            qFatal("Happy Face.acs missing");
        Character c = *face->readAll();
        c.info.width = c.info.height = kSide;
        QRandomGenerator rng(2024);
        QList<IndexedImage> images;
        for (int k = 0; k < kImages; ++k)
            images.append(variation(c.images[k % 9], k, c.info.transparentIndex, rng));
        c.images = images;
        // Animations of ten frames each, two layers per frame, every fifth frame speaking.
        c.animations.clear();
        for (int a = 0; a < kImages / 10; ++a) {
            Animation anim;
            anim.name = QStringLiteral("Anim%1").arg(a);
            for (int f = 0; f < 10; ++f) {
                Frame frame;
                const quint32 i = quint32(a * 10 + f);
                frame.layers = {FrameLayer{i, 0, 0}, FrameLayer{(i + 1) % kImages, 2, 2}};
                if (f % 5 == 4)
                    for (int m = 0; m < MouthTypeCount; ++m)
                        frame.overlays.append(MouthOverlay{MouthType(m), m % 2 == 0, quint16((i + m) % kImages), 0, 0, 0, 60, 60, std::nullopt});
                anim.frames.append(frame);
            }
            c.animations.append(anim);
        }
        model = c;
        path = dir.filePath(QStringLiteral("bench.acs"));
        if (!AcsWriter::writeFile(c, path))
            qFatal("cannot write the benchmark character");
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        bytes = f.readAll();
    }
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_Open(benchmark::State &state)
{
    Fixture &fx = fixture();
    for (auto _ : state) {
        auto reader = AcsReader::open(fx.path);
        benchmark::DoNotOptimize(reader);
    }
    state.counters["file_MB"] = double(fx.bytes.size()) / 1e6;
    state.counters["images"] = kImages;
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

void BM_DecodeAllImages(benchmark::State &state)
{
    Fixture &fx = fixture();
    for (auto _ : state) {
        state.PauseTiming();
        auto reader = AcsReader::fromData(fx.bytes);
        state.ResumeTiming();
        for (int i = 0; i < reader->imageCount(); ++i)
            benchmark::DoNotOptimize(reader->image(i));
    }
}
BENCHMARK(BM_DecodeAllImages)->Unit(benchmark::kMillisecond);

void BM_RenderFrameWithMouth(benchmark::State &state)
{
    Fixture &fx = fixture();
    auto reader = AcsReader::fromData(fx.bytes);
    CharacterInfo info = reader->info();
    const AcsFrameRenderer renderer(info.palette, info.transparentIndex, QSize(128, 128));
    const Frame &frame = reader->animations()[3].frames[4];
    const auto source = AcsFrameRenderer::sourceFor(*reader);
    QImage canvas(128, 128, QImage::Format_ARGB32_Premultiplied);
    renderer.renderInto(canvas, frame, source, MouthType::WideOpen2); // decode once
    for (auto _ : state) {
        renderer.renderInto(canvas, frame, source, MouthType::WideOpen2);
        benchmark::DoNotOptimize(canvas.constBits());
    }
}
BENCHMARK(BM_RenderFrameWithMouth)->Unit(benchmark::kMicrosecond);

void BM_WriteCharacter(benchmark::State &state)
{
    Fixture &fx = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(AcsWriter::write(fx.model));
}
BENCHMARK(BM_WriteCharacter)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
