#include "platform/messenger/StanzaReader.h"

#include "platform/messenger/ContactList.h"
#include "platform/messenger/Messenger.h"

#include <QRegularExpression>
#include <QUrl>

namespace tilvano::messenger {

namespace {

const QString siNs = QStringLiteral("http://jabber.org/protocol/si");
const QString siFileNs = QStringLiteral("http://jabber.org/protocol/si/profile/file-transfer");
const QString jingleNs = QStringLiteral("urn:xmpp:jingle:1");
const QString jingleFilePrefix = QStringLiteral("urn:xmpp:jingle:apps:file-transfer:");
const QString oobMessageNs = QStringLiteral("jabber:x:oob");
const QString oobIqNs = QStringLiteral("jabber:iq:oob");
const QString conferenceNs = QStringLiteral("jabber:x:conference");
const QString mucUserNs = QStringLiteral("http://jabber.org/protocol/muc#user");
const QString nickNs = QStringLiteral("http://jabber.org/protocol/nick");

const QString carbonsNs = QStringLiteral("urn:xmpp:carbons:2");
const QString forwardNs = QStringLiteral("urn:xmpp:forward:0");
const QString delayNs = QStringLiteral("urn:xmpp:delay");
const QString legacyDelayNs = QStringLiteral("jabber:x:delay");

// What people write in a status text to say they are back soon, on the
// phone or at lunch; the protocol itself has no such states. Whole words
// only, in German and English: an "iPhone" in a status is no telephone call.
struct StatusWords {
    int state;
    QRegularExpression words;
};

const QList<StatusWords> &statusWords()
{
    static const QList<StatusWords> table = [] {
        const auto words = [](const char *alternatives) {
            return QRegularExpression(QStringLiteral("(?<!\\w)(%1)(?!\\w)").arg(QString::fromUtf8(alternatives)),
                                      QRegularExpression::CaseInsensitiveOption
                                          | QRegularExpression::UseUnicodePropertiesOption);
        };
        return QList<StatusWords>{
            {UserState::BeRightBack, words("gleich zurück|gleich zurueck|gleich wieder da|bin gleich da|be right back"
                                           "|brb|back soon")},
            {UserState::OnThePhone, words("telefon|telefoniere|telefoniert|telefonat|phone|phoning")},
            {UserState::OutToLunch, words("mittag|mittagessen|mittagspause|zu tisch|lunch")},
        };
    }();
    return table;
}

qint64 sizeFrom(const QString &text)
{
    bool ok = false;
    const qint64 size = text.trimmed().toLongLong(&ok);
    return ok && size > 0 ? size : 0;
}

// The Jingle file description sits a few levels down, in whichever version
// of the namespace the sender speaks.
const XmlNode *findJingleFile(const XmlNode &node, int depth = 0)
{
    if (depth > 6)
        return nullptr;
    if (node.name == QLatin1String("file") && node.namespaceUri.startsWith(jingleFilePrefix))
        return &node;
    for (const XmlNode &c : node.children) {
        if (const XmlNode *found = findJingleFile(c, depth + 1))
            return found;
    }
    return nullptr;
}

std::optional<FileOffer> offerFromUrl(const QString &urlText)
{
    const QUrl url(urlText.trimmed());
    if (!url.isValid() || url.isEmpty())
        return std::nullopt;
    QString name = url.fileName(QUrl::FullyDecoded);
    if (name.isEmpty())
        name = url.toString(QUrl::RemoveQuery | QUrl::RemoveFragment);
    return FileOffer{name, 0};
}

} // namespace

int contactStateOf(const XmlNode &presence)
{
    const QString type = presence.attribute(QStringLiteral("type"));
    if (type == QLatin1String("unavailable"))
        return UserState::Offline;
    if (!type.isEmpty())
        return UserState::Unknown;

    const QString status = presence.childText(QStringLiteral("status"));
    for (const StatusWords &rule : statusWords()) {
        if (rule.words.match(status).hasMatch())
            return rule.state;
    }
    // "Extended away" is away for a while longer; nothing in it says lunch.
    const QString show = presence.childText(QStringLiteral("show")).trimmed();
    if (show == QLatin1String("dnd"))
        return UserState::Busy;
    if (show == QLatin1String("away") || show == QLatin1String("xa"))
        return UserState::Away;
    return UserState::Online;
}

int presencePriorityOf(const XmlNode &presence)
{
    bool ok = false;
    const int priority = presence.childText(QStringLiteral("priority")).trimmed().toInt(&ok);
    return ok ? qBound(-128, priority, 127) : 0;
}

std::optional<FileOffer> fileOfferIn(const XmlNode &stanza)
{
    if (stanza.name == QLatin1String("iq") && stanza.attribute(QStringLiteral("type")) == QLatin1String("set")) {
        const XmlNode &si = stanza.child(QStringLiteral("si"), siNs);
        const XmlNode &siFile = si.child(QStringLiteral("file"), siFileNs);
        if (!siFile.isNull())
            return FileOffer{siFile.attribute(QStringLiteral("name")), sizeFrom(siFile.attribute(QStringLiteral("size")))};

        const XmlNode &jingle = stanza.child(QStringLiteral("jingle"), jingleNs);
        if (!jingle.isNull() && jingle.attribute(QStringLiteral("action")) == QLatin1String("session-initiate")) {
            if (const XmlNode *file = findJingleFile(jingle))
                return FileOffer{file->childText(QStringLiteral("name")), sizeFrom(file->childText(QStringLiteral("size")))};
        }
        const XmlNode &oobQuery = stanza.child(QStringLiteral("query"), oobIqNs);
        if (!oobQuery.isNull())
            return offerFromUrl(oobQuery.childText(QStringLiteral("url")));
    }
    if (stanza.name == QLatin1String("message")) {
        const XmlNode &oob = stanza.child(QStringLiteral("x"), oobMessageNs);
        if (!oob.isNull())
            return offerFromUrl(oob.childText(QStringLiteral("url")));
    }
    return std::nullopt;
}

std::optional<RoomInvitation> roomInvitationIn(const XmlNode &message)
{
    if (message.name != QLatin1String("message") || message.attribute(QStringLiteral("type")) == QLatin1String("error"))
        return std::nullopt;
    const QString from = message.attribute(QStringLiteral("from"));

    // A room relaying an invitation may add the direct form for older
    // clients; the relayed one knows who invited us, so it goes first.
    const XmlNode &invite = message.child(QStringLiteral("x"), mucUserNs).child(QStringLiteral("invite"));
    if (!invite.isNull() && !from.isEmpty()) {
        RoomInvitation invitation{bareJidOf(from), QString(), QString(), invite.childText(QStringLiteral("reason"))};
        const QString inviter = invite.attribute(QStringLiteral("from"));
        // Rooms that hide real addresses name the inviter by their seat in
        // the room (room/nick).
        if (bareJidOf(inviter) == invitation.room)
            invitation.inviterNick = inviter.section(QLatin1Char('/'), 1);
        else
            invitation.inviter = bareJidOf(inviter);
        return invitation;
    }

    const XmlNode &direct = message.child(QStringLiteral("x"), conferenceNs);
    if (!direct.isNull() && !direct.attribute(QStringLiteral("jid")).isEmpty())
        return RoomInvitation{bareJidOf(direct.attribute(QStringLiteral("jid"))), bareJidOf(from), QString(),
                              direct.attribute(QStringLiteral("reason"))};
    return std::nullopt;
}

QString nicknameIn(const XmlNode &stanza)
{
    return stanza.childText(QStringLiteral("nick"), nickNs).trimmed();
}

CarbonCopy carbonCopyIn(const XmlNode &message)
{
    if (message.name != QLatin1String("message"))
        return {};
    for (const auto &[name, direction] : {std::pair{QStringLiteral("received"), CarbonCopy::Received},
                                          std::pair{QStringLiteral("sent"), CarbonCopy::Sent}}) {
        const XmlNode &wrapper = message.child(name, carbonsNs);
        if (wrapper.isNull())
            continue;
        const XmlNode &forwarded = wrapper.child(QStringLiteral("forwarded"), forwardNs);
        CarbonCopy copy{direction, forwarded.child(QStringLiteral("message"))};
        // A stamp on the forwarding counts as one on the message.
        if (!forwarded.child(QStringLiteral("delay"), delayNs).isNull())
            copy.delayed = true;
        return copy.message.isNull() ? CarbonCopy{} : copy;
    }
    return {};
}

bool isDelayed(const XmlNode &message)
{
    return !message.child(QStringLiteral("delay"), delayNs).isNull()
        || !message.child(QStringLiteral("x"), legacyDelayNs).isNull();
}

} // namespace tilvano::messenger
