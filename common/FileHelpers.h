#pragma once

#include <QString>

namespace tilvano {

// True when a file or folder matches the path. One trailing separator is
// dropped from a path longer than 3 characters; the last part may hold the
// wildcards * and ?, and then any match counts.
bool FileExists(const QString &path);
// Copies a file; with failIfExists false an existing target is replaced.
bool CopyFileTo(const QString &source, const QString &target, bool failIfExists);
bool RemoveFile(const QString &path);

} // namespace tilvano
