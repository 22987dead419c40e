#include "Statements.h"

#include "ErrObject.h"
#include "Interpreter.h"
#include "Module.h"
#include "Operators.h"

namespace tilvano::script {

namespace {

// A condition's truth: Null counts as false, as in the language.
bool isTrue(const Value &v)
{
    return !v.isNull() && v.toBool();
}

std::vector<int> evaluateBounds(Interpreter &in, const ExprList &bounds)
{
    std::vector<int> upper;
    upper.reserve(bounds.size());
    for (const ExprPtr &e : bounds)
        upper.push_back(e->eval(in).toLong());
    return upper;
}

Value *variableOf(Interpreter &in, const NameExpr &name)
{
    Value *v = name.variableToWrite(in);
    if (!v) {
        if (name.binding.kind == Binding::Undefined)
            raiseError(errc::VariableUndefined);
        raiseError(errc::IllegalAssignment);
    }
    return v;
}

// True when evaluating e runs no script procedure and no object member, so
// it cannot change a variable behind the caller's back.
bool callsNoScriptCode(const Expr &e)
{
    if (dynamic_cast<const LiteralExpr *>(&e))
        return true;
    if (auto *p = dynamic_cast<const ParenExpr *>(&e))
        return callsNoScriptCode(*p->inner);
    if (auto *u = dynamic_cast<const UnaryExpr *>(&e))
        return callsNoScriptCode(*u->operand);
    if (auto *b = dynamic_cast<const BinaryExpr *>(&e))
        return callsNoScriptCode(*b->left) && callsNoScriptCode(*b->right);
    if (auto *chain = dynamic_cast<const OperatorChain *>(&e)) {
        if (!callsNoScriptCode(*chain->first))
            return false;
        for (const OperatorChain::Link &link : chain->rest)
            if (!callsNoScriptCode(*link.operand))
                return false;
        return true;
    }
    if (auto *n = dynamic_cast<const NameExpr *>(&e)) {
        switch (n->binding.kind) {
        case Binding::Local:
        case Binding::Parameter:
        case Binding::Global:
        case Binding::ImplicitGlobal:
        case Binding::LocalUnlessGlobal:
        case Binding::Constant:
        case Binding::BuiltinCall:
            for (const ExprPtr &argument : n->arguments)
                if (!callsNoScriptCode(*argument))
                    return false;
            return true;
        default: return false;
        }
    }
    return false;
}

} // namespace

Flow CallStmt::exec(Interpreter &in) const
{
    call->eval(in);
    return Flow::Normal;
}

bool AssignStmt::appendsInPlace() const
{
    if (m_appendable < 0) {
        m_appendable = 1;
        for (const Expr *part : appendedParts)
            m_appendable = m_appendable && callsNoScriptCode(*part);
    }
    return m_appendable;
}

void AssignStmt::appendParts(Interpreter &in) const
{
    // Every part is evaluated before s changes, as "s & a & b" would.
    QVarLengthArray<Value, 4> parts;
    for (const Expr *part : appendedParts)
        parts.append(part->eval(in));
    // Fetched after evaluating: a nested run may have changed the variable.
    Value *v = target->reference(in, nullptr);
    if (!v || !v->isString()) {
        Value result = target->eval(in);
        for (const Value &part : parts)
            result = applyBinary(BinaryOp::Concat, result, part);
        target->assign(in, std::move(result), false);
        return;
    }
    QVarLengthArray<QString, 4> texts;
    qsizetype added = 0;
    for (const Value &part : parts) {
        texts.append(part.primitive().toStringOrEmpty());
        added += texts.back().size();
    }
    QString &s = v->stringRef();
    reserveAppend(s.size(), added);
    for (const QString &text : texts)
        s.append(text);
}

// "s = s & x", the string-building loop's line, without the lists the
// general case keeps.
void AssignStmt::appendOnePart(Interpreter &in) const
{
    const Value part = appendedParts.front()->eval(in);
    // Fetched after evaluating: a nested run may have changed the variable.
    Value *v = target->reference(in, nullptr);
    if (!v || !v->isString()) {
        target->assign(in, applyBinary(BinaryOp::Concat, target->eval(in), part), false);
        return;
    }
    QString &s = v->stringRef();
    if (part.isString()) {
        reserveAppend(s.size(), part.asString().size());
        s.append(part.asString());
        return;
    }
    const QString text = part.primitive().toStringOrEmpty();
    reserveAppend(s.size(), text.size());
    s.append(text);
}

Flow AssignStmt::exec(Interpreter &in) const
{
    if (!appendedParts.empty() && appendsInPlace()) {
        if (appendedParts.size() == 1)
            appendOnePart(in);
        else
            appendParts(in);
        return Flow::Normal;
    }
    target->assign(in, value->eval(in), isSet);
    return Flow::Normal;
}

Flow DimStmt::exec(Interpreter &in) const
{
    for (const DimEntry &entry : entries) {
        if (!entry.isArray)
            continue;
        Value *v = variableOf(in, *entry.name);
        if (v->isArray() && v->asArray()->fixedSize)
            continue; // declared once; running the Dim again keeps the contents
        ArrayRef array = ScriptArray::create(evaluateBounds(in, entry.bounds));
        array->fixedSize = !entry.bounds.empty();
        *v = Value::array(std::move(array));
    }
    return Flow::Normal;
}

Flow ReDimStmt::exec(Interpreter &in) const
{
    for (const DimEntry &entry : entries) {
        Value *v = variableOf(in, *entry.name);
        const std::vector<int> bounds = evaluateBounds(in, entry.bounds);
        if (v->isArray() && v->asArray()->fixedSize)
            raiseError(errc::ArrayFixed);
        if (preserve && v->isArray() && !v->asArray()->upperBounds.empty()) {
            detachArray(*v);
            v->asArray()->resizePreserving(bounds);
        } else {
            *v = Value::array(ScriptArray::create(bounds));
        }
    }
    return Flow::Normal;
}

Flow EraseStmt::exec(Interpreter &in) const
{
    auto *name = static_cast<const NameExpr *>(target.get());
    Value *v = variableOf(in, *name);
    if (!v->isArray())
        raiseError(errc::TypeMismatch);
    if (v->asArray()->fixedSize) {
        detachArray(*v);
        for (Value &item : v->asArray()->items)
            item = Value();
    } else {
        *v = Value::array(std::make_shared<ScriptArray>());
    }
    return Flow::Normal;
}

Flow IfStmt::exec(Interpreter &in) const
{
    for (const auto &[condition, block] : branches) {
        bool met;
        try {
            met = isTrue(condition->eval(in));
        } catch (const ScriptException &e) {
            if (!in.frame().resumeNext)
                throw;
            in.module().err->record(e);
            met = true;
        }
        if (met)
            return in.execBlock(block);
    }
    return in.execBlock(elseBlock);
}

Flow SelectStmt::exec(Interpreter &in) const
{
    const Value value = subject->eval(in);
    for (const auto &[candidates, block] : cases)
        for (const ExprPtr &candidate : candidates)
            if (valuesEqual(value, candidate->eval(in)))
                return in.execBlock(block);
    return hasElse ? in.execBlock(elseBlock) : Flow::Normal;
}

Flow ForStmt::exec(Interpreter &in) const
{
    Value *v = counter->reference(in, nullptr);
    if (!v) {
        counter->eval(in); // raises "Variable is undefined" where that is the cause
        raiseError(errc::IllegalAssignment);
    }
    const Value start = from->eval(in).primitive();
    const Value end = to->eval(in).primitive();
    const Value increment = step ? step->eval(in).primitive() : Value::integer(1);
    const double endValue = end.toDouble();
    const double stepValue = increment.toDouble();
    *v = applyBinary(BinaryOp::Add, start, Value::integer(0));
    for (;;) {
        const Value &current = *v;
        const double c = current.isIntegral() ? double(current.asInt()) : current.toDouble();
        if (stepValue >= 0 ? c > endValue : c < endValue)
            break;
        const Flow flow = in.execBlock(body);
        if (flow == Flow::ExitFor)
            break;
        if (flow != Flow::Normal)
            return flow;
        in.tick();
        *v = applyBinary(BinaryOp::Add, *v, increment);
    }
    return Flow::Normal;
}

Flow ForEachStmt::exec(Interpreter &in) const
{
    const Value collectionValue = collection->eval(in);
    if (!collectionValue.isArray())
        raiseError(errc::NotACollection);
    const ArrayRef snapshot = collectionValue.asArray();
    for (const Value &item : snapshot->items) {
        element->assign(in, item, item.isObject());
        const Flow flow = in.execBlock(body);
        if (flow == Flow::ExitFor)
            break;
        if (flow != Flow::Normal)
            return flow;
        in.tick();
    }
    return Flow::Normal;
}

Flow DoStmt::exec(Interpreter &in) const
{
    const auto holds = [&] {
        const bool b = isTrue(condition->eval(in));
        return until ? !b : b;
    };
    for (;;) {
        if (condition && conditionFirst && !holds())
            break;
        const Flow flow = in.execBlock(body);
        if (flow == Flow::ExitDo)
            break;
        if (flow != Flow::Normal)
            return flow;
        in.tick();
        if (condition && !conditionFirst && !holds())
            break;
    }
    return Flow::Normal;
}

Flow OnErrorStmt::exec(Interpreter &in) const
{
    in.frame().resumeNext = resumeNext;
    in.module().err->Clear();
    return Flow::Normal;
}

} // namespace tilvano::script
