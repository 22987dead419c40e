#include "system/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tilvano {

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

bool openRegularFile(const QString &path, QFile &file, QString *error)
{
    const QByteArray nativePath = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO without a writer returns at once instead of
    // waiting for one; for a regular file the flag changes nothing.
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        setError(error, QStringLiteral("Die Datei %1 kann nicht geöffnet werden: %2")
                            .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        setError(error, QStringLiteral("%1 ist keine gewöhnliche Datei.").arg(path));
        return false;
    }
    // Reads should block normally from here on, as a regular file's always do.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setError(error, QStringLiteral("Die Datei %1 kann nicht gelesen werden.").arg(path));
        return false;
    }
    return true;
}

std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes, QString *error)
{
    QFile file;
    if (!openRegularFile(path, file, error))
        return std::nullopt;
    if (file.size() > maxBytes) {
        setError(error, QStringLiteral("Die Datei %1 ist zu groß (%2 Bytes, höchstens %3).")
                            .arg(path).arg(file.size()).arg(maxBytes));
        return std::nullopt;
    }
    // Read one byte past the limit: a file that grew since fstat() is caught too.
    QByteArray data = file.read(maxBytes + 1);
    if (data.size() > maxBytes) {
        setError(error, QStringLiteral("Die Datei %1 ist zu groß (höchstens %2 Bytes).").arg(path).arg(maxBytes));
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError) {
        setError(error, QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    return data;
}

} // namespace tilvano
