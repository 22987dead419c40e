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

// Three or more operands joined by binary operators of one precedence,
// applied from left to right: "a - b + c" is (a - b) + c. The chain stays flat
// and is evaluated in a loop, so that a line of a hundred thousand "&" needs
// no more native stack (to build, run or free) than a line of two.
struct OperatorChain final : Expr {
    struct Link {
        BinaryOp op;
        ExprPtr operand;
    };
    ExprPtr first;
    std::vector<Link> rest;
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
    // The variable's storage, or null when the name is no variable. Reading
    // leaves an undeclared global unborn; writing brings it into being.
    Value *variableToRead(Interpreter &in) const;
    Value *variableToWrite(Interpreter &in) const;
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
