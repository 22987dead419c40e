#include "system/AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

namespace tilvano {

AutostartEntry::AutostartEntry(const QString &name) : m_name(name) {}

QString AutostartEntry::filePath() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/") + m_name + QStringLiteral(".desktop");
}

std::optional<QString> AutostartEntry::command() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QString exec;
    bool inMainGroup = false;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Exec"))
            exec = value;
        else if ((key == QLatin1String("Hidden") && value == QLatin1String("true"))
                 || (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false")))
            return std::nullopt;
    }
    return programFromExecLine(exec);
}

QString AutostartEntry::execLineFor(const QString &program)
{
    // Quoting level of the Exec key: an argument with reserved characters is
    // put in double quotes, inside which " ` $ and \ take a backslash. Then the
    // string level of the desktop file doubles every backslash again, and % is
    // a field code unless doubled.
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = program.isEmpty();
    for (QChar c : program)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString arg = program;
    if (needsQuotes) {
        QString quoted;
        for (QChar c : program) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        arg = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    arg.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    arg.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return arg;
}

QString AutostartEntry::programFromExecLine(const QString &exec)
{
    // Undo the string level first, then the quoting level; stop at the first
    // unquoted blank (anything after it is an argument, not the program).
    QString unescaped;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] == QLatin1Char('\\') && i + 1 < exec.size()) {
            const QChar next = exec[++i];
            unescaped += next == QLatin1Char('n') ? QChar(QLatin1Char('\n'))
                         : next == QLatin1Char('s') ? QChar(QLatin1Char(' '))
                                                    : next;
        } else {
            unescaped += exec[i];
        }
    }
    unescaped.replace(QStringLiteral("%%"), QStringLiteral("%"));
    QString program;
    bool quoted = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped[i];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (quoted && c == QLatin1Char('\\') && i + 1 < unescaped.size()) {
            program += unescaped[++i];
        } else if (!quoted && c.isSpace()) {
            if (!program.isEmpty())
                break;
        } else {
            program += c;
        }
    }
    return program;
}

bool AutostartEntry::write(const QString &program) const
{
    const QString path = filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=Tilvano\n"
        << "Comment=Startet den Tilvano-Begleiter bei der Anmeldung\n"
        << "Exec=" << execLineFor(program) << "\n"
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
    out.flush();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return file.commit();
}

bool AutostartEntry::remove() const
{
    return !QFile::exists(filePath()) || QFile::remove(filePath());
}

} // namespace tilvano
