#pragma once

// The in-memory form of a character file: plain value types, no behaviour.
//
// AcsReader fills it from a file, AcsWriter turns it back into one, and code that draws its
// own character (the shipped default character) builds it field by field. Everything a file
// can hold has a place here, including fields whose meaning is unknown, so that reading a
// file and writing it again loses nothing.
//
// Conventions used throughout:
// - Names of animations and states are matched without regard to case.
// - Image pixels are 8-bit palette indices, one byte per pixel, rows top-down, no padding.
// - Colours are QRgb with alpha 255; the file keeps no alpha (transparency comes from the
//   transparent palette index).
// - Durations are in hundredths of a second, as the file stores them.

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QRgb>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace tilvano::acs {

// Bits of CharacterInfo::flags.
namespace CharacterFlag {
inline constexpr quint32 VoiceDisabled = 0x00000010;
inline constexpr quint32 VoiceEnabled = 0x00000020;     // kept in step with CharacterInfo::voice
inline constexpr quint32 BalloonDisabled = 0x00000100;
inline constexpr quint32 BalloonEnabled = 0x00000200;   // kept in step with CharacterInfo::balloon
inline constexpr quint32 BalloonSizeToText = 0x00010000;
inline constexpr quint32 BalloonNoAutoHide = 0x00020000;
inline constexpr quint32 BalloonNoAutoPace = 0x00040000;
inline constexpr quint32 StandardAnimationSet = 0x00100000; // promises the usual animation names
} // namespace CharacterFlag

// Language ids: low 10 bits the primary language, high 6 bits the sub-language.
namespace LanguageId {
inline constexpr quint16 EnglishNeutral = 0x0009;
inline constexpr quint16 GermanNeutral = 0x0007;
inline constexpr quint16 German = 0x0407;
inline constexpr quint16 EnglishUS = 0x0409;
} // namespace LanguageId

struct VoiceInfo {
    QUuid engineId;              // speech engine of the authoring system; kept, not used here
    QUuid modeId;
    quint32 speed = 0xFFFFFFFF;  // words per minute; 0xFFFFFFFF = engine default
    quint16 pitch = 0xFFFF;      // Hz; 0xFFFF = engine default
    bool hasExtraData = false;   // the fields below are stored only when this is set
    quint16 languageId = LanguageId::EnglishUS;
    QString dialect;
    quint16 gender = 0;          // 0 neutral, 1 female, 2 male
    quint16 age = 0;
    QString style;

    bool operator==(const VoiceInfo &) const = default;
};

struct BalloonInfo {
    quint8 lines = 2;
    quint8 charsPerLine = 28;
    QRgb textColor = qRgb(0, 0, 0);
    QRgb backgroundColor = qRgb(255, 255, 225);
    QRgb borderColor = qRgb(0, 0, 0);
    QString fontName = QStringLiteral("Sans Serif");
    qint32 fontHeight = -13;     // logical units; negative = character height
    qint32 fontWeight = 400;     // 0..1000, 400 normal, 700 bold
    bool italic = false;
    quint8 unknownFontByte = 0;  // meaning unknown; write 0

    bool operator==(const BalloonInfo &) const = default;
};

// The tray icon as two device-independent bitmaps without file header (40-byte info header,
// colour table, bottom-up rows padded to 4 bytes). AcsTrayIcon turns it into a QImage.
struct TrayIcon {
    QByteArray maskBitmap;       // 1 bit per pixel; a set bit is transparent
    QByteArray colorBitmap;      // usually 4 bits per pixel

    bool operator==(const TrayIcon &) const = default;
};

struct State {
    QString name;                // e.g. "SPEAKING", "IDLINGLEVEL1"
    QStringList animations;      // one is picked at random when the state is entered

    bool operator==(const State &) const = default;
};

struct LocalizedInfo {
    quint16 languageId = LanguageId::EnglishNeutral;
    QString name;
    QString description;
    QString extraData;           // free text

    bool operator==(const LocalizedInfo &) const = default;
};

struct CharacterInfo {
    quint16 minorVersion = 1;
    quint16 majorVersion = 2;    // only 2 can be read
    QUuid guid;
    quint16 width = 0;           // the canvas every frame is drawn on
    quint16 height = 0;
    quint8 transparentIndex = 0; // palette index that is never drawn
    // CharacterFlag bits. The writer sets VoiceEnabled / BalloonEnabled from whether `voice` /
    // `balloon` are present and keeps every other bit as given.
    quint32 flags = CharacterFlag::VoiceDisabled | CharacterFlag::BalloonEnabled;
    quint16 animationSetMajor = 2;
    quint16 animationSetMinor = 0;
    std::optional<VoiceInfo> voice;
    std::optional<BalloonInfo> balloon;
    QList<QRgb> palette;         // usually 256 entries, may be fewer
    std::optional<TrayIcon> trayIcon;
    QList<State> states;
    QList<LocalizedInfo> localizedInfo; // name and description per language

    bool operator==(const CharacterInfo &) const = default;
};

enum class TransitionType : quint8 {
    ReturnAnimation = 0,         // play Animation::returnAnimation afterwards
    ExitBranches = 1,            // follow the frames' exit branches afterwards
    None = 2,
};

enum class MouthType : quint8 {
    Closed = 0,
    WideOpen1 = 1,
    WideOpen2 = 2,
    WideOpen3 = 3,
    WideOpen4 = 4,
    Medium = 5,
    Narrow = 6,
};
inline constexpr int MouthTypeCount = 7;

struct FrameLayer {
    quint32 imageIndex = 0;
    qint16 x = 0;                // top-left corner on the canvas; may be negative
    qint16 y = 0;

    bool operator==(const FrameLayer &) const = default;
};

struct Branch {
    quint16 targetFrame = 0;
    quint16 probability = 0;     // percent; a frame's branches sum to at most 100

    bool operator==(const Branch &) const = default;
};

struct MouthOverlay {
    MouthType type = MouthType::Closed;
    bool replacesTopLayer = false; // true: drawn instead of layer 0; false: drawn over the frame
    quint16 imageIndex = 0;
    quint8 unknownByte = 0;      // meaning unknown; write 0
    qint16 x = 0;
    qint16 y = 0;
    // Centre of the opaque bounds of the frame's closed-mouth image, in that image's
    // coordinates (see mouthCentre() in AcsRegion.h). Readers ignore it.
    quint16 centreX = 0;
    quint16 centreY = 0;
    std::optional<QByteArray> region; // never seen in real files; kept verbatim

    bool operator==(const MouthOverlay &) const = default;
};

inline constexpr qint16 NoSound = -1;
inline constexpr qint16 NoExit = -1;
inline constexpr qint16 ExitPathEnd = -2;

struct Frame {
    QList<FrameLayer> layers;    // index 0 is drawn on top, the last one at the bottom
    qint16 soundIndex = NoSound; // index into Character::sounds
    quint16 duration = 10;       // hundredths of a second
    qint16 exitFrame = NoExit;   // frame to go to when leaving the animation, or ExitPathEnd
    QList<Branch> branches;      // at most 255
    QList<MouthOverlay> overlays; // at most 255; frames with overlays are speaking frames

    bool operator==(const Frame &) const = default;
};

struct Animation {
    QString name;                // as authored, mixed case ("RestPose")
    TransitionType transition = TransitionType::None;
    QString returnAnimation;     // used with TransitionType::ReturnAnimation
    QList<Frame> frames;

    bool operator==(const Animation &) const = default;
};

// The shape of an image: rectangles covering exactly its opaque pixels, in bands top to
// bottom, left to right within a band. Coordinates are top-down with exclusive right/bottom
// (QRect's right() is therefore x1 - 1).
struct ImageRegion {
    QRect bounds;
    QList<QRect> rects;

    bool operator==(const ImageRegion &) const = default;
};

struct IndexedImage {
    quint16 width = 0;           // 0 x 0 marks an unused slot that is never drawn
    quint16 height = 0;
    QByteArray pixels;           // width * height palette indices, top-down, no padding
    // The stored shape. When absent the writer derives it from the pixels.
    std::optional<ImageRegion> region;
    quint8 leadingByte = 1;      // meaning unknown; write 1

    bool isEmpty() const { return width == 0 || height == 0; }
    quint8 pixel(int x, int y) const { return quint8(pixels.at(y * width + x)); }

    bool operator==(const IndexedImage &) const = default;
};

struct Sound {
    QByteArray riff;             // a complete WAV file, kept byte for byte

    bool operator==(const Sound &) const = default;
};

struct Character {
    CharacterInfo info;
    QList<Animation> animations;
    QList<IndexedImage> images;
    QList<Sound> sounds;

    bool operator==(const Character &) const = default;
};

} // namespace tilvano::acs
