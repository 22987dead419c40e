#include "Compiler.h"

#include "Builtins.h"
#include "ErrObject.h"
#include "Lexer.h"
#include "Module.h"
#include "Parser.h"

namespace tilvano::script {

namespace {

// A name the procedure uses without declaring it. While no global of that
// name exists (one declared, or one the top-level code has assigned by then)
// it is the procedure's own local, as the language has it; the binding
// decides which each time the name is used.
void bindUndeclaredInProcedure(Module &module, Binding &b, Procedure &scope, const QString &lower)
{
    int slot = scope.undeclaredSlots.value(lower, -1);
    if (slot < 0) {
        slot = scope.addSlot(lower);
        scope.undeclaredSlots.insert(lower, slot);
    }
    b.index = slot;
    const auto global = module.globalIndex.constFind(lower);
    if (global == module.globalIndex.cend()) {
        b.kind = Binding::Local;
        return;
    }
    b.kind = Binding::LocalUnlessGlobal;
    b.globalIndex = *global;
}

void bindName(Module &module, NameExpr &name, Procedure *scope)
{
    const QString lower = name.name.toLower();
    Binding &b = name.binding;
    if (scope) {
        if (auto c = scope->constants.constFind(lower); c != scope->constants.cend()) {
            b.kind = Binding::Constant;
            b.constant = *c;
            return;
        }
        const bool recursiveCall = name.hasArguments && scope->isFunction && lower == scope->name.toLower();
        if (scope->undeclaredSlots.contains(lower) && !recursiveCall) {
            bindUndeclaredInProcedure(module, b, *scope, lower);
            return;
        }
        if (auto s = scope->slotIndex.constFind(lower); s != scope->slotIndex.cend() && !recursiveCall) {
            b.kind = *s < int(scope->parameters.size()) ? Binding::Parameter : Binding::Local;
            b.index = *s;
            return;
        }
    }
    if (auto c = module.constants.constFind(lower); c != module.constants.cend()) {
        b.kind = Binding::Constant;
        b.constant = *c;
        return;
    }
    if (auto g = module.globalIndex.constFind(lower); g != module.globalIndex.cend()) {
        if (scope && !module.globalExists[std::size_t(*g)]) {
            bindUndeclaredInProcedure(module, b, *scope, lower);
            return;
        }
        b.kind = module.globalExists[std::size_t(*g)] ? Binding::Global : Binding::ImplicitGlobal;
        b.index = *g;
        return;
    }
    if (auto p = module.procedures.constFind(lower); p != module.procedures.cend()) {
        b.kind = Binding::ProcedureCall;
        b.procedure = p->get();
        return;
    }
    if (auto o = module.objectIndex.constFind(lower); o != module.objectIndex.cend()) {
        b.kind = Binding::PublishedObject;
        b.index = *o;
        return;
    }
    if (const Builtin *builtin = findBuiltin(lower)) {
        b.kind = Binding::BuiltinCall;
        b.builtin = builtin;
        return;
    }
    Value constant;
    if (findBuiltinConstant(lower, &constant)) {
        b.kind = Binding::Constant;
        b.constant = constant;
        return;
    }
    if (name.statementCall || name.hasArguments) {
        b.kind = Binding::LateBound; // perhaps a procedure a later text defines
        return;
    }
    if (module.optionExplicit) {
        b.kind = Binding::Undefined;
        return;
    }
    // An undeclared name declares itself: a local inside a procedure, else a
    // global that exists once it is assigned.
    if (scope) {
        bindUndeclaredInProcedure(module, b, *scope, lower);
    } else {
        b.kind = Binding::ImplicitGlobal;
        b.index = module.addGlobal(lower, false);
    }
}

} // namespace

std::size_t compileInto(Module &module, const QString &text)
{
    Lexer lexer(text);
    Parser parser(lexer.tokenize());
    ParsedChunk chunk = parser.parse();

    if (chunk.optionExplicit)
        module.optionExplicit = true;
    for (const QString &name : std::as_const(chunk.globals)) {
        if (auto known = module.globalIndex.constFind(name); known != module.globalIndex.cend())
            module.createGlobal(*known);
        else
            module.addGlobal(name, true);
    }
    for (auto it = chunk.constants.cbegin(); it != chunk.constants.cend(); ++it)
        module.constants.insert(it.key(), it.value());
    for (const auto &procedure : chunk.procedures) {
        module.procedures.insert(procedure->name.toLower(), procedure);
        module.allProcedures.push_back(procedure);
    }
    // Top-level names first: the globals they declare are then visible to the
    // procedures, whatever the order of the text.
    for (auto &[name, scope] : chunk.names)
        if (!scope)
            bindName(module, *name, nullptr);
    for (auto &[name, scope] : chunk.names)
        if (scope)
            bindName(module, *name, scope);
    module.chunks.push_back(std::move(chunk.statements));
    return module.chunks.size() - 1;
}

} // namespace tilvano::script
