#pragma once

// Shared helpers for the character codec tests: fixture paths and a tiny synthetic character.

#include "platform/acs/AcsModel.h"

#include <QFile>
#include <QString>
#include <QtTest>

namespace tilvano::acs::testdata {

inline QString fixture(const QString &name)
{
    return qEnvironmentVariable("TILVANO_FIXTURES") + QStringLiteral("/acs/") + name;
}

inline QByteArray fixtureBytes(const QString &name)
{
    QFile f(fixture(name));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return f.readAll();
}

// A solid rectangle of `index` on a transparent (index 0) field.
inline IndexedImage solidImage(int w, int h, quint8 index, QRect opaque = {})
{
    IndexedImage img;
    img.width = quint16(w);
    img.height = quint16(h);
    img.pixels.fill('\0', qsizetype(w) * h);
    if (opaque.isNull())
        opaque = QRect(0, 0, w, h);
    for (int y = opaque.top(); y <= opaque.bottom(); ++y)
        for (int x = opaque.left(); x <= opaque.right(); ++x)
            img.pixels[y * w + x] = char(index);
    return img;
}

// 8 x 8 canvas, palette: 0 transparent magenta, 1 red, 2 green, 3 blue, 4 a duplicate of the
// transparent colour. Image 0 red 8x8, image 1 green 4x4, image 2 blue 2x2.
inline Character tinyCharacter()
{
    Character c;
    c.info.guid = QUuid(0x12345678, 0x9abc, 0xdef0, 1, 2, 3, 4, 5, 6, 7, 8);
    c.info.width = 8;
    c.info.height = 8;
    c.info.transparentIndex = 0;
    c.info.palette = {qRgb(255, 0, 255), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 255)};
    c.info.balloon = BalloonInfo{};
    c.info.localizedInfo = {LocalizedInfo{LanguageId::German, QStringLiteral("Winzling"), QStringLiteral("Probe"), {}}};
    c.info.states = {State{QStringLiteral("SHOWING"), {QStringLiteral("SHOW")}}};
    c.images = {solidImage(8, 8, 1), solidImage(4, 4, 2), solidImage(2, 2, 3)};

    Animation show;
    show.name = QStringLiteral("Show");
    Frame f;
    // Layer 0 (green) must end above layer 1 (red).
    f.layers = {FrameLayer{1, 2, 2}, FrameLayer{0, 0, 0}};
    f.overlays = {MouthOverlay{MouthType::Closed, true, 2, 0, 3, 3, 1, 1, std::nullopt},
                  MouthOverlay{MouthType::Medium, false, 2, 0, -1, -1, 1, 1, std::nullopt}};
    show.frames = {f};
    c.animations = {show};
    return c;
}

} // namespace tilvano::acs::testdata
