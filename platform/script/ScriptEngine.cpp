#include "ScriptEngine.h"

#include "Compiler.h"
#include "ErrObject.h"
#include "Interpreter.h"
#include "Module.h"
#include "system/DialogService.h"

#include <QLocale>

#include <new>

namespace tilvano::script {

ScriptEngine::ScriptEngine()
    : m_module(std::make_shared<Module>()), m_control(std::make_shared<RunControl>()), m_limits(std::make_unique<RunLimits>())
{
}

ScriptEngine::~ScriptEngine()
{
    m_control->engineAlive = false;
    ++m_control->generation;
}

void ScriptEngine::setTimeLimit(std::chrono::milliseconds limit) { m_limits->time = limit; }
std::chrono::milliseconds ScriptEngine::timeLimit() const { return m_limits->time; }
void ScriptEngine::setStepLimit(quint64 steps) { m_limits->steps = steps; }
void ScriptEngine::setMemoryLimit(std::size_t bytes) { m_limits->memoryBytes = bytes; }
void ScriptEngine::setMaximumCallDepth(int depth) { m_limits->callDepth = depth; }

void ScriptEngine::reset()
{
    ++m_control->generation;
    m_module = std::make_shared<Module>();
}

void ScriptEngine::stop()
{
    ++m_control->generation;
}

void ScriptEngine::addObject(const QString &name, QObject *object)
{
    const QString lower = name.toLower();
    if (auto found = m_module->objectIndex.constFind(lower); found != m_module->objectIndex.cend()) {
        m_module->objects[std::size_t(*found)] = object;
        return;
    }
    m_module->objectIndex.insert(lower, int(m_module->objects.size()));
    m_module->objects.emplace_back(object);
}

static ScriptError toError(const ScriptException &e)
{
    return ScriptError{e.number, e.source, e.description, e.line, e.column};
}

void ScriptEngine::reportTimeOut(DialogService &dialogs) const
{
    const double seconds = double(m_limits->time.count()) / 1000.0;
    const QString duration = seconds == 1.0 ? QStringLiteral("1 Sekunde")
                                            : QLocale(QLocale::German).toString(seconds, 'g', 6) + QStringLiteral(" Sekunden");
    dialogs.messageBox(QStringLiteral("Das Makro lief länger als %1 und wurde deshalb abgebrochen.").arg(duration),
                       QStringLiteral("Makro abgebrochen"), DialogService::OkOnly | DialogService::Exclamation);
}

bool ScriptEngine::executeStatement(const QString &text)
{
    // Everything the run needs is held here, not through `this`: a handler the
    // script triggers may reset or delete the engine.
    const std::shared_ptr<Module> module = m_module;
    const std::shared_ptr<RunControl> control = m_control;
    if (m_running == 0)
        control->timeOutReported = false;
    ScriptError error;
    bool timedOut = false;
    ++m_running;
    try {
        const std::size_t chunk = compileInto(*module, text);
        Interpreter interpreter(module, control, m_dialogs, *m_limits);
        interpreter.run(module->chunks[chunk]);
    } catch (const ScriptException &e) {
        error = toError(e);
    } catch (const RunAborted &aborted) {
        if (aborted.timedOut) {
            error = ScriptError{errc::TimedOut, runtimeErrorSource(), errorText(errc::TimedOut), aborted.line, aborted.column};
            timedOut = true;
        }
    } catch (const std::bad_alloc &) {
        error = ScriptError{errc::OutOfMemory, runtimeErrorSource(), errorText(errc::OutOfMemory), 0, 0};
    } catch (const std::exception &) {
        // A fault of the engine itself: reported, never allowed to end the program.
        error = ScriptError{51, runtimeErrorSource(), errorText(51), 0, 0};
    }
    if (!control->engineAlive)
        return !error.isError();
    --m_running;
    m_lastError = error;
    if (timedOut && m_dialogs && !control->timeOutReported) {
        control->timeOutReported = true;
        reportTimeOut(*m_dialogs);
    }
    return !error.isError();
}

} // namespace tilvano::script
