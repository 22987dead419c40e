#pragma once

#include <QString>

namespace tilvano::word {

// The template that brings the character into Word: shipped in the data
// folder, put into Word's start-up folder while the user wants it there.
// File failures are not reported: the file system simply stays as it was.
class WordTemplate {
public:
    // Word's program folder as the registry names it, the older Word first;
    // empty when neither is installed. Always ends with a separator.
    static QString findProgramDir();

    explicit WordTemplate(const QString &programDir);

    bool wordFound() const { return !m_programDir.isEmpty(); }
    QString programDir() const { return m_programDir; }
    // The shipped copy: in the installation's data folder (InstallPath).
    static QString sourcePath();
    // Where Word picks it up; empty when Word was not found.
    QString installedPath() const;

    bool isInstalled() const;
    // Copies the shipped template into Word's start-up folder unless one is there.
    void install() const;
    void remove() const;

    static QString fileName() { return QStringLiteral("Tilvano.dot"); }

private:
    QString m_programDir;
};

} // namespace tilvano::word
