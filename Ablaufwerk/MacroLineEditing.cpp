#include "Ablaufwerk/MacroLineEditing.h"

namespace tilvano {

namespace {

void setTexts(clsMacroLine &line, const QString &showLine, const QString &scriptLine, const QString &data)
{
    line.setScriptline(scriptLine);
    line.setShowLine(showLine);
    line.setData(data);
}

bool exchangeLines(clsMacro &macro, qint32 upper, qint32 lower)
{
    const auto lines = macro.colMacroLines();
    const auto first = lines->Item(upper);
    const auto second = lines->Item(lower);
    if (!first || !second)
        return false;
    const clsMacroLine kept = *first;
    setTexts(*first, second->ShowLine(), second->scriptline(), second->Data());
    setTexts(*second, kept.ShowLine(), kept.scriptline(), kept.Data());
    macro.setChanged(true);
    return true;
}

} // namespace

void AppendLine(clsMacro &macro, const MacroStatement &line)
{
    macro.colMacroLines()->Add(QString(), line.showLine, line.scriptLine, line.data);
    macro.setChanged(true);
}

bool ReplaceLine(clsMacro &macro, qint32 position, const MacroStatement &line)
{
    const auto target = macro.colMacroLines()->Item(position);
    if (!target)
        return false;
    setTexts(*target, line.showLine, line.scriptLine, line.data);
    macro.setChanged(true);
    return true;
}

bool DeleteLine(clsMacro &macro, qint32 position)
{
    if (!macro.colMacroLines()->Remove(position))
        return false;
    macro.setChanged(true);
    return true;
}

bool MoveLineUp(clsMacro &macro, qint32 position) { return exchangeLines(macro, position - 1, position); }

bool MoveLineDown(clsMacro &macro, qint32 position) { return exchangeLines(macro, position, position + 1); }

} // namespace tilvano
