#pragma once

#include "platform/agent/CommandMenu.h"

#include <QList>
#include <QPointer>
#include <QString>

namespace tilvano::agent {

class AgentTrace;
class CharacterSession;
class ClientCharacter;
class ServerClient;

// A character on the screen and its clients' views of it. It passes what happens to the
// character on to the clients concerned: showing, hiding, moving and idling to all of them, a
// balloon to the client whose request put it up, clicks and commands to the input-active
// client. It makes the character's pop-up menu from that client's commands, with a line for
// each other client that makes that one active.
class SharedCharacter final : public CommandMenuSource
{
public:
    SharedCharacter(const QString &serviceId, const QString &path, CharacterSession &session,
                    const AgentTrace &trace);
    ~SharedCharacter();
    SharedCharacter(const SharedCharacter &) = delete;
    SharedCharacter &operator=(const SharedCharacter &) = delete;

    const QString &serviceId() const { return m_serviceId; }
    const QString &path() const { return m_path; }
    CharacterSession &session() const { return m_session; }

    void attach(ClientCharacter *view);
    void detach(ClientCharacter *view);
    bool isUnused() const { return m_views.isEmpty(); }
    bool isSharedBeyond(const ServerClient &client) const;
    // The view of the client that last asked to be active; null when no client holds the character.
    ClientCharacter *inputActiveView() const;

    void reportShown(qint16 cause);
    void reportHidden(qint16 cause);
    void reportMoved(qint16 x, qint16 y, qint16 cause);
    void reportClicked(qint16 button, qint16 shift, qint16 x, qint16 y);
    void reportDoubleClicked(qint16 button, qint16 shift, qint16 x, qint16 y);
    void reportBalloonShown();
    void reportBalloonHidden();
    void reportIdleStarted();

    QList<CommandMenuEntry> menuEntries() const override;
    void menuEntryChosen(const QString &name) override;

private:
    // Calls `deliver` for each view, or for `only` when given; a view that a client lets go of
    // while an earlier one hears the news is skipped.
    template <typename Deliver>
    void deliverTo(Deliver deliver, ClientCharacter *only = nullptr);
    ClientCharacter *viewOwning(quint64 owner) const;

    QString m_serviceId;
    QString m_path;
    CharacterSession &m_session;
    const AgentTrace &m_trace;
    QList<ClientCharacter *> m_views;          // in the order the clients loaded the character
    QPointer<ClientCharacter> m_balloonOwner;  // whose request put the balloon up
};

} // namespace tilvano::agent
