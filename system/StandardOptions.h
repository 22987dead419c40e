#pragma once

#include <QString>

#include <optional>

namespace tilvano {

// The two options every program of ours answers in the GNU manner: "--help"
// (how to call it) and "--version" (name, version and legal status), both on
// standard output with exit status 0. They are looked at before anything else
// starts, so they work without a display, a session bus or a settings store.
// Only the first argument counts: later ones belong to the program, such as a
// text to speak ("kibo speak --help") or a value to store.
class StandardOptions {
public:
    // command as the user types it. The German --help text is the usage and
    // description, the lines of --help and --version, then the closing
    // paragraphs (at least what the exit statuses mean).
    StandardOptions(QString command, QString usage, QString closing);

    // When the arguments ask for help or the version: answers and returns the
    // exit status to end with. Otherwise nothing, and the program goes on.
    std::optional<int> answer(int argc, char **argv) const;
    // For a call the program cannot make sense of: the help text on standard
    // error, and the exit status 2 to end with.
    int refuseUsage() const;

    QString helpText() const;
    QString versionText() const;
    // The release of the whole project, e.g. "1.3.135".
    static QString version();

private:
    QString m_command;
    QString m_usage;
    QString m_closing;
};

} // namespace tilvano
