#pragma once

#include "platform/messenger/MessengerUser.h"

#include <QHash>
#include <QString>

namespace tilvano::messenger {

// What we know of our contacts: names from the roster or from the contacts
// themselves, and the presence of each of their connected resources. A
// contact's state is that of its highest-priority resource (the latest one on
// a tie), offline when none is connected.
class ContactList {
public:
    struct Change {
        int previousState = 1;
        int newState = 1;
        bool changed() const { return previousState != newState; }
    };

    void setRosterName(const QString &bareJid, const QString &name);
    void setNickname(const QString &bareJid, const QString &nickname);
    bool hasName(const QString &bareJid) const;
    QString friendlyName(const QString &bareJid) const;
    int state(const QString &bareJid) const;
    MessengerUser user(const QString &bareJid) const;

    // A resource's new state (offline for "gone"); reports the contact's
    // state before and after.
    Change applyPresence(const QString &fullJid, int state, int priority);
    // Everyone offline, as after losing our own connection.
    void forgetPresences();

private:
    struct Resource {
        int state = 1;
        int priority = 0;
        quint64 sequence = 0;
    };
    struct Contact {
        QString rosterName;
        QString nickname;
        QHash<QString, Resource> resources;
    };

    QHash<QString, Contact> m_contacts;
    quint64 m_sequence = 0;
};

// The part of an address before the resource, in the case the server uses.
QString bareJidOf(const QString &jid);

} // namespace tilvano::messenger
