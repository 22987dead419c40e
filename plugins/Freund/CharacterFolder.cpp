#include "plugins/Freund/CharacterFolder.h"

#include <QDir>
#include <QRegularExpression>

namespace tilvano::freund {

namespace {

const QString acsSuffix = QStringLiteral(".acs");

// The last part of a path written with either kind of separator, as stored
// paths may come from older installations.
QString lastPathPart(const QString &path)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    return path.split(separators).constLast().trimmed();
}

} // namespace

CharacterFolder::CharacterFolder(const QString &folder)
    : m_folder(folder)
{
    if (!m_folder.isEmpty() && !m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
    // Name filters without QDir::CaseSensitive match "ALIEN.ACS" as well.
    const QStringList files = QDir(folder).entryList({QStringLiteral("*") + acsSuffix}, QDir::Files,
                                                     QDir::Name | QDir::IgnoreCase);
    for (const QString &file : files)
        m_entries.append({displayName(file), file});
}

QString CharacterFolder::pathOf(int index) const
{
    if (index < 0 || index >= m_entries.size())
        return {};
    return m_folder + m_entries.at(index).fileName;
}

int CharacterFolder::indexOf(const QString &storedPath) const
{
    // By whole file name: a file such as "nie.acs" must not claim a stored
    // "Genie.acs" merely because its name occurs inside that path.
    const QString storedFile = lastPathPart(storedPath);
    int found = 0;
    for (int i = 0; i < m_entries.size(); ++i) {
        const QString file = m_entries.at(i).fileName.trimmed();
        if (!file.isEmpty() && file.compare(storedFile, Qt::CaseInsensitive) == 0)
            found = i;
    }
    return found;
}

QString CharacterFolder::displayName(const QString &fileName)
{
    return QString(fileName).remove(acsSuffix, Qt::CaseInsensitive);
}

} // namespace tilvano::freund
