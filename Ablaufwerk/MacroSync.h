#pragma once

#include "Ablaufwerk/colMacros.h"

#include <memory>

namespace tilvano {

// Between the editor's loaded macros and the macro store.

// Adds every listed stored macro (slot order, up to the first gap) to the
// collection under its name, with its lines and its slot as Index, unchanged.
// A name that is already loaded (the store does not keep names unique) is
// still loaded, without collection key, so that the loaded macros stay one
// per slot and a new macro never takes an occupied slot. Returns the number
// of macros loaded.
int LoadStoredMacros(colMacros &macros);

// Files the lines of a macro that was never stored under a name and gives
// the loaded macro that now holds them, to be stored and edited on. A new
// name joins the collection with the next free slot (one behind the loaded
// macros). A name already loaded (letter case ignored) gives that macro,
// which takes the lines and keeps its slot: the caller has asked the user
// whether to overwrite it. Null, and nothing changed, for an empty name or
// when all 100 slots are taken. Nothing is written to the store.
std::shared_ptr<clsMacro> NameNewMacro(colMacros &macros, const std::shared_ptr<clsMacro> &macro,
                                       const QString &name);

// Writes a named macro to its slot and marks it unchanged. False, and
// nothing written, for a macro without name or with a slot outside 0 to 99.
bool StoreLoadedMacro(clsMacro &macro);

// Deletes a loaded macro: its slot is closed in the store, it leaves the
// collection and every loaded macro behind it moves down one slot, so that a
// later save writes each macro's own slot. A macro that is not in the
// collection (a new one never stored) touches nothing and gives false.
bool DeleteLoadedMacro(colMacros &macros, const std::shared_ptr<clsMacro> &macro);

} // namespace tilvano
