#include "AcsWriter.h"

#include "AcsByteSink.h"
#include "AcsCompression.h"
#include "AcsRegion.h"

#include <QSaveFile>

namespace tilvano::acs {

namespace {

constexpr quint32 kSignature = 0xABCDABC3;
constexpr qsizetype kHeaderSize = 36;
constexpr quint32 kMaxU16 = 0xFFFF;
constexpr quint32 kMaxU8 = 0xFF;

namespace Flag = CharacterFlag;

bool invalid(AcsError *error, const QString &what)
{
    return setAcsError(error, AcsErrorCode::InvalidModel, QStringLiteral("cannot write character: %1").arg(what));
}

bool validate(const Character &c, AcsError *error)
{
    const CharacterInfo &info = c.info;
    if (info.states.size() > kMaxU16 || info.localizedInfo.size() > kMaxU16)
        return invalid(error, QStringLiteral("too many states or languages"));
    for (const State &s : info.states)
        if (s.animations.size() > kMaxU16)
            return invalid(error, QStringLiteral("state %1 lists too many animations").arg(s.name));

    for (int i = 0; i < c.images.size(); ++i) {
        const IndexedImage &img = c.images[i];
        if (img.pixels.size() != qsizetype(img.width) * img.height)
            return invalid(error, QStringLiteral("image %1 holds %2 pixel bytes, not %3 x %4")
                                      .arg(i).arg(img.pixels.size()).arg(img.width).arg(img.height));
    }
    for (const Animation &a : c.animations) {
        auto fail = [&](const QString &what) { return invalid(error, QStringLiteral("animation %1: %2").arg(a.name, what)); };
        if (a.frames.size() > kMaxU16)
            return fail(QStringLiteral("too many frames"));
        for (const Frame &f : a.frames) {
            if (f.layers.size() > kMaxU16 || f.branches.size() > kMaxU8 || f.overlays.size() > kMaxU8)
                return fail(QStringLiteral("too many layers, branches or overlays in a frame"));
            for (const FrameLayer &l : f.layers)
                if (l.imageIndex >= quint32(c.images.size()))
                    return fail(QStringLiteral("a layer uses the missing image %1").arg(l.imageIndex));
            for (const MouthOverlay &o : f.overlays)
                if (o.imageIndex >= c.images.size())
                    return fail(QStringLiteral("an overlay uses the missing image %1").arg(o.imageIndex));
            if (f.soundIndex >= c.sounds.size())
                return fail(QStringLiteral("a frame uses the missing sound %1").arg(f.soundIndex));
        }
    }
    return true;
}

QByteArray animationBlock(const Animation &a)
{
    AcsByteSink out;
    out.string(a.name.toUpper());
    out.u8(quint8(a.transition));
    out.string(a.returnAnimation.toUpper());
    out.u16(quint16(a.frames.size()));
    for (const Frame &f : a.frames) {
        out.u16(quint16(f.layers.size()));
        for (const FrameLayer &l : f.layers) {
            out.u32(l.imageIndex);
            out.i16(l.x);
            out.i16(l.y);
        }
        out.i16(f.soundIndex);
        out.u16(f.duration);
        out.i16(f.exitFrame);
        out.u8(quint8(f.branches.size()));
        for (const Branch &b : f.branches) {
            out.u16(b.targetFrame);
            out.u16(b.probability);
        }
        out.u8(quint8(f.overlays.size()));
        for (const MouthOverlay &o : f.overlays) {
            out.u8(quint8(o.type));
            out.u8(o.replacesTopLayer ? 1 : 0);
            out.u16(o.imageIndex);
            out.u8(o.unknownByte);
            out.u8(o.region ? 1 : 0);
            out.i16(o.x);
            out.i16(o.y);
            out.u16(o.centreX);
            out.u16(o.centreY);
            if (o.region)
                out.dataBlock(*o.region);
        }
    }
    return out.take();
}

QByteArray imageBlock(const IndexedImage &img, quint8 transparentIndex)
{
    // Rows bottom-up, each padded to a multiple of four bytes.
    const qsizetype stride = (qsizetype(img.width) + 3) & ~qsizetype(3);
    QByteArray bottomUp(stride * img.height, '\0');
    for (int y = 0; y < img.height; ++y)
        std::copy_n(img.pixels.constData() + qsizetype(y) * img.width, img.width,
                    bottomUp.data() + (img.height - 1 - y) * stride);
    const QByteArray pixels = AcsCompression::compress(bottomUp);

    const QByteArray region = AcsRegion::encode(img.region ? *img.region : AcsRegion::fromPixels(img, transparentIndex));
    const QByteArray packedRegion = AcsCompression::compress(region);

    AcsByteSink out;
    out.u8(img.leadingByte);
    out.u16(img.width);
    out.u16(img.height);
    out.u8(1); // compressed
    out.dataBlock(pixels);
    out.u32(quint32(packedRegion.size()));
    out.u32(quint32(region.size()));
    out.bytes(packedRegion);
    return out.take();
}

// Balloon colours go red, green, blue, 0 (unlike the palette).
void rgbColour(AcsByteSink &out, QRgb c)
{
    out.u8(quint8(qRed(c)));
    out.u8(quint8(qGreen(c)));
    out.u8(quint8(qBlue(c)));
    out.u8(0);
}

QByteArray characterInfoBlock(const CharacterInfo &info, quint32 localizedOffset, quint32 localizedSize)
{
    AcsByteSink out;
    out.u16(info.minorVersion);
    out.u16(2);
    out.u32(localizedOffset);
    out.u32(localizedSize);
    out.guid(info.guid);
    out.u16(info.width);
    out.u16(info.height);
    out.u8(info.transparentIndex);
    quint32 flags = info.flags & ~(Flag::VoiceEnabled | Flag::BalloonEnabled);
    if (info.voice)
        flags |= Flag::VoiceEnabled;
    if (info.balloon)
        flags |= Flag::BalloonEnabled;
    out.u32(flags);
    out.u16(info.animationSetMajor);
    out.u16(info.animationSetMinor);

    if (const auto &v = info.voice) {
        out.guid(v->engineId);
        out.guid(v->modeId);
        out.u32(v->speed);
        out.u16(v->pitch);
        out.u8(v->hasExtraData ? 1 : 0);
        if (v->hasExtraData) {
            out.u16(v->languageId);
            out.string(v->dialect);
            out.u16(v->gender);
            out.u16(v->age);
            out.string(v->style);
        }
    }
    if (const auto &b = info.balloon) {
        out.u8(b->lines);
        out.u8(b->charsPerLine);
        rgbColour(out, b->textColor);
        rgbColour(out, b->backgroundColor);
        rgbColour(out, b->borderColor);
        out.string(b->fontName);
        out.i32(b->fontHeight);
        out.i32(b->fontWeight);
        out.u8(b->italic ? 1 : 0);
        out.u8(b->unknownFontByte);
    }

    out.u32(quint32(info.palette.size()));
    for (QRgb c : info.palette) { // blue, green, red, 0
        out.u8(quint8(qBlue(c)));
        out.u8(quint8(qGreen(c)));
        out.u8(quint8(qRed(c)));
        out.u8(0);
    }

    out.u8(info.trayIcon ? 1 : 0);
    if (info.trayIcon) {
        out.dataBlock(info.trayIcon->maskBitmap);
        out.dataBlock(info.trayIcon->colorBitmap);
    }

    out.u16(quint16(info.states.size()));
    for (const State &s : info.states) {
        out.string(s.name.toUpper());
        out.u16(quint16(s.animations.size()));
        for (const QString &name : s.animations)
            out.string(name.toUpper());
    }
    return out.take();
}

QByteArray localizedInfoBlock(const QList<LocalizedInfo> &entries)
{
    AcsByteSink out;
    out.u16(quint16(entries.size()));
    for (const LocalizedInfo &e : entries) {
        out.u16(e.languageId);
        out.string(e.name);
        out.string(e.description);
        out.string(e.extraData);
    }
    return out.take();
}

} // namespace

std::optional<QByteArray> AcsWriter::write(const Character &character, AcsError *error)
{
    if (!validate(character, error))
        return std::nullopt;

    // Every block is built first; offsets follow from their sizes.
    QList<QByteArray> animations, images;
    for (const Animation &a : character.animations)
        animations.append(animationBlock(a));
    for (const IndexedImage &img : character.images)
        images.append(imageBlock(img, character.info.transparentIndex));

    AcsByteSink body;
    auto place = [&](const QByteArray &block) {
        const quint32 offset = quint32(kHeaderSize + body.size());
        body.bytes(block);
        return offset;
    };
    QList<quint32> animationOffsets, imageOffsets, soundOffsets;
    for (const QByteArray &b : animations)
        animationOffsets.append(place(b));
    for (const QByteArray &b : images)
        imageOffsets.append(place(b));
    for (const Sound &s : character.sounds)
        soundOffsets.append(place(s.riff));

    AcsByteSink animationList;
    animationList.u32(quint32(animations.size()));
    for (int i = 0; i < animations.size(); ++i) {
        animationList.string(character.animations[i].name);
        animationList.u32(animationOffsets[i]);
        animationList.u32(quint32(animations[i].size()));
    }
    auto locatorList = [](const QList<quint32> &offsets, auto sizeOf) {
        AcsByteSink list;
        list.u32(quint32(offsets.size()));
        for (int i = 0; i < offsets.size(); ++i) {
            list.u32(offsets[i]);
            list.u32(quint32(sizeOf(i)));
            list.u32(0); // checksum: nobody can recompute it, readers ignore it
        }
        return list.take();
    };
    const QByteArray imageList = locatorList(imageOffsets, [&](int i) { return images[i].size(); });
    const QByteArray audioList = locatorList(soundOffsets, [&](int i) { return character.sounds[i].riff.size(); });

    const quint32 animationListOffset = place(animationList.data());
    const quint32 imageListOffset = place(imageList);
    const quint32 audioListOffset = place(audioList);

    // The localized info sits right after the character info, whose size the placeholder
    // locator does not change, so its offset is known before the info is final.
    const QByteArray localized = localizedInfoBlock(character.info.localizedInfo);
    const quint32 infoOffset = quint32(kHeaderSize + body.size());
    const qsizetype infoSize = characterInfoBlock(character.info, 0, 0).size();
    const quint32 localizedOffset = quint32(infoOffset + infoSize);
    const QByteArray info = characterInfoBlock(character.info, localizedOffset, quint32(localized.size()));
    place(info);
    place(localized);

    if (quint64(kHeaderSize) + quint64(body.size()) > 0xFFFFFFFFull) {
        invalid(error, QStringLiteral("the file would exceed 4 GB"));
        return std::nullopt;
    }

    AcsByteSink file;
    file.u32(kSignature);
    file.u32(infoOffset);
    file.u32(quint32(info.size() + localized.size())); // covers the localized info too
    file.u32(animationListOffset);
    file.u32(quint32(animationList.size()));
    file.u32(imageListOffset);
    file.u32(quint32(imageList.size()));
    file.u32(audioListOffset);
    file.u32(quint32(audioList.size()));
    file.bytes(body.data());
    return file.take();
}

bool AcsWriter::writeFile(const Character &character, const QString &path, AcsError *error)
{
    const auto bytes = write(character, error);
    if (!bytes)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return setAcsError(error, AcsErrorCode::AccessDenied, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    if (file.write(*bytes) != bytes->size() || !file.commit())
        return setAcsError(error, AcsErrorCode::ReadFault, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return true;
}

} // namespace tilvano::acs
