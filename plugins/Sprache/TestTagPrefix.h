#pragma once

#include <QString>

#include <optional>

namespace tilvano::voice {

// The speech control tags the test button puts in front of its sentence, from
// what the page shows rather than from Kibo, so that the user hears the
// choices before saving them. Each part is present only when its box is ticked.
struct TestTagPrefix {
    std::optional<int> speed;
    std::optional<int> pitch;
    std::optional<int> volume;
    std::optional<QString> character; // "Monotone", "Whisper"
    std::optional<QString> context;   // "Address", "Email"

    // e.g. \Spd=150\\Vol=65000\ for speed and volume.
    QString text() const;
};

} // namespace tilvano::voice
