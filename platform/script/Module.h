#pragma once

#include "Ast.h"

#include <QHash>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace tilvano::script {

class ErrObject;
struct MemberTable;

// Everything a script defines and sees that outlives one ExecuteStatement:
// global variables, constants, procedures, published objects, Err. A run holds
// its own reference, so Reset in the middle of a run frees nothing it uses.
struct Module {
    Module();
    ~Module();

    std::deque<Value> globals;           // a deque: ByRef references into it survive growth
    // Whether each global exists yet. A declared one (Dim, Public, Private)
    // exists from the start; one the top-level code merely assigns comes into
    // being with that assignment. Until then a procedure that assigns the same
    // name gets a local of its own, as the language has it.
    std::vector<char> globalExists;
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

    int addGlobal(const QString &lowerName, bool declared);
    // Brings an undeclared global into being: the top-level code assigns it.
    void createGlobal(int index) { globalExists[std::size_t(index)] = 1; }
};

} // namespace tilvano::script
