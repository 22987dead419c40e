#include "AcsReader.h"

#include "AcsByteCursor.h"
#include "AcsCompression.h"
#include "AcsRegion.h"

#include "system/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace tilvano::acs {

namespace {

constexpr quint32 kSignature = 0xABCDABC3;
constexpr quint32 kSplitIndexSignature = 0xABCDABC4; // index of a character split for the web
constexpr char kCompoundDocumentSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr qsizetype kHeaderSize = 36;

// Smallest encodings, used to check counts against the bytes that are left.
constexpr quint64 kMinString = 4;
constexpr quint64 kMinFrame = 10;
constexpr quint64 kLayerSize = 8;
constexpr quint64 kBranchSize = 4;
constexpr quint64 kMinOverlay = 14;
constexpr quint64 kListEntrySize = 12; // locator + checksum, or a minimal name + locator
constexpr quint64 kMinLocalizedEntry = 2 + 3 * kMinString;

// Images wider or taller than this are refused before anything is allocated.
constexpr int kMaxImageSide = 4096;
// A back-reference of 4096 bytes costs at least 31 bits, so no stream inflates by more than
// this factor; a claimed size beyond it cannot be real and is refused before allocating.
constexpr quint64 kMaxExpansion = 1060;
// Image blocks shorter than this are unused slots some files carry.
constexpr quint32 kMinImageBlock = 18;

namespace Flag = CharacterFlag;

bool corrupt(AcsError *error, const QString &what)
{
    return setAcsError(error, AcsErrorCode::CorruptFile, QStringLiteral("corrupt character file: %1").arg(what));
}

bool locatorFits(quint32 offset, quint32 size, qint64 fileSize)
{
    return quint64(offset) + size <= quint64(fileSize);
}

VoiceInfo readVoice(AcsByteCursor &in)
{
    VoiceInfo v;
    v.engineId = in.guid();
    v.modeId = in.guid();
    v.speed = in.u32();
    v.pitch = in.u16();
    v.hasExtraData = in.u8() != 0;
    if (v.hasExtraData) {
        v.languageId = in.u16();
        v.dialect = in.string();
        v.gender = in.u16();
        v.age = in.u16();
        v.style = in.string();
    }
    return v;
}

// Balloon colours are stored red, green, blue, 0 (unlike the palette).
QRgb readRgbColour(AcsByteCursor &in)
{
    const quint8 r = in.u8(), g = in.u8(), b = in.u8();
    in.u8();
    return qRgb(r, g, b);
}

BalloonInfo readBalloon(AcsByteCursor &in)
{
    BalloonInfo b;
    b.lines = in.u8();
    b.charsPerLine = in.u8();
    b.textColor = readRgbColour(in);
    b.backgroundColor = readRgbColour(in);
    b.borderColor = readRgbColour(in);
    b.fontName = in.string();
    b.fontHeight = in.i32();
    b.fontWeight = in.i32();
    b.italic = in.u8() != 0;
    b.unknownFontByte = in.u8();
    return b;
}

bool readFrame(AcsByteCursor &in, Frame &frame)
{
    const quint16 layerCount = in.u16();
    if (!in.canHold(layerCount, kLayerSize))
        return false;
    frame.layers.resize(layerCount);
    for (FrameLayer &layer : frame.layers) {
        layer.imageIndex = in.u32();
        layer.x = in.i16();
        layer.y = in.i16();
    }
    frame.soundIndex = in.i16();
    frame.duration = in.u16();
    frame.exitFrame = in.i16();
    const quint8 branchCount = in.u8();
    if (!in.canHold(branchCount, kBranchSize))
        return false;
    frame.branches.resize(branchCount);
    for (Branch &branch : frame.branches) {
        branch.targetFrame = in.u16();
        branch.probability = in.u16();
    }
    const quint8 overlayCount = in.u8();
    if (!in.canHold(overlayCount, kMinOverlay))
        return false;
    frame.overlays.resize(overlayCount);
    for (MouthOverlay &o : frame.overlays) {
        o.type = MouthType(in.u8());
        o.replacesTopLayer = in.u8() != 0;
        o.imageIndex = in.u16();
        o.unknownByte = in.u8();
        const bool hasRegion = in.u8() != 0;
        o.x = in.i16();
        o.y = in.i16();
        o.centreX = in.u16();
        o.centreY = in.u16();
        if (hasRegion) {
            const quint32 size = in.u32();
            o.region = in.bytes(size).toByteArray();
        }
    }
    return in.ok();
}

bool readAnimationBlock(QByteArrayView block, Animation &animation)
{
    AcsByteCursor in(block);
    in.string(); // the upper-case copy of the list name
    animation.transition = TransitionType(in.u8());
    animation.returnAnimation = in.string().toUpper(); // matched without case; kept canonical
    const quint16 frameCount = in.u16();
    if (!in.canHold(frameCount, kMinFrame))
        return false;
    animation.frames.resize(frameCount);
    for (Frame &frame : animation.frames)
        if (!readFrame(in, frame))
            return false;
    return in.ok();
}

} // namespace

