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

    // A run past this limit stops with an error (default 10 seconds).
    void setTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }
    std::chrono::milliseconds timeLimit() const { return m_timeLimit; }
    // Script procedures may nest this deep before "Out of stack space".
    void setMaximumCallDepth(int depth) { m_maximumDepth = depth; }

    // Ends the running script after the current call returns (e.g. a host's
    // Quit). Code and variables stay.
    void stop();
    bool isRunning() const { return m_running > 0; }

private:
    std::shared_ptr<Module> m_module;
    std::shared_ptr<RunControl> m_control;
    DialogService *m_dialogs = nullptr;
    std::chrono::milliseconds m_timeLimit{10000};
    int m_maximumDepth = 1000;
    int m_running = 0;
    ScriptError m_lastError;
};

} // namespace tilvano::script
