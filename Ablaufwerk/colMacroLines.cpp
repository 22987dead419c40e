#include "Ablaufwerk/colMacroLines.h"

namespace tilvano {

void colMacroLines::Clear() { m_lines = KeyedCollection<clsMacroLine>(); }

std::shared_ptr<clsMacroLine> colMacroLines::Add(const QString &Key, const QString &ShowLine,
                                                 const QString &scriptline, const QString &Data,
                                                 const QString &sKey)
{
    auto line = std::make_shared<clsMacroLine>();
    line->setKey(Key);
    line->setShowLine(ShowLine);
    line->setScriptline(scriptline);
    line->setData(Data);
    if (!m_lines.add(line, sKey))
        return nullptr;
    return line;
}

} // namespace tilvano
