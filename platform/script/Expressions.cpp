#include "Expressions.h"

#include "Builtins.h"
#include "Interpreter.h"
#include "Module.h"
#include "ObjectBridge.h"
#include "Operators.h"

namespace tilvano::script {

namespace {

Value indexInto(Interpreter &in, const Value &target, const ExprList &arguments)
{
    if (target.isArray()) {
        QVarLengthArray<Value, 4> indexes;
        for (const ExprPtr &e : arguments)
            indexes.append(e->eval(in));
        const ScriptArray &array = *target.asArray();
        return array.items[array.offsetOf(indexes.data(), std::size_t(indexes.size()))];
    }
    if (target.isObject()) {
        if (!target.asObject())
            raiseError(errc::ObjectNotSet);
        raiseError(errc::MemberNotSupported); // published objects have no default method
    }
    raiseError(errc::TypeMismatch);
}

void store(Value &target, Value value, bool isSet)
{
    if (isSet) {
        if (!value.isObject())
            raiseError(errc::ObjectRequired);
    } else if (value.isObject()) {
        value = value.primitive();
    }
    target = std::move(value);
}

} // namespace

void Expr::assign(Interpreter &, Value, bool) const
{
    raiseError(errc::IllegalAssignment);
}

Value UnaryExpr::eval(Interpreter &in) const
{
    const Value v = operand->eval(in);
    return op == UnaryOp::Negate ? negate(v) : logicalNot(v);
}

Value BinaryExpr::eval(Interpreter &in) const
{
    const Value l = left->eval(in);
    const Value r = right->eval(in);
    return applyBinary(op, l, r);
}

Value OperatorChain::eval(Interpreter &in) const
{
    Value result = first->eval(in);
    for (const Link &link : rest) {
        const Value next = link.operand->eval(in);
        if (link.op == BinaryOp::Concat && result.isString()) {
            // The text so far is this chain's own: appending to it keeps
            // "a & b & c & ..." linear instead of copying it for every part.
            const QString part = next.primitive().toStringOrEmpty();
            reserveAppend(result.asString().size(), part.size());
            result.stringRef().append(part);
            continue;
        }
        result = applyBinary(link.op, result, next);
    }
    return result;
}

Value *NameExpr::variableToRead(Interpreter &in) const
{
    switch (binding.kind) {
    case Binding::Local: return &in.frame().locals[binding.index];
    case Binding::Parameter: return in.frame().parameters[binding.index];
    case Binding::Global:
    case Binding::ImplicitGlobal: return &in.module().globals[std::size_t(binding.index)];
    case Binding::LocalUnlessGlobal: {
        Module &module = in.module();
        if (module.globalExists[std::size_t(binding.globalIndex)])
            return &module.globals[std::size_t(binding.globalIndex)];
        return &in.frame().locals[binding.index];
    }
    default: return nullptr;
    }
}

Value *NameExpr::variableToWrite(Interpreter &in) const
{
    if (binding.kind == Binding::ImplicitGlobal)
        in.module().createGlobal(binding.index);
    return variableToRead(in);
}

Value *NameExpr::reference(Interpreter &in, ArrayRef *keepAlive) const
{
    Value *v = variableToWrite(in);
    if (!v || !hasArguments || arguments.empty())
        return v;
    if (!v->isArray())
        return nullptr;
    QVarLengthArray<Value, 4> indexes;
    for (const ExprPtr &e : arguments)
        indexes.append(e->eval(in));
    if (!keepAlive)
        return nullptr;
    detachArray(*v);
    *keepAlive = v->asArray();
    ScriptArray &array = **keepAlive;
    return &array.items[array.offsetOf(indexes.data(), std::size_t(indexes.size()))];
}

Value NameExpr::eval(Interpreter &in) const
{
    switch (binding.kind) {
    case Binding::Local:
    case Binding::Parameter:
    case Binding::Global:
    case Binding::ImplicitGlobal:
    case Binding::LocalUnlessGlobal: {
        const Value &v = *variableToRead(in);
        if (!hasArguments || (arguments.empty() && !v.isArray()))
            return v;
        if (arguments.empty())
            return v;
        return indexInto(in, v, arguments);
    }
    case Binding::Constant:
        if (!arguments.empty())
            raiseError(errc::TypeMismatch);
        return binding.constant;
    case Binding::ProcedureCall: {
        ArgumentList args;
        in.evaluateArguments(arguments, args);
        return in.callProcedure(*binding.procedure, args);
    }
    case Binding::BuiltinCall: {
        const Builtin &b = *binding.builtin;
        const int count = int(arguments.size());
        if (count < b.minimumArguments || count > b.maximumArguments)
            raiseError(errc::WrongArgumentCount);
        QVarLengthArray<Value, 6> values;
        for (const ExprPtr &e : arguments)
            values.append(e->eval(in));
        return b.function(in, values.data(), count);
    }
    case Binding::PublishedObject: {
        QObject *object = in.module().objects[std::size_t(binding.index)].data();
        if (!object)
            raiseError(errc::ObjectRequired);
        if (!arguments.empty())
            raiseError(errc::MemberNotSupported);
        return Value::object(object);
    }
    case Binding::LateBound: {
        // A procedure that a later text defined, or nothing at all.
        const auto found = in.module().procedures.constFind(name.toLower());
        if (found == in.module().procedures.cend())
            raiseError(statementCall ? errc::SubNotDefined : errc::TypeMismatch);
        ArgumentList args;
        in.evaluateArguments(arguments, args);
        return in.callProcedure(**found, args);
    }
    case Binding::Undefined:
    case Binding::Unbound: break;
    }
    raiseError(errc::VariableUndefined);
}

void NameExpr::assign(Interpreter &in, Value value, bool isSet) const
{
    Value *v = variableToWrite(in);
    if (!v) {
        if (binding.kind == Binding::Undefined)
            raiseError(errc::VariableUndefined);
        raiseError(errc::IllegalAssignment);
    }
    if (!hasArguments || arguments.empty()) {
        store(*v, std::move(value), isSet);
        return;
    }
    if (!v->isArray())
        raiseError(errc::TypeMismatch);
    QVarLengthArray<Value, 4> indexes;
    for (const ExprPtr &e : arguments)
        indexes.append(e->eval(in));
    detachArray(*v);
    ScriptArray &array = *v->asArray();
    store(array.items[array.offsetOf(indexes.data(), std::size_t(indexes.size()))], std::move(value), isSet);
}

static QObject *targetObject(Interpreter &in, const Expr &expression)
{
    const Value target = expression.eval(in);
    if (!target.isObject())
        raiseError(errc::ObjectRequired);
    QObject *object = target.asObject();
    if (!object)
        raiseError(errc::ObjectNotSet);
    return object;
}

Value MemberExpr::eval(Interpreter &in) const
{
    QObject *o = targetObject(in, *object);
    QPointer<QObject> guard(o);
    ArgumentList args;
    in.evaluateArguments(arguments, args);
    if (!guard)
        raiseError(errc::ObjectRequired); // an argument's evaluation destroyed it
    return ObjectBridge::get(in, o, memberLower, hasArguments, args);
}

void MemberExpr::assign(Interpreter &in, Value value, bool isSet) const
{
    QObject *o = targetObject(in, *object);
    if (!arguments.empty())
        raiseError(errc::MemberNotSupported);
    if (isSet && !value.isObject())
        raiseError(errc::ObjectRequired);
    ObjectBridge::set(in, o, memberLower, value);
}

Value IndexExpr::eval(Interpreter &in) const
{
    return indexInto(in, target->eval(in), arguments);
}

} // namespace tilvano::script
