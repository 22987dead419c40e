#include "CommandMenu.h"

#include "AgentCommandList.h"

#include <QAction>
#include <QMenu>

namespace tilvano::agent {

QList<CommandMenuEntry> CommandMenu::entries(const AgentCommandList &commands, const QList<CommandMenuEntry> &clients)
{
    QList<CommandMenuEntry> entries;
    for (const AgentCommandEntry &command : commands.entries()) {
        // A command without a caption only answers to its voice text.
        if (!command.visible || command.caption.isEmpty())
            continue;
        const bool isDefault = command.name.compare(commands.defaultCommand(), Qt::CaseInsensitive) == 0;
        entries.append(CommandMenuEntry{command.name, command.caption, command.enabled, isDefault});
    }
    if (!entries.isEmpty())
        entries.append(CommandMenuEntry{});
    if (!clients.isEmpty())
        entries << clients << CommandMenuEntry{};
    entries.append(CommandMenuEntry{HideCommandName, HideEntry, true, false});
    entries.append(CommandMenuEntry{SettingsCommandName, SettingsEntry, true, false});
    return entries;
}

QMenu *CommandMenu::build(const QList<CommandMenuEntry> &entries, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    for (const CommandMenuEntry &entry : entries) {
        if (entry.isSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(entry.caption);
        action->setData(entry.name);
        action->setEnabled(entry.enabled);
        if (entry.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (entry.isDefault) {
            QFont font = action->font();
            font.setBold(true);
            action->setFont(font);
        }
    }
    return menu;
}

} // namespace tilvano::agent
