#include "SharedCharacter.h"

#include "ClientCharacter.h"
#include "ServerClient.h"

#include "platform/agent/AgentTrace.h"
#include "platform/agent/CharacterSession.h"

#include <algorithm>

namespace tilvano::agent {

namespace {
// The menu line that makes another client active carries the owner number of its view.
const QString ClientEntryPrefix = QStringLiteral("~client:");
} // namespace

SharedCharacter::SharedCharacter(const QString &serviceId, const QString &path, CharacterSession &session,
                                 const AgentTrace &trace)
    : m_serviceId(serviceId)
    , m_path(path)
    , m_session(session)
    , m_trace(trace)
{
    m_session.setMenuSource(this);
}

SharedCharacter::~SharedCharacter() { m_session.setMenuSource(nullptr); }

void SharedCharacter::attach(ClientCharacter *view) { m_views.append(view); }

void SharedCharacter::detach(ClientCharacter *view) { m_views.removeAll(view); }

bool SharedCharacter::isSharedBeyond(const ServerClient &client) const
{
    return std::any_of(m_views.begin(), m_views.end(), [&](const ClientCharacter *view) { return &view->client() != &client; });
}

ClientCharacter *SharedCharacter::inputActiveView() const
{
    ClientCharacter *active = nullptr;
    for (ClientCharacter *view : m_views) {
        if (!active || view->client().activatedAt() >= active->client().activatedAt())
            active = view;
    }
    return active;
}

ClientCharacter *SharedCharacter::viewOwning(quint64 owner) const
{
    for (ClientCharacter *view : m_views) {
        if (view->owner() == owner)
            return view;
    }
    return nullptr;
}

template <typename Deliver>
void SharedCharacter::deliverTo(Deliver deliver, ClientCharacter *only)
{
    // A client's handler runs inside the delivery and may unload its view, or another one.
    QList<QPointer<ClientCharacter>> views;
    if (only)
        views.append(only);
    else
        for (ClientCharacter *view : std::as_const(m_views))
            views.append(view);
    for (const QPointer<ClientCharacter> &view : std::as_const(views)) {
        if (view && m_views.contains(view.data()))
            deliver(view->client(), view->id());
    }
}

void SharedCharacter::reportShown(qint16 cause)
{
    deliverTo([cause](ServerClient &client, const QString &id) { emit client.shown(id, cause); });
}

void SharedCharacter::reportHidden(qint16 cause)
{
    deliverTo([cause](ServerClient &client, const QString &id) { emit client.hidden(id, cause); });
}

void SharedCharacter::reportMoved(qint16 x, qint16 y, qint16 cause)
{
    deliverTo([=](ServerClient &client, const QString &id) { emit client.moved(id, x, y, cause); });
}

void SharedCharacter::reportIdleStarted()
{
    deliverTo([](ServerClient &client, const QString &id) { emit client.idleStarted(id); });
}

void SharedCharacter::reportClicked(qint16 button, qint16 shift, qint16 x, qint16 y)
{
    if (ClientCharacter *active = inputActiveView())
        deliverTo([=](ServerClient &client, const QString &id) { emit client.clicked(id, button, shift, x, y); }, active);
}

void SharedCharacter::reportDoubleClicked(qint16 button, qint16 shift, qint16 x, qint16 y)
{
    if (ClientCharacter *active = inputActiveView())
        deliverTo([=](ServerClient &client, const QString &id) { emit client.doubleClicked(id, button, shift, x, y); },
                  active);
}

void SharedCharacter::reportBalloonShown()
{
    // A balloon of nobody's request in particular (none of the clients' own) concerns them all.
    m_balloonOwner = viewOwning(m_session.currentRequestOwner());
    deliverTo([](ServerClient &client, const QString &id) { emit client.balloonShown(id); }, m_balloonOwner.data());
}

void SharedCharacter::reportBalloonHidden()
{
    ClientCharacter *owner = m_balloonOwner.data();
    m_balloonOwner = nullptr;
    deliverTo([](ServerClient &client, const QString &id) { emit client.balloonHidden(id); }, owner);
}

QList<CommandMenuEntry> SharedCharacter::menuEntries() const
{
    ClientCharacter *active = inputActiveView();
    if (!active)
        return CommandMenu::entries(AgentCommandList());
    // A program alone with the character needs no choice of menus.
    QList<CommandMenuEntry> clients;
    for (ClientCharacter *view : m_views) {
        const QString caption = view->commandList().caption();
        if (caption.isEmpty())
            continue;
        CommandMenuEntry entry{ClientEntryPrefix + QString::number(view->owner()), caption, true, false};
        entry.checked = view == active;
        clients.append(entry);
    }
    if (clients.size() < 2)
        clients.clear();
    return CommandMenu::entries(active->commandList(), clients);
}

void SharedCharacter::menuEntryChosen(const QString &name)
{
    if (name.startsWith(ClientEntryPrefix)) {
        if (ClientCharacter *view = viewOwning(name.mid(ClientEntryPrefix.size()).toULongLong()))
            view->client().activate();
        return;
    }
    ClientCharacter *active = inputActiveView();
    if (!active)
        return;
    if (name != CommandMenu::SettingsCommandName) {
        const std::optional<AgentCommandEntry> command = active->commandList().entry(name);
        if (!command || !command->enabled)
            return;
    }
    m_trace.record(QStringLiteral("Command"), active->id(), {name, QStringLiteral("100"), QString(), QStringLiteral("0")});
    // A pick from the menu is certain and has no runner-up.
    const AgentUserInput input{active->id(), name, 100, QString(), 0};
    deliverTo([&input](ServerClient &client, const QString &) { emit client.commandChosen(input); }, active);
}

} // namespace tilvano::agent
