#include "system/ShellExecutor.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace tilvano {

namespace {

bool isUrl(const QString &file)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:(//)?\\S"));
    return !file.startsWith(QLatin1Char('/')) && scheme.match(file).hasMatch();
}

int startDetached(const QString &program, const QStringList &arguments, const QString &directory)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!directory.isEmpty())
        process.setWorkingDirectory(directory);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached() ? ShellExecutor::Success : ShellExecutor::BadFormat;
}

int openWithDesktop(const QString &target)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return ShellExecutor::NoAssociation;
    return startDetached(opener, {target}, {});
}

} // namespace

int ProcessShellExecutor::execute(const QString &operation, const QString &file,
                                  const QString &parameters, const QString &directory, int)
{
    const QString verb = operation.trimmed().toLower();
    if (!verb.isEmpty() && verb != QLatin1String("open") && verb != QLatin1String("explore"))
        return NoAssociation;
    if (!directory.isEmpty() && !QFileInfo(directory).isDir())
        return PathNotFound;
    if (file.trimmed().isEmpty())
        return FileNotFound;
    if (isUrl(file))
        return openWithDesktop(file);

    QString path = file;
    if (!file.contains(QLatin1Char('/'))) {
        // A bare name: the working folder first, then the search path.
        const QString inDirectory = QDir(directory.isEmpty() ? QDir::currentPath() : directory).filePath(file);
        path = QFileInfo::exists(inDirectory) ? inDirectory : QStandardPaths::findExecutable(file);
        if (path.isEmpty())
            return FileNotFound;
    } else if (QFileInfo(file).isRelative() && !directory.isEmpty()) {
        path = QDir(directory).filePath(file);
    }

    const QFileInfo info(path);
    if (!info.exists())
        return QFileInfo(info.absolutePath()).isDir() ? FileNotFound : PathNotFound;
    if (info.isDir())
        return openWithDesktop(info.absoluteFilePath());
    if (!info.isReadable())
        return AccessDenied;
    if (info.isExecutable()) {
        QStringList arguments;
        if (!parameters.isEmpty())
            arguments << parameters;
        return startDetached(info.absoluteFilePath(), arguments, directory);
    }
    return openWithDesktop(info.absoluteFilePath());
}

} // namespace tilvano
