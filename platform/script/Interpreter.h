#pragma once

#include "Ast.h"
#include "MemoryBudget.h"
#include "NativeStack.h"
#include "ScriptError.h"

#include <QVarLengthArray>

#include <chrono>
#include <memory>

namespace tilvano {
class DialogService;
}

namespace tilvano::script {

struct Module;

// What one run may take before it is stopped.
struct RunLimits {
    std::chrono::milliseconds time{10000};
    // Loop turns and procedure calls; 0 for no limit (the time limit holds).
    quint64 steps = 0;
    // Script procedures may nest this deep, stack permitting.
    int callDepth = 100000;
    std::size_t memoryBytes = MemoryBudget::DefaultLimit;
};

// Shared between an engine and its runs, so that a run notices when the engine
// was reset or destroyed underneath it (by a handler the script itself caused).
struct RunControl {
    quint64 generation = 0;
    bool engineAlive = true;
    // The user has been told of a run that ran out of time; runs nested in it
    // (and the outer runs it ends) say nothing more.
    bool timeOutReported = false;
};

// Thrown past every On Error Resume Next: the run must end now (timedOut:
// it passed its time or step limit; otherwise the engine was reset).
struct RunAborted {
    bool timedOut = false;
    int line = 0;
    int column = 0;
};

using ArgumentList = QVarLengthArray<Argument, 6>;

// Executes bound code. One interpreter per ExecuteStatement; it shares the
// module (variables, procedures, objects) with the engine.
class Interpreter {
public:
    struct Frame {
        // Inline room for the usual procedure: a call then needs no heap.
        QVarLengthArray<Value, 8> locals;
        QVarLengthArray<Value *, 4> parameters;
        const Procedure *procedure = nullptr;
        bool resumeNext = false;
    };

    Interpreter(std::shared_ptr<Module> module, std::shared_ptr<RunControl> control, DialogService *dialogs,
                const RunLimits &limits);

    // Runs top-level code; errors propagate as ScriptException / RunAborted.
    void run(const Block &block);

    Flow execBlock(const Block &block);
    Value callProcedure(const Procedure &procedure, ArgumentList &arguments);
    void evaluateArguments(const ExprList &expressions, ArgumentList &out);

    Module &module() { return *m_module; }
    Frame &frame() { return *m_frame; }
    DialogService *dialogs() const { return m_dialogs; }

    // Cheap progress check for loops and calls: every few thousand steps it
    // looks at the clock, the step and memory limits and whether the engine
    // was reset.
    void tick()
    {
        if (--m_stepsToCheck <= 0)
            checkProgress();
    }
    void checkProgress();
    // After control came back from outside code (an object's method, a dialog):
    // that code may have reset the engine or raised through Err.Raise.
    void afterForeignCall();

    double nextRandom(double argument);
    void randomize(double seed);

private:
    std::shared_ptr<Module> m_module;
    std::shared_ptr<RunControl> m_control;
    quint64 m_generation;
    DialogService *m_dialogs;
    std::chrono::steady_clock::time_point m_deadline;
    quint64 m_maximumSteps;
    quint64 m_stepsCounted = 0; // steps up to the last check
    int m_stepsToCheck = 0;
    int m_checkInterval = 0;
    int m_maximumDepth;
    int m_depth = 0;
    NativeStack m_stack;
    MemoryBudget m_memory;
    const Stmt *m_statement = nullptr; // the statement running, for the time-out's position
    Frame m_topFrame;
    Frame *m_frame = &m_topFrame;
};

} // namespace tilvano::script
