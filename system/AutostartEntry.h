#pragma once

#include <QString>

#include <optional>

namespace tilvano {

// The XDG autostart entry that starts a program at log-in:
// $XDG_CONFIG_HOME/autostart/<name>.desktop.
class AutostartEntry {
public:
    explicit AutostartEntry(const QString &name);

    QString filePath() const;

    // The command line of an enabled entry; nullopt when there is none, or when
    // the entry is switched off (Hidden=true or X-GNOME-Autostart-enabled=false).
    std::optional<QString> command() const;
    // Writes the entry starting `program` (a path, quoted as the desktop-entry
    // rules require). True on success.
    bool write(const QString &program) const;
    bool remove() const;

    // Exec value for one program path, escaped for a desktop file.
    static QString execLineFor(const QString &program);
    // The program path back from an Exec value written by execLineFor (or a
    // simple hand-written one).
    static QString programFromExecLine(const QString &exec);

private:
    QString m_name;
};

} // namespace tilvano
