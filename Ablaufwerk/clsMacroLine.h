#pragma once

#include <QString>

namespace tilvano {

// One line of a macro: the statement as stored, the text the editor's list
// shows for it, and the bare argument that fills the editor's input fields.
class clsMacroLine {
public:
    QString Key() const { return m_key; }
    void setKey(const QString &key) { m_key = key; }

    QString ShowLine() const { return m_showLine; }
    void setShowLine(const QString &showLine) { m_showLine = showLine; }

    QString scriptline() const { return m_scriptLine; }
    void setScriptline(const QString &scriptLine) { m_scriptLine = scriptLine; }

    QString Data() const { return m_data; }
    void setData(const QString &data) { m_data = data; }

private:
    QString m_key;
    QString m_showLine;
    QString m_scriptLine;
    QString m_data;
};

} // namespace tilvano
