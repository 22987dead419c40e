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
    bool checked = false;    // drawn with a check mark
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

    // clients: when several programs share the character, a line for each of them, set apart
    // between the commands and the service's own entries.
    static QList<CommandMenuEntry> entries(const AgentCommandList &commands,
                                           const QList<CommandMenuEntry> &clients = {});
    // A menu for the entries; each action carries the entry's name as its data.
    static QMenu *build(const QList<CommandMenuEntry> &entries, QWidget *parent);
};

// Decides what a character's pop-up menu holds and what a pick means, for a character that
// several programs share. The hide entry stays the character's own business.
class CommandMenuSource
{
public:
    virtual QList<CommandMenuEntry> menuEntries() const = 0;
    virtual void menuEntryChosen(const QString &name) = 0;

protected:
    ~CommandMenuSource() = default;
};

} // namespace tilvano::agent
