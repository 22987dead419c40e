// Fuzz target: a character file from untrusted bytes. Opening, decoding every image and
// sound, drawing every frame with every mouth and writing the result back must end in a
// defined result, whatever the input.

#include "platform/acs/AcsFrameRenderer.h"
#include "platform/acs/AcsReader.h"
#include "platform/acs/AcsRegion.h"
#include "platform/acs/AcsTrayIcon.h"
#include "platform/acs/AcsWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tilvano::acs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto reader = AcsReader::fromData(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!reader)
        return 0;
    for (int i = 0; i < reader->soundCount(); ++i)
        reader->sound(i);
    if (reader->info().trayIcon)
        AcsTrayIcon::toImage(*reader->info().trayIcon);

    // Canvas capped so that a huge claimed canvas does not make every input slow.
    const CharacterInfo &info = reader->info();
    const AcsFrameRenderer renderer(info.palette, info.transparentIndex,
                                    QSize(std::min<int>(info.width, 256), std::min<int>(info.height, 256)));
    for (const Animation &a : reader->animations()) {
        for (const Frame &f : a.frames) {
            renderer.render(f, AcsFrameRenderer::sourceFor(*reader));
            for (const MouthOverlay &o : f.overlays)
                renderer.render(f, AcsFrameRenderer::sourceFor(*reader), o.type);
        }
    }

    // Whatever reads completely must write and read back to the same model. A damaged shape
    // is dropped on reading and derived from the pixels on writing.
    if (auto character = reader->readAll()) {
        for (IndexedImage &img : character->images)
            if (!img.region && !img.isEmpty())
                img.region = AcsRegion::fromPixels(img, info.transparentIndex);
        if (auto bytes = AcsWriter::write(*character)) {
            auto again = AcsReader::fromData(*bytes);
            if (!again || again->readAll() != character)
                std::abort();
        }
    }
    return 0;
}
