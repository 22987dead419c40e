#pragma once

#include <QList>
#include <QString>

class QMenu;
class QWidget;

namespace tilvano::agent {

class AgentCommandList;

// One line of a character's pop-up menu.
struct CommandMenuEntry {
    QString name;            // the command reported when chosen; empty for a separator
    QString caption;
    bool enabled = true;
    bool isDefault = false;  // drawn in bold
    bool isSeparator() const { return name.isEmpty(); }
};

// The pop-up menu of a character: its visible commands (those with a caption), then the
// service's own entries for hiding the character and for its settings dialog.
class CommandMenu
{
public:
    static inline const QString HideEntry = QStringLiteral("Ausblenden");
    static inline const QString SettingsEntry = QStringLiteral("Erweiterte Figureneinstellungen...");
    // Choosing the settings entry is reported as this command, so the program decides
    // what opening the settings means for it.
    static inline const QString SettingsCommandName = QStringLiteral("ACO");
    static inline const QString HideCommandName = QStringLiteral("~hide");

    static QList<CommandMenuEntry> entries(const AgentCommandList &commands);
    // A menu for the entries; each action carries the entry's name as its data.
    static QMenu *build(const QList<CommandMenuEntry> &entries, QWidget *parent);
};

} // namespace tilvano::agent
