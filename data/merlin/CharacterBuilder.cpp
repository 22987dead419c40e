#include "CharacterBuilder.h"

#include "CharacterPalette.h"
#include "TrayIconBitmaps.h"

#include "platform/acs/AcsIndexedImage.h"
#include "platform/acs/AcsRegion.h"

#include <QUuid>

namespace tilvano::merlin {

namespace {

constexpr quint8 kTransparent = CharacterPalette::kTransparentIndex;

acs::IndexedImage cropped(const acs::IndexedImage &image, const QRect &box)
{
    acs::IndexedImage out;
    out.width = quint16(box.width());
    out.height = quint16(box.height());
    out.pixels.reserve(qsizetype(out.width) * out.height);
    for (int y = box.top(); y <= box.bottom(); ++y)
        out.pixels.append(image.pixels.constData() + qsizetype(y) * image.width + box.left(), box.width());
    return out;
}

// Where two pictures of the same size differ.
QRect differences(const acs::IndexedImage &a, const acs::IndexedImage &b)
{
    QRect box;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

QByteArray identity(const acs::IndexedImage &image)
{
    QByteArray key;
    key.append(reinterpret_cast<const char *>(&image.width), sizeof image.width);
    key.append(reinterpret_cast<const char *>(&image.height), sizeof image.height);
    key.append(image.pixels);
    return key;
}

} // namespace

acs::Character CharacterBuilder::build()
{
    m_palette = CharacterPalette::colours();
    const AnimationPlan plan = buildAnimationPlan();

    acs::Character character;
    for (const PlannedAnimation &planned : plan.animations) {
        acs::Animation animation;
        animation.name = planned.name;
        animation.transition = planned.transition;
        animation.returnAnimation = planned.returnAnimation;
        for (const PlannedFrame &frame : planned.frames)
            animation.frames.append(frameFor(frame));
        character.animations.append(animation);
    }
    character.info = characterInfo(plan);
    character.images = m_images;
    return character;
}

const acs::IndexedImage &CharacterBuilder::drawn(const Pose &pose)
{
    for (const auto &[known, image] : m_drawn)
        if (known == pose)
            return image;
    m_drawn.append({pose, acs::AcsIndexedImage::fromImage(m_painter.render(pose), m_palette, kTransparent)});
    return m_drawn.last().second;
}

quint32 CharacterBuilder::store(const acs::IndexedImage &image)
{
    const QByteArray key = identity(image);
    const auto found = m_stored.constFind(key);
    if (found != m_stored.constEnd())
        return *found;
    const quint32 index = quint32(m_images.size());
    m_images.append(image);
    m_stored.insert(key, index);
    return index;
}

QList<acs::FrameLayer> CharacterBuilder::layersFor(const Pose &pose)
{
    const acs::IndexedImage &canvas = drawn(pose);
    const QRect bounds = acs::AcsRegion::opaqueBounds(canvas, kTransparent);
    if (bounds.isEmpty())
        return {};
    const quint32 index = store(cropped(canvas, bounds));
    return {acs::FrameLayer{index, qint16(bounds.left()), qint16(bounds.top())}};
}

QList<acs::MouthOverlay> CharacterBuilder::overlaysFor(const Pose &pose)
{
    // Draw the pose with each speaking mouth; the overlays cover the box in which
    // any of them differs from the plain frame, so each one fully replaces the mouth.
    const acs::IndexedImage plain = drawn(pose);
    QList<acs::IndexedImage> shapes;
    QRect box;
    for (int type = 0; type < acs::MouthTypeCount; ++type) {
        Pose speaking = pose;
        speaking.mouth = static_cast<Mouth>(type);
        shapes.append(drawn(speaking));
        box |= differences(plain, shapes.last());
    }
    if (box.isEmpty())
        return {};

    const acs::IndexedImage closed = cropped(shapes.first(), box);
    const QPoint centre = acs::AcsRegion::mouthCentre(closed, kTransparent);
    QList<acs::MouthOverlay> overlays;
    for (int type = 0; type < acs::MouthTypeCount; ++type) {
        acs::MouthOverlay overlay;
        overlay.type = static_cast<acs::MouthType>(type);
        overlay.replacesTopLayer = false;
        overlay.imageIndex = quint16(store(cropped(shapes[type], box)));
        overlay.x = qint16(box.left());
        overlay.y = qint16(box.top());
        overlay.centreX = quint16(centre.x());
        overlay.centreY = quint16(centre.y());
        overlays.append(overlay);
    }
    return overlays;
}

acs::Frame CharacterBuilder::frameFor(const PlannedFrame &planned)
{
    acs::Frame frame;
    frame.duration = planned.duration;
    frame.exitFrame = planned.exitFrame;
    frame.branches = planned.branches;
    if (planned.pose) {
        frame.layers = layersFor(*planned.pose);
        if (planned.speaking)
            frame.overlays = overlaysFor(*planned.pose);
    }
    return frame;
}

acs::CharacterInfo CharacterBuilder::characterInfo(const AnimationPlan &plan) const
{
    acs::CharacterInfo info;
    // Fixed, so every build of the character is the same character.
    info.guid = QUuid(QStringLiteral("{4d65726c-696e-4a07-9a2b-54696c76616e}"));
    info.width = FigurePainter::kCanvasSize;
    info.height = FigurePainter::kCanvasSize;
    info.transparentIndex = kTransparent;
    info.flags = acs::CharacterFlag::VoiceEnabled | acs::CharacterFlag::BalloonEnabled
        | acs::CharacterFlag::StandardAnimationSet;

    acs::VoiceInfo voice;
    voice.speed = 150;       // a calm old man's pace
    voice.pitch = 90;
    voice.hasExtraData = true;
    voice.languageId = acs::LanguageId::German;
    voice.gender = 2;        // male
    voice.age = 70;
    info.voice = voice;

    acs::BalloonInfo balloon;
    balloon.lines = 3;
    balloon.charsPerLine = 32; // German words run long
    balloon.textColor = qRgb(0, 0, 0);
    balloon.backgroundColor = qRgb(255, 255, 225);
    balloon.borderColor = qRgb(0, 0, 0);
    balloon.fontName = QStringLiteral("DejaVu Sans");
    balloon.fontHeight = -13;
    balloon.fontWeight = 400;
    info.balloon = balloon;

    info.palette = m_palette;
    info.trayIcon = TrayIconBitmaps::encode(m_painter.renderIcon(16));
    info.states = plan.states;

    const QString name = QStringLiteral("Merlin");
    const QString description = QStringLiteral(
        "Ein freundlicher Zauberer mit langem weißem Bart, der dir vorliest, Dinge erklärt "
        "und ab und zu ein wenig zaubert.");
    info.localizedInfo = {
        acs::LocalizedInfo{acs::LanguageId::German, name, description, {}},
        // Neutral fallback for systems in other languages.
        acs::LocalizedInfo{0x0000, name, description, {}},
    };
    return info;
}

} // namespace tilvano::merlin
