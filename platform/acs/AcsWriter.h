#pragma once

#include "AcsError.h"
#include "AcsModel.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tilvano::acs {

// Turns a Character into a complete character file.
//
// Blocks are laid out in the usual order (header, animations, images, sounds, lists,
// character info followed by the localized info), images are compressed with our own
// compressor, and the output is deterministic: the same model always gives the same bytes.
// Names of animations are written as given in the animation list and upper-cased inside the
// animation blocks; state and return-animation names are written upper-cased.
//
// The model is checked first: pixel buffers must hold width * height bytes, layer, overlay
// and sound indices must exist, counts must fit their fields. A model that fails gives
// nullopt and InvalidModel, and nothing is written.
class AcsWriter {
public:
    static std::optional<QByteArray> write(const Character &character, AcsError *error = nullptr);

    // Writes to `path` through a temporary file, so a failed write never leaves half a file.
    static bool writeFile(const Character &character, const QString &path, AcsError *error = nullptr);
};

} // namespace tilvano::acs
