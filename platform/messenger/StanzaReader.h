#pragma once

#include "platform/messenger/XmlNode.h"

#include <QString>

#include <optional>

namespace tilvano::messenger {

struct FileOffer {
    QString fileName;
    qint64 size = 0;    // 0 when the offer does not say
};

struct RoomInvitation {
    QString room;          // bare address of the room
    QString inviter;       // bare address of who invited us, when the room tells it
    QString inviterNick;   // otherwise their name inside the room
    QString reason;
};

// Readers of incoming stanzas. Everything they return is data taken from the
// network; nothing in it is ever interpreted further.

// The state number a presence announces, or 0 for presences that are no
// state at all (subscription requests, errors). Words in the status text
// ("gleich zurück", "am Telefon", "Mittagspause") come before the show.
int contactStateOf(const XmlNode &presence);
int presencePriorityOf(const XmlNode &presence);

// A file offered to us: stream initiation, a Jingle file session, or an
// out-of-band URL (in a message or an iq).
std::optional<FileOffer> fileOfferIn(const XmlNode &stanza);

// An invitation to a group chat: direct, or mediated by the room.
std::optional<RoomInvitation> roomInvitationIn(const XmlNode &message);

// A copy of a message sent to or by another of the account's own clients
// (Message Carbons); only to be believed when it comes from the account's
// own address.
struct CarbonCopy {
    enum Direction { None, Received, Sent };
    Direction direction = None;
    XmlNode message;       // the forwarded message
    bool delayed = false;  // the forwarding carries a delay stamp
};
CarbonCopy carbonCopyIn(const XmlNode &message);

// A message with a delay stamp: kept by the server and delivered late, so
// old news (offline storage, archives, a stored carbon).
bool isDelayed(const XmlNode &message);

// A nickname the sender gives for themselves along with a stanza.
QString nicknameIn(const XmlNode &stanza);

} // namespace tilvano::messenger
