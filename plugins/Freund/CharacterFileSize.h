#pragma once

#include <QSize>
#include <QString>

#include <optional>

namespace tilvano::freund {

// The size a character file gives its character (its drawing canvas), read
// from the file itself. Nothing when the file cannot be read or gives a size
// the character service cannot take (0, or more than a 16-bit side).
std::optional<QSize> characterFileSize(const QString &path);

} // namespace tilvano::freund
