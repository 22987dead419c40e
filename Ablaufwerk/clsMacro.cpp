#include "Ablaufwerk/clsMacro.h"

#include "common/MacroScript.h"

namespace tilvano {

clsMacro::clsMacro() : m_lines(std::make_shared<tilvano::colMacroLines>()) {}

QString clsMacro::Script() const
{
    if (!m_lines)
        return QString();
    QStringList scriptLines;
    scriptLines.reserve(m_lines->Count());
    for (const auto &line : *m_lines)
        scriptLines.append(line->scriptline());
    return composeScriptText(scriptLines);
}

void clsMacro::setScript(const QString &scriptText)
{
    if (!m_lines)
        return;
    m_lines->Clear();
    for (const MacroStatement &line : parseScriptText(scriptText))
        m_lines->Add(QString(), line.showLine, line.scriptLine, line.data);
    m_changed = true;
}

std::shared_ptr<colMacroLines> clsMacro::colMacroLines()
{
    if (!m_lines)
        m_lines = std::make_shared<tilvano::colMacroLines>();
    return m_lines;
}

void clsMacro::setColMacroLines(std::shared_ptr<tilvano::colMacroLines> lines)
{
    m_lines = std::move(lines);
    m_changed = true;
}

} // namespace tilvano
