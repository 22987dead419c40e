#include "platform/messenger/ContactList.h"

#include "platform/messenger/Messenger.h"

namespace tilvano::messenger {

QString bareJidOf(const QString &jid)
{
    // Local part and domain compare without case; the resource does not.
    return jid.section(QLatin1Char('/'), 0, 0).toLower();
}

void ContactList::setRosterName(const QString &bareJid, const QString &name)
{
    m_contacts[bareJidOf(bareJid)].rosterName = name.trimmed();
}

void ContactList::setNickname(const QString &bareJid, const QString &nickname)
{
    m_contacts[bareJidOf(bareJid)].nickname = nickname.trimmed();
}

bool ContactList::hasName(const QString &bareJid) const
{
    const auto it = m_contacts.constFind(bareJidOf(bareJid));
    return it != m_contacts.cend() && (!it->rosterName.isEmpty() || !it->nickname.isEmpty());
}

QString ContactList::friendlyName(const QString &bareJid) const
{
    const QString bare = bareJidOf(bareJid);
    const auto it = m_contacts.constFind(bare);
    if (it != m_contacts.cend()) {
        if (!it->rosterName.isEmpty())
            return it->rosterName;
        if (!it->nickname.isEmpty())
            return it->nickname;
    }
    return bare;
}

int ContactList::state(const QString &bareJid) const
{
    const auto it = m_contacts.constFind(bareJidOf(bareJid));
    if (it == m_contacts.cend() || it->resources.isEmpty())
        return UserState::Offline;
    const Resource *best = nullptr;
    for (const Resource &r : it->resources) {
        if (!best || r.priority > best->priority || (r.priority == best->priority && r.sequence > best->sequence))
            best = &r;
    }
    return best->state;
}

MessengerUser ContactList::user(const QString &bareJid) const
{
    return MessengerUser{friendlyName(bareJid), bareJidOf(bareJid), state(bareJid)};
}

ContactList::Change ContactList::applyPresence(const QString &fullJid, int newState, int priority)
{
    const QString bare = bareJidOf(fullJid);
    const QString resource = fullJid.section(QLatin1Char('/'), 1);
    Change change;
    change.previousState = state(bare);
    Contact &contact = m_contacts[bare];
    if (newState == UserState::Offline) {
        // "Unavailable" from the bare address means every resource went.
        if (resource.isEmpty())
            contact.resources.clear();
        else
            contact.resources.remove(resource);
    } else {
        contact.resources.insert(resource, Resource{newState, priority, ++m_sequence});
    }
    change.newState = state(bare);
    return change;
}

void ContactList::forgetPresences()
{
    for (Contact &contact : m_contacts)
        contact.resources.clear();
}

} // namespace tilvano::messenger
