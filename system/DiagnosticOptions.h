#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace tilvano {

// The switches for looking into a running program (a trace file, silence for
// runs without a listener, another folder of settings pages). A program reads
// them once at its start and installs them here; the libraries ask here and
// never read the environment themselves, so a test can set them like any
// other service.
class DiagnosticOptions {
public:
    struct Values {
        bool silentAudio = false; // play nothing, even with a sound server there
        QString agentTraceFile;   // the character service appends every request here
        bool xmppTrace = false;   // the chat library writes its protocol to standard error
        QString pagesDir;         // settings pages come from here instead of the installation
    };

    virtual ~DiagnosticOptions() = default;
    virtual Values values() const = 0;

    // What the program installed; nothing set when it installed nothing.
    static Values current();
    // For a program's main(): the values it read at its start.
    static void install(const Values &values);
    // The values an environment holds (TILVANO_AUDIO=silent, TILVANO_AGENT_TRACE=<file>,
    // TILVANO_XMPP_TRACE set, TILVANO_PAGES_DIR=<folder>).
    static Values fromEnvironment(const QProcessEnvironment &environment);
};

} // namespace tilvano
