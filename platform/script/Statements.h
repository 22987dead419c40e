#pragma once

#include "Expressions.h"

namespace tilvano::script {

// A call statement, or any expression evaluated for its effect.
struct CallStmt final : Stmt {
    ExprPtr call;
    Flow exec(Interpreter &in) const override;
};

struct AssignStmt final : Stmt {
    ExprPtr target;
    ExprPtr value;
    bool isSet = false;
    // "s = s & a & b": the parts appended to s in place, which keeps
    // string-building loops linear, as long as the parts call nothing of the
    // script's that could change s first.
    std::vector<const Expr *> appendedParts;
    Flow exec(Interpreter &in) const override;

private:
    bool appendsInPlace() const;
    void appendOnePart(Interpreter &in) const;
    void appendParts(Interpreter &in) const;
    mutable int m_appendable = -1; // settled on first run, once names are bound
};

struct DimEntry {
    std::unique_ptr<NameExpr> name;
    ExprList bounds;      // empty: a scalar (or a dynamic array with isArray)
    bool isArray = false; // "Dim a()"
};

struct DimStmt final : Stmt {
    std::vector<DimEntry> entries;
    Flow exec(Interpreter &in) const override;
};

struct ReDimStmt final : Stmt {
    bool preserve = false;
    std::vector<DimEntry> entries;
    Flow exec(Interpreter &in) const override;
};

struct EraseStmt final : Stmt {
    ExprPtr target;
    Flow exec(Interpreter &in) const override;
};

// Under On Error Resume Next a condition that fails counts as met: running
// resumes with the next statement, which is the first of its branch.
struct IfStmt final : Stmt {
    std::vector<std::pair<ExprPtr, Block>> branches;
    Block elseBlock;
    Flow exec(Interpreter &in) const override;
};

struct SelectStmt final : Stmt {
    ExprPtr subject;
    std::vector<std::pair<ExprList, Block>> cases;
    bool hasElse = false;
    Block elseBlock;
    Flow exec(Interpreter &in) const override;
};

struct ForStmt final : Stmt {
    ExprPtr counter;
    ExprPtr from, to, step;
    Block body;
    Flow exec(Interpreter &in) const override;
};

struct ForEachStmt final : Stmt {
    ExprPtr element;
    ExprPtr collection;
    Block body;
    Flow exec(Interpreter &in) const override;
};

struct DoStmt final : Stmt {
    ExprPtr condition;              // may be null: loop until Exit Do
    bool conditionFirst = true;
    bool until = false;             // loop while the condition is false
    Block body;
    Flow exec(Interpreter &in) const override;
};

struct ExitStmt final : Stmt {
    Flow flow;
    Flow exec(Interpreter &) const override { return flow; }
};

struct OnErrorStmt final : Stmt {
    bool resumeNext = false;
    Flow exec(Interpreter &in) const override;
};

} // namespace tilvano::script
