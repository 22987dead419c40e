#pragma once

#include "Value.h"

#include <QHash>
#include <QString>

#include <deque>
#include <memory>
#include <vector>

namespace tilvano::script {

class Interpreter;
struct Procedure;
struct Builtin;

// How a block ended: normally, or leaving a loop or procedure early.
enum class Flow { Normal, ExitDo, ExitFor, ExitProcedure };

// A call argument: its value, and the caller's variable when the argument was
// one (so that ByRef parameters can write back).
struct Argument {
    Value value;
    Value *reference = nullptr;
    ArrayRef keepAlive;
};

struct Expr {
    int line = 0;
    int column = 0;
    virtual ~Expr() = default;
    virtual Value eval(Interpreter &in) const = 0;
    // The storage behind the expression when it names a variable, else null.
    // For an array element, keepAlive receives the array, so the element stays
    // valid even if the variable is given another array meanwhile.
    virtual Value *reference(Interpreter &, ArrayRef *keepAlive) const { (void)keepAlive; return nullptr; }
    // Stores into the expression (assignment); raises where that is illegal.
    virtual void assign(Interpreter &in, Value value, bool isSet) const;
};
using ExprPtr = std::unique_ptr<Expr>;
using ExprList = std::vector<ExprPtr>;

struct Stmt {
    int line = 0;
    int column = 0;
    virtual ~Stmt() = default;
    virtual Flow exec(Interpreter &in) const = 0;
};
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

// What a name refers to, settled once after the whole text is parsed.
struct Binding {
    enum Kind { Unbound, Local, Parameter, Global, Constant, ProcedureCall, BuiltinCall, PublishedObject, LateBound, Undefined };
    Kind kind = Unbound;
    int index = 0;
    const Procedure *procedure = nullptr;
    const Builtin *builtin = nullptr;
    Value constant;
};

struct Parameter {
    QString name;
    bool byReference = true; // the language's default
};

struct Procedure {
    QString name;
    bool isFunction = false;
    int line = 0;
    std::vector<Parameter> parameters;   // slotIndex 0..n-1
    QHash<QString, int> slotIndex;           // lower-case name -> slot
    QHash<QString, Value> constants;     // lower-case name -> value
    int slotCount = 0;
    int resultSlot = -1;
    Block body;

    int addSlot(const QString &lowerName)
    {
        const int slot = slotCount++;
        slotIndex.insert(lowerName, slot);
        return slot;
    }
};

class ErrObject;
struct MemberTable;

// Everything a script defines and sees that outlives one ExecuteStatement:
// global variables, constants, procedures, published objects, Err. A run holds
// its own reference, so Reset in the middle of a run frees nothing it uses.
struct Module {
    Module();
    ~Module();

    std::deque<Value> globals;           // a deque: ByRef references into it survive growth
    QHash<QString, int> globalIndex;
    QHash<QString, Value> constants;
    QHash<QString, std::shared_ptr<Procedure>> procedures;
    std::vector<std::shared_ptr<Procedure>> allProcedures; // keeps replaced ones alive for old bindings
    std::vector<QPointer<QObject>> objects;
    QHash<QString, int> objectIndex;
    std::deque<Block> chunks;           // top-level code of every text run so far (stable references)
    bool optionExplicit = false;
    std::uint32_t randomState = 0x50000; // the language's documented starting seed
    std::unique_ptr<ErrObject> err;
    QHash<const QMetaObject *, std::shared_ptr<MemberTable>> memberTables; // published classes, by case-folded name

    int addGlobal(const QString &lowerName);
};

} // namespace tilvano::script
