#include "Interpreter.h"

#include "ErrObject.h"
#include "Module.h"

#include <QDateTime>

#include <cstring>

namespace tilvano::script {

namespace {
constexpr int StepsBetweenChecks = 4096;
} // namespace

Interpreter::Interpreter(std::shared_ptr<Module> module, std::shared_ptr<RunControl> control, DialogService *dialogs,
                         const RunLimits &limits)
    : m_module(std::move(module))
    , m_control(std::move(control))
    , m_generation(m_control->generation)
    , m_dialogs(dialogs)
    , m_deadline(std::chrono::steady_clock::now() + limits.time)
    , m_maximumSteps(limits.steps)
    , m_maximumDepth(limits.callDepth)
    , m_memory(limits.memoryBytes)
{
    m_checkInterval = m_maximumSteps ? int(std::min<quint64>(StepsBetweenChecks, m_maximumSteps)) : StepsBetweenChecks;
    m_stepsToCheck = m_checkInterval;
}

void Interpreter::run(const Block &block)
{
    // The outermost run on this thread keeps the budget; runs nested in it
    // (from a handler the script caused) spend from the same.
    MemoryBudget::Scope budget(m_memory);
    execBlock(block);
}

Flow Interpreter::execBlock(const Block &block)
{
    for (const StmtPtr &statement : block) {
        m_statement = statement.get();
        try {
            const Flow flow = statement->exec(*this);
            if (flow != Flow::Normal)
                return flow;
        } catch (ScriptException &e) {
            if (e.line == 0) {
                e.line = statement->line;
                e.column = statement->column;
            }
            if (!m_frame->resumeNext)
                throw;
            m_module->err->record(e);
        }
    }
    return Flow::Normal;
}

void Interpreter::evaluateArguments(const ExprList &expressions, ArgumentList &out)
{
    out.reserve(qsizetype(expressions.size()));
    for (const ExprPtr &e : expressions) {
        Argument a;
        a.reference = e->reference(*this, &a.keepAlive);
        a.value = a.reference ? *a.reference : e->eval(*this);
        out.append(std::move(a));
    }
}

Value Interpreter::callProcedure(const Procedure &procedure, ArgumentList &arguments)
{
    const std::size_t count = procedure.parameters.size();
    if (std::size_t(arguments.size()) != count)
        raiseError(errc::WrongArgumentCount);
    if (m_depth >= m_maximumDepth || m_stack.isNearlyExhausted())
        raiseError(errc::OutOfStack);
    tick();
    Frame frame;
    frame.procedure = &procedure;
    frame.locals.resize(procedure.slotCount);
    frame.parameters.resize(qsizetype(count));
    for (qsizetype i = 0; i < qsizetype(count); ++i) {
        Argument &a = arguments[i];
        if (procedure.parameters[std::size_t(i)].byReference && a.reference) {
            frame.parameters[i] = a.reference;
        } else {
            frame.locals[i] = std::move(a.value);
            frame.parameters[i] = &frame.locals[i];
        }
    }
    struct Enter {
        Interpreter &in;
        Frame *saved;
        Enter(Interpreter &i, Frame *f) : in(i), saved(i.m_frame) { in.m_frame = f; ++in.m_depth; }
        ~Enter() { in.m_frame = saved; --in.m_depth; }
    } enter(*this, &frame);
    execBlock(procedure.body);
    return procedure.resultSlot >= 0 ? std::move(frame.locals[procedure.resultSlot]) : Value();
}

void Interpreter::checkProgress()
{
    if (m_control->generation != m_generation)
        throw RunAborted{false};
    m_stepsCounted += quint64(m_checkInterval);
    const bool outOfSteps = m_maximumSteps && m_stepsCounted >= m_maximumSteps;
    if (outOfSteps || std::chrono::steady_clock::now() > m_deadline)
        throw RunAborted{true, m_statement ? m_statement->line : 0, m_statement ? m_statement->column : 0};
    if (m_maximumSteps)
        m_checkInterval = int(std::min<quint64>(StepsBetweenChecks, m_maximumSteps - m_stepsCounted));
    m_stepsToCheck = m_checkInterval;
    if (MemoryBudget *budget = MemoryBudget::current())
        budget->check();
}

void Interpreter::afterForeignCall()
{
    if (m_control->generation != m_generation)
        throw RunAborted{false};
    if (auto raised = m_module->err->takeRaised())
        throw *raised;
}

double Interpreter::nextRandom(double argument)
{
    std::uint32_t &state = m_module->randomState;
    if (argument < 0) {
        float f = float(argument);
        std::uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        state = (bits + (bits >> 24)) & 0xFFFFFF;
    }
    if (argument != 0)
        state = (state * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFF;
    return double(state) / 16777216.0;
}

void Interpreter::randomize(double seed)
{
    double d = seed;
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    const std::uint32_t mixed = std::uint32_t(bits >> 32) ^ std::uint32_t(bits);
    std::uint32_t &state = m_module->randomState;
    state = (state & 0xFF) | ((((mixed >> 16) ^ mixed) & 0xFFFF) << 8);
}

} // namespace tilvano::script
