#include "Compiler.h"

#include "Builtins.h"
#include "ErrObject.h"
#include "Lexer.h"
#include "Parser.h"

namespace tilvano::script {

Module::Module() : err(std::make_unique<ErrObject>()) {}
Module::~Module() = default;

int Module::addGlobal(const QString &lowerName)
{
    const int index = int(globals.size());
    globals.emplace_back();
    globalIndex.insert(lowerName, index);
    return index;
}

namespace {

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
        b.kind = Binding::Global;
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
    // An undeclared name declares itself: a local inside a procedure, else a global.
    if (scope) {
        b.kind = Binding::Local;
        b.index = scope->addSlot(lower);
    } else {
        b.kind = Binding::Global;
        b.index = module.addGlobal(lower);
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
    for (const QString &name : std::as_const(chunk.globals))
        if (!module.globalIndex.contains(name))
            module.addGlobal(name);
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
