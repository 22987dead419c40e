#include "common/MacroStore.h"

#include "common/SettingsStore.h"

namespace tilvano {

namespace {

bool isMacroSlot(int slot) { return slot >= 0 && slot < maximumMacroCount; }

QString readMacroValue(const QString &key)
{
    return GetSetting(settingsApplication(), macrosSection(), key, QString());
}

bool writeMacroValue(const QString &key, const QString &value)
{
    return SaveSetting(settingsApplication(), macrosSection(), key, value);
}

} // namespace

QString macroSlotNumber(int slot) { return QStringLiteral("%1").arg(slot, 3, 10, QLatin1Char('0')); }

QString macroNameKey(int slot) { return QStringLiteral("MacroName") + macroSlotNumber(slot); }

QString macroScriptKey(int slot) { return QStringLiteral("Macro") + macroSlotNumber(slot); }

bool isReadableMacroSlot(int slot) { return slot >= 0 && slot <= lastReadSlot; }

StoredMacro ReadMacroSlot(int slot)
{
    if (!isReadableMacroSlot(slot))
        return {};
    return {readMacroValue(macroNameKey(slot)), readMacroValue(macroScriptKey(slot))};
}

bool WriteMacroSlot(int slot, const StoredMacro &macro)
{
    if (!isReadableMacroSlot(slot))
        return false;
    return writeMacroValue(macroNameKey(slot), macro.name) && writeMacroValue(macroScriptKey(slot), macro.script);
}

QList<StoredMacro> ListMacros()
{
    QList<StoredMacro> macros;
    // The walk stops at the first gap, and no more than 100 macros exist:
    // a hand-filled slot 100 is not a macro of any list.
    for (int slot = 0; isMacroSlot(slot); ++slot) {
        StoredMacro macro = ReadMacroSlot(slot);
        if (!macro.holdsMacro())
            break;
        macros.append(std::move(macro));
    }
    return macros;
}

QStringList ListMacroNames()
{
    QStringList names;
    for (const StoredMacro &macro : ListMacros())
        names.append(macro.name);
    return names;
}

std::optional<int> FindMacroSlot(const QString &name)
{
    for (int slot = 0; slot <= lastReadSlot; ++slot) {
        if (ReadMacroSlot(slot).name.compare(name, Qt::CaseInsensitive) == 0)
            return slot;
    }
    return std::nullopt;
}

int CompactMacroStore()
{
    QList<StoredMacro> kept;
    for (int slot = 0; slot <= lastReadSlot; ++slot) {
        StoredMacro macro = ReadMacroSlot(slot);
        // A nameless slot cannot be chosen anywhere, whatever its script.
        if (!macro.name.isEmpty())
            kept.append(std::move(macro));
    }
    for (int slot = 0; slot <= lastReadSlot; ++slot)
        WriteMacroSlot(slot, slot < kept.size() ? kept.at(slot) : StoredMacro{});
    return int(kept.size());
}

bool StoreMacro(int slot, const QString &name, const QString &script)
{
    if (!isMacroSlot(slot))
        return false;
    return WriteMacroSlot(slot, {name, script});
}

bool DeleteMacroSlot(int slot)
{
    if (!isMacroSlot(slot))
        return false;
    for (int from = slot + 1; from <= lastReadSlot; ++from)
        WriteMacroSlot(from - 1, ReadMacroSlot(from));
    return true;
}

} // namespace tilvano
