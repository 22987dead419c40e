#pragma once

#include "Ablaufwerk/colMacroLines.h"

#include <QString>

#include <memory>

namespace tilvano {

// One macro as the editor holds it. Its script text is not kept: reading
// Script composes it from the lines, setting Script parses it into lines.
class clsMacro {
public:
    clsMacro();

    // The macro's name; empty for a macro that was never stored.
    QString Key() const { return m_key; }
    void setKey(const QString &key) { m_key = key; }

    // The macro's slot in the store.
    qint16 Index() const { return m_index; }
    void setIndex(qint16 index) { m_index = index; }

    // The macro has changes that are not in the store.
    bool Changed() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }

    // Each line's statement followed by the line separator; empty without lines.
    QString Script() const;
    // Replaces the lines by those of the text and marks the macro changed
    // (nothing happens while the macro has no line collection).
    void setScript(const QString &scriptText);

    // Never null: an empty collection is made when there is none.
    std::shared_ptr<tilvano::colMacroLines> colMacroLines();
    void setColMacroLines(std::shared_ptr<tilvano::colMacroLines> lines);

private:
    QString m_key;
    qint16 m_index = 0;
    bool m_changed = false;
    std::shared_ptr<tilvano::colMacroLines> m_lines;
};

} // namespace tilvano
