#pragma once

#include "ScriptError.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

namespace tilvano {
class DialogService;
}

namespace tilvano::script {

struct Module;
struct RunControl;
struct RunLimits;

// The script host: compiles and runs VBScript text against published QObjects.
//
// reset() drops all code, variables and published objects. addObject() makes
// a QObject callable by name; its Q_INVOKABLE methods, slots and Q_PROPERTYs
// are found without regard to case, and non-const reference parameters write
// back into the caller's variables. executeStatement() compiles the whole text
// first (a syntax error anywhere runs nothing) and then runs it; what it
// defines stays for later texts until reset().
//
// The engine is re-entrant: a published object may start another run (even
// reset the engine, or delete it) from inside a call. A reset or deletion ends
// the outer run after that call returns, without error.
class ScriptEngine {
public:
    ScriptEngine();
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine &) = delete;
    ScriptEngine &operator=(const ScriptEngine &) = delete;

    void reset();
    // Publishes object under name (replacing an earlier object of that name).
    // The engine does not own it; a deleted object reads as "Object required".
    void addObject(const QString &name, QObject *object);
    // True when the text ran to its end (or was stopped by reset or stop());
    // false with lastError() filled for a compilation or run-time error.
    bool executeStatement(const QString &text);
    const ScriptError &lastError() const { return m_lastError; }

    // MsgBox and InputBox go here; without one they raise an error.
    void setDialogService(DialogService *dialogs) { m_dialogs = dialogs; }
    DialogService *dialogService() const { return m_dialogs; }

    // A run past this limit stops with an error (default 10 seconds). With a
    // dialog service the user is told once, in German, that the macro was
    // stopped: the companion seemed frozen meanwhile.
    void setTimeLimit(std::chrono::milliseconds limit);
    std::chrono::milliseconds timeLimit() const;
    // A run past this many loop turns and procedure calls stops as if out of
    // time (0, the default: no limit). For running untrusted text briefly.
    void setStepLimit(quint64 steps);
    // What a run may allocate beyond what the process held when it began;
    // past it the run fails with "Out of memory" (default 256 MB).
    void setMemoryLimit(std::size_t bytes);
    // Script procedures may nest this deep before "Out of stack space", if
    // the native stack does not end them first.
    void setMaximumCallDepth(int depth);

    // Ends the running script after the current call returns (e.g. a host's
    // Quit). Code and variables stay.
    void stop();
    bool isRunning() const { return m_running > 0; }

private:
    void reportTimeOut(DialogService &dialogs) const;

    std::shared_ptr<Module> m_module;
    std::shared_ptr<RunControl> m_control;
    std::unique_ptr<RunLimits> m_limits;
    DialogService *m_dialogs = nullptr;
    int m_running = 0;
    ScriptError m_lastError;
};

} // namespace tilvano::script
