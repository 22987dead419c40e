#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tilvano {

// The stored macros: section "Macros" of the settings store, one numbered
// slot per macro holding its name and its script text. Slots are kept dense
// from slot 0 upwards; a blank slot is written empty, never removed.
inline QString macrosSection() { return QStringLiteral("Macros"); }

// At most this many macros exist (slots 0 to 99).
inline constexpr int maximumMacroCount = 100;
// One slot beyond the last macro is still read (it is the blank that moves
// down when a macro is deleted) and blanked by the compaction.
inline constexpr int lastReadSlot = maximumMacroCount;

struct StoredMacro {
    QString name;
    QString script;

    // Only a slot with both a name and a script counts as a macro in a list.
    bool holdsMacro() const { return !name.isEmpty() && !script.isEmpty(); }
    friend bool operator==(const StoredMacro &, const StoredMacro &) = default;
};

// "000" to "100": the three-digit slot number in the keys.
QString macroSlotNumber(int slot);
QString macroNameKey(int slot);   // "MacroName" + slot number
QString macroScriptKey(int slot); // "Macro" + slot number

bool isReadableMacroSlot(int slot); // 0 to 100

// A missing value, or a slot outside 0 to 100, reads as the empty text.
StoredMacro ReadMacroSlot(int slot);
// Writes the name, then the script. Refuses (false) a slot outside 0 to 100;
// false too when the store refused a write.
bool WriteMacroSlot(int slot, const StoredMacro &macro);

// The macros every list shows: slots 0, 1, 2, ... up to the first slot whose
// name or script is empty; later slots are not looked at.
QList<StoredMacro> ListMacros();
QStringList ListMacroNames();

// The first slot (0 to 100) whose name equals the given one without regard to
// letter case. Blank slots do not end the search.
std::optional<int> FindMacroSlot(const QString &name);

// Closes every gap: the slots 0 to 100 with a non-empty name keep their order
// and move to slots 0 to k-1, slots k to 100 are blanked. Returns k.
int CompactMacroStore();

// Writes a macro to its slot, which must be a macro's slot (0 to 99); false
// and nothing written otherwise.
bool StoreMacro(int slot, const QString &name, const QString &script);

// Removes the macro of slot s (0 to 99): slots s+1 to 100 each move down by
// one, so the last occupied slot turns blank. False and nothing changed for a
// slot outside 0 to 99.
bool DeleteMacroSlot(int slot);

} // namespace tilvano