std::optional<AcsReader> AcsReader::open(const QString &path, AcsError *error)
{
    QFile file;
    if (!QFileInfo::exists(path)) {
        setAcsError(error, AcsErrorCode::FileNotFound, QStringLiteral("file not found: %1").arg(path));
        return std::nullopt;
    }
    // Without blocking, and only a regular file: a character path may name a
    // FIFO (or a link to one), whose plain open() would wait for a writer.
    QString refused;
    if (!openRegularFile(path, file, &refused)) {
        setAcsError(error, AcsErrorCode::AccessDenied, QStringLiteral("cannot open %1: %2").arg(path, refused));
        return std::nullopt;
    }
    // Look at the signature before reading a possibly huge file that is no character at all.
    AcsReader probe;
    probe.m_data = file.peek(kHeaderSize);
    AcsError probeError;
    if (!probe.parse(&probeError) && probeError.code != AcsErrorCode::CorruptFile) {
        setAcsError(error, probeError.code, probeError.message);
        return std::nullopt;
    }
    if (file.size() > MaxFileSize) {
        setAcsError(error, AcsErrorCode::CorruptFile, QStringLiteral("%1 is too large for a character file").arg(path));
        return std::nullopt;
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setAcsError(error, AcsErrorCode::ReadFault, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    return fromData(std::move(data), error);
}

std::optional<AcsReader> AcsReader::fromData(QByteArray data, AcsError *error)
{
    AcsReader reader;
    reader.m_data = std::move(data);
    if (!reader.parse(error))
        return std::nullopt;
    return reader;
}

bool AcsReader::parse(AcsError *error)
{
    const QByteArrayView data(m_data);
    if (data.startsWith(QByteArrayView(kCompoundDocumentSignature, 8)))
        return setAcsError(error, AcsErrorCode::UnsupportedVersion15,
                           QStringLiteral("version 1.5 character files (compound documents) are not supported"));

    AcsByteCursor header(data.first(std::min(data.size(), kHeaderSize)));
    const quint32 signature = header.u32();
    if (signature == kSplitIndexSignature)
        return setAcsError(error, AcsErrorCode::NotACharacterFile,
                           QStringLiteral("not a character file: this is the index of a character split into parts"));
    if (signature != kSignature || data.size() < kHeaderSize)
        return setAcsError(error, AcsErrorCode::NotACharacterFile, QStringLiteral("not a character file"));

    Block blocks[4];
    static const char *const blockNames[4] = {"character info", "animation list", "image list", "audio list"};
    for (int i = 0; i < 4; ++i) {
        blocks[i].offset = header.u32();
        blocks[i].size = header.u32();
        if (!locatorFits(blocks[i].offset, blocks[i].size, data.size()))
            return corrupt(error, QStringLiteral("the %1 lies past the end of the file").arg(QLatin1String(blockNames[i])));
    }
    auto view = [&](const Block &b) { return data.sliced(b.offset, b.size); };

    // Character info.
    AcsByteCursor in(view(blocks[0]));
    CharacterInfo &info = m_info;
    info.minorVersion = in.u16();
    info.majorVersion = in.u16();
    if (in.ok() && info.majorVersion != 2)
        return setAcsError(error, AcsErrorCode::UnsupportedVersion,
                           QStringLiteral("unsupported character file version %1.%2").arg(info.majorVersion).arg(info.minorVersion));
    Block localized;
    localized.offset = in.u32();
    localized.size = in.u32();
    info.guid = in.guid();
    info.width = in.u16();
    info.height = in.u16();
    info.transparentIndex = in.u8();
    info.flags = in.u32();
    info.animationSetMajor = in.u16();
    info.animationSetMinor = in.u16();
    if (info.flags & Flag::VoiceEnabled)
        info.voice = readVoice(in);
    if (info.flags & Flag::BalloonEnabled)
        info.balloon = readBalloon(in);

    const quint32 paletteSize = in.u32();
    if (!in.canHold(paletteSize, 4))
        return corrupt(error, QStringLiteral("the palette does not fit the character info"));
    info.palette.reserve(paletteSize);
    for (quint32 i = 0; i < paletteSize; ++i) {
        const quint8 b = in.u8(), g = in.u8(), r = in.u8();
        in.u8();
        info.palette.append(qRgb(r, g, b));
    }

    if (in.u8() != 0) {
        TrayIcon icon;
        icon.maskBitmap = in.bytes(in.u32()).toByteArray();
        icon.colorBitmap = in.bytes(in.u32()).toByteArray();
        info.trayIcon = std::move(icon);
    }

    const quint16 stateCount = in.u16();
    if (!in.canHold(stateCount, kMinString + 2))
        return corrupt(error, QStringLiteral("the state list does not fit the character info"));
    info.states.resize(stateCount);
    for (State &state : info.states) {
        state.name = in.string().toUpper(); // matched without case; kept canonical
        const quint16 count = in.u16();
        if (!in.canHold(count, kMinString))
            return corrupt(error, QStringLiteral("the animations of state %1 do not fit").arg(state.name));
        state.animations.reserve(count);
        for (quint16 i = 0; i < count; ++i)
            state.animations.append(in.string().toUpper());
    }
    if (!in.ok())
        return corrupt(error, QStringLiteral("the character info is truncated"));

    // Localized info.
    if (!locatorFits(localized.offset, localized.size, data.size()))
        return corrupt(error, QStringLiteral("the localized info lies past the end of the file"));
    AcsByteCursor names(view(localized));
    const quint16 entryCount = names.u16();
    if (!names.canHold(entryCount, kMinLocalizedEntry))
        return corrupt(error, QStringLiteral("the localized info does not fit its block"));
    info.localizedInfo.resize(entryCount);
    for (LocalizedInfo &entry : info.localizedInfo) {
        entry.languageId = names.u16();
        entry.name = names.string();
        entry.description = names.string();
        entry.extraData = names.string();
    }
    if (!names.ok())
        return corrupt(error, QStringLiteral("the localized info is truncated"));

    // Animations: small, so they are all read now; damage to any of them refuses the file.
    AcsByteCursor list(view(blocks[1]));
    const quint32 animationCount = list.u32();
    if (!list.canHold(animationCount, kListEntrySize))
        return corrupt(error, QStringLiteral("the animation count does not fit the animation list"));
    m_animations.resize(animationCount);
    for (Animation &animation : m_animations) {
        animation.name = list.string();
        Block b;
        b.offset = list.u32();
        b.size = list.u32();
        if (!list.ok())
            return corrupt(error, QStringLiteral("the animation list is truncated"));
        if (!locatorFits(b.offset, b.size, data.size()))
            return corrupt(error, QStringLiteral("animation %1 lies past the end of the file").arg(animation.name));
        if (!readAnimationBlock(view(b), animation))
            return corrupt(error, QStringLiteral("animation %1 is damaged").arg(animation.name));
    }

    // Images and sounds: only their places now. A misplaced one fails when it is used.
    auto readSlots = [&](const Block &listBlock, auto &slotList, const QString &what) {
        AcsByteCursor entries(view(listBlock));
        const quint32 count = entries.u32();
        if (!entries.canHold(count, kListEntrySize))
            return corrupt(error, QStringLiteral("the %1 count does not fit its list").arg(what));
        slotList.resize(count);
        for (auto &slot : slotList) {
            slot.block.offset = entries.u32();
            slot.block.size = entries.u32();
            entries.u32(); // checksum of unknown algorithm: never checked
            if (!locatorFits(slot.block.offset, slot.block.size, data.size()))
                slot.failure = {AcsErrorCode::CorruptFile, QStringLiteral("%1 lies past the end of the file").arg(what)};
        }
        return true;
    };
    return readSlots(blocks[2], m_imageBlocks, QStringLiteral("image"))
        && readSlots(blocks[3], m_soundBlocks, QStringLiteral("sound"));
}

const Animation *AcsReader::animation(QStringView name) const
{
    for (const Animation &a : m_animations)
        if (a.name.compare(name, Qt::CaseInsensitive) == 0)
            return &a;
    return nullptr;
}

const State *AcsReader::state(QStringView name) const
{
    for (const State &s : m_info.states)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

const LocalizedInfo *AcsReader::localizedInfo(quint16 languageId) const
{
    const QList<LocalizedInfo> &entries = m_info.localizedInfo;
    auto find = [&](auto matches) -> const LocalizedInfo * {
        for (const LocalizedInfo &e : entries)
            if (matches(e.languageId))
                return &e;
        return nullptr;
    };
    constexpr quint16 primaryMask = 0x3FF;
    if (auto e = find([&](quint16 id) { return id == languageId; }))
        return e;
    if (auto e = find([&](quint16 id) { return (id & primaryMask) == (languageId & primaryMask); }))
        return e;
    if (auto e = find([](quint16 id) { return id == LanguageId::EnglishNeutral; }))
        return e;
    return entries.isEmpty() ? nullptr : &entries.first();
}

bool AcsReader::decodeImage(ImageSlot &slot, AcsError *error) const
{
    auto bad = [&](const QString &why) { return setAcsError(error, AcsErrorCode::BadImage, why); };
    if (slot.block.size < kMinImageBlock) {
        slot.decoded = IndexedImage{0, 0, {}, std::nullopt, 1};
        return true;
    }
    AcsByteCursor in(QByteArrayView(m_data).sliced(slot.block.offset, slot.block.size));
    IndexedImage image;
    image.leadingByte = in.u8();
    image.width = in.u16();
    image.height = in.u16();
    const bool compressed = in.u8() != 0;
    const quint32 storedSize = in.u32();
    const QByteArrayView stored = in.bytes(storedSize);
    if (!in.ok())
        return bad(QStringLiteral("image data is truncated"));
    if (image.width > kMaxImageSide || image.height > kMaxImageSide)
        return bad(QStringLiteral("image of %1 x %2 pixels is too large").arg(image.width).arg(image.height));

    const qsizetype stride = (qsizetype(image.width) + 3) & ~qsizetype(3);
    const qsizetype expected = stride * image.height;
    QByteArray bottomUp;
    if (compressed) {
        if (quint64(expected) > quint64(storedSize) * kMaxExpansion + 64)
            return bad(QStringLiteral("image data is too short for its size"));
        auto inflated = AcsCompression::decompress(stored, expected);
        if (!inflated)
            return bad(QStringLiteral("image data does not decompress"));
        bottomUp = std::move(*inflated);
    } else {
        if (stored.size() < expected)
            return bad(QStringLiteral("raw image data is too short"));
        bottomUp = stored.first(expected).toByteArray();
    }

    image.pixels.resize(qsizetype(image.width) * image.height);
    for (int y = 0; y < image.height; ++y)
        std::memcpy(image.pixels.data() + qsizetype(y) * image.width,
                    bottomUp.constData() + (image.height - 1 - y) * stride, image.width);

    // The shape is optional: a damaged one is dropped, the pixels still serve.
    const quint32 regionStored = in.u32();
    const quint32 regionSize = in.u32();
    const quint64 regionLimit = quint64(regionStored) * kMaxExpansion + 64;
    if (in.ok() && regionStored == 0) {
        if (auto region = AcsRegion::decode(in.bytes(regionSize)); in.ok())
            image.region = std::move(region);
    } else if (in.ok() && regionSize <= regionLimit) {
        if (auto raw = AcsCompression::decompress(in.bytes(regionStored), regionSize))
            image.region = AcsRegion::decode(*raw);
    }
    if (image.isEmpty())
        image = IndexedImage{0, 0, {}, std::nullopt, image.leadingByte};
    slot.decoded = std::move(image);
    return true;
}

const IndexedImage *AcsReader::image(int index, AcsError *error)
{
    if (index < 0 || index >= m_imageBlocks.size()) {
        setAcsError(error, AcsErrorCode::IndexOutOfRange, QStringLiteral("no image %1").arg(index));
        return nullptr;
    }
    ImageSlot &slot = m_imageBlocks[index];
    if (slot.decoded)
        return &*slot.decoded;
    if (!slot.failure.isError()) {
        if (decodeImage(slot, &slot.failure))
            return &*slot.decoded;
        slot.failure.message = QStringLiteral("image %1: %2").arg(index).arg(slot.failure.message);
    }
    if (error)
        *error = slot.failure;
    return nullptr;
}

QByteArray AcsReader::soundData(int index) const
{
    if (index < 0 || index >= m_soundBlocks.size() || m_soundBlocks[index].failure.isError())
        return {};
    const Block &b = m_soundBlocks[index].block;
    return m_data.sliced(b.offset, b.size);
}

const sound::PcmAudio *AcsReader::sound(int index, AcsError *error)
{
    if (index < 0 || index >= m_soundBlocks.size()) {
        setAcsError(error, AcsErrorCode::IndexOutOfRange, QStringLiteral("no sound %1").arg(index));
        return nullptr;
    }
    SoundSlot &slot = m_soundBlocks[index];
    if (slot.decoded)
        return &*slot.decoded;
    if (!slot.failure.isError()) {
        QString why;
        slot.decoded = sound::decodeWave(soundData(index), &why, &slot.strayBytes);
        if (slot.decoded)
            return &*slot.decoded;
        slot.failure = {AcsErrorCode::BadSound, QStringLiteral("sound %1: %2").arg(index).arg(why)};
    }
    if (error)
        *error = slot.failure;
    return nullptr;
}

std::optional<Character> AcsReader::readAll(AcsError *error)
{
    Character character;
    character.info = m_info;
    character.animations = m_animations;
    character.images.reserve(m_imageBlocks.size());
    for (int i = 0; i < m_imageBlocks.size(); ++i) {
        const IndexedImage *img = image(i, error);
        if (!img)
            return std::nullopt;
        character.images.append(*img);
    }
    character.sounds.reserve(m_soundBlocks.size());
    for (int i = 0; i < m_soundBlocks.size(); ++i) {
        if (m_soundBlocks[i].failure.isError()) {
            if (error)
                *error = m_soundBlocks[i].failure;
            return std::nullopt;
        }
        character.sounds.append(Sound{soundData(i)});
    }
    return character;
}

} // namespace tilvano::acs
