#pragma once

#include "Ast.h"

namespace tilvano::script {

struct LiteralExpr final : Expr {
    Value value;
    Value eval(Interpreter &) const override { return value; }
};

// "(x)": the value of x, never its variable, so a ByRef parameter gets a copy.
struct ParenExpr final : Expr {
    ExprPtr inner;
    Value eval(Interpreter &in) const override { return inner->eval(in); }
};

enum class UnaryOp { Negate, Not };
struct UnaryExpr final : Expr {
    UnaryOp op;
    ExprPtr operand;
    Value eval(Interpreter &in) const override;
};

enum class BinaryOp { Add, Subtract, Multiply, Divide, IntDivide, Modulo, Power, Concat,
                      Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, Is,
                      And, Or, Xor, Eqv, Imp };
struct BinaryExpr final : Expr {
    BinaryOp op;
    ExprPtr left;
    ExprPtr right;
    Value eval(Interpreter &in) const override;
};

// A bare name, or a name with an argument list: variable, array element,
// procedure, built-in, constant or published object, settled by the binder.
struct NameExpr final : Expr {
    QString name;
    Binding binding;
    bool hasArguments = false;   // "name(...)"
    bool statementCall = false;  // the callee of a call statement
    ExprList arguments;

    Value eval(Interpreter &in) const override;
    Value *reference(Interpreter &in, ArrayRef *keepAlive) const override;
    void assign(Interpreter &in, Value value, bool isSet) const override;
    Value *variable(Interpreter &in) const; // the variable's storage, or null
};

// "object.member" with or without arguments.
struct MemberExpr final : Expr {
    ExprPtr object;
    QString member;
    QString memberLower; // looked up without regard to case
    bool hasArguments = false;
    ExprList arguments;
    Value eval(Interpreter &in) const override;
    void assign(Interpreter &in, Value value, bool isSet) const override;
};

// "(...)" applied to something that is not a plain name, e.g. Split(s)(0).
struct IndexExpr final : Expr {
    ExprPtr target;
    ExprList arguments;
    Value eval(Interpreter &in) const override;
};

} // namespace tilvano::script
