#pragma once

#include "Value.h"

#include <QHash>
#include <QString>

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
    enum Kind {
        Unbound,
        Local,
        Parameter,
        Global,
        // A name the top-level code uses without declaring it: a global that
        // comes into being when it is first assigned.
        ImplicitGlobal,
        // A name a procedure uses without declaring it while the top-level code
        // uses it too: the global once that exists, else the procedure's local.
        LocalUnlessGlobal,
        Constant,
        ProcedureCall,
        BuiltinCall,
        PublishedObject,
        LateBound,
        Undefined,
    };
    Kind kind = Unbound;
    int index = 0;        // slot, global or object index
    int globalIndex = 0;  // LocalUnlessGlobal: the global it defers to
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
    QHash<QString, int> slotIndex;       // lower-case name -> slot
    QHash<QString, int> undeclaredSlots; // lower-case name -> slot of a name used without Dim
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

} // namespace tilvano::script
