#include "Ablaufwerk/MacroSync.h"

#include "common/MacroStore.h"

namespace tilvano {

int LoadStoredMacros(colMacros &macros)
{
    const QList<StoredMacro> stored = ListMacros();
    for (qsizetype slot = 0; slot < stored.size(); ++slot) {
        const StoredMacro &entry = stored.at(slot);
        std::shared_ptr<clsMacro> macro = macros.Add(entry.name, entry.name);
        if (!macro)
            macro = macros.Add(entry.name);
        macro->setScript(entry.script);
        macro->setIndex(qint16(slot));
        macro->setChanged(false);
    }
    return int(stored.size());
}

std::shared_ptr<clsMacro> NameNewMacro(colMacros &macros, const std::shared_ptr<clsMacro> &macro,
                                       const QString &name)
{
    if (name.isEmpty())
        return nullptr;
    std::shared_ptr<clsMacro> target = macros.Item(name);
    if (!target) {
        // The loaded macros fill the slots from 0 without gap.
        const qint32 nextFreeSlot = macros.Count();
        if (nextFreeSlot >= maximumMacroCount)
            return nullptr;
        target = macros.Add(name, name);
        target->setIndex(qint16(nextFreeSlot));
    }
    if (target != macro)
        target->setColMacroLines(macro->colMacroLines());
    return target;
}

bool StoreLoadedMacro(clsMacro &macro)
{
    if (macro.Key().isEmpty() || !StoreMacro(macro.Index(), macro.Key(), macro.Script()))
        return false;
    macro.setChanged(false);
    return true;
}

bool DeleteLoadedMacro(colMacros &macros, const std::shared_ptr<clsMacro> &macro)
{
    qint32 position = 0;
    for (qint32 p = 1; p <= macros.Count(); ++p) {
        if (macros.Item(p) == macro) {
            position = p;
            break;
        }
    }
    if (position == 0 || !DeleteMacroSlot(macro->Index()))
        return false;
    macros.Remove(position);
    for (const auto &loaded : macros) {
        if (loaded->Index() > macro->Index())
            loaded->setIndex(qint16(loaded->Index() - 1));
    }
    return true;
}

} // namespace tilvano
