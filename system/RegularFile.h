#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QFile;

namespace tilvano {

// Opening files that other people or programs may have put in our way.
//
// A path in a mail folder, a calendar folder or a macro can name a FIFO, a
// device or a symbolic link to one. A plain open() of a FIFO blocks until a
// writer comes, which on the interface thread freezes the whole program. So
// these open without blocking and check what they got with fstat() on the
// open descriptor (a check of the path before opening could be raced), and
// accept only regular files.

// Opens the regular file at path for reading into file. On failure file stays
// closed and error (when given) holds a German description of the cause.
bool openRegularFile(const QString &path, QFile &file, QString *error = nullptr);

// Reads a whole regular file of at most maxBytes. A larger file is refused
// rather than cut, so that callers never mistake a part for the whole.
std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes, QString *error = nullptr);

} // namespace tilvano
