#pragma once

#include <QList>
#include <QMap>
#include <QString>

struct _xmpp_stanza_t;

namespace tilvano::messenger {

// A stanza copied out of the XMPP library into plain Qt values, so that it can
// be kept and read after the library has moved on (or been torn down), and so
// that the readers of stanzas can be tested without a connection.
struct XmlNode {
    QString name;
    QString namespaceUri;
    QMap<QString, QString> attributes;
    QString text;              // the concatenated character data directly inside
    QList<XmlNode> children;   // elements only

    bool isNull() const { return name.isEmpty(); }
    QString attribute(const QString &key) const { return attributes.value(key); }
    // First child element of that name (and namespace, when one is given);
    // a null node when there is none, so lookups can be chained.
    const XmlNode &child(const QString &childName, const QString &ns = QString()) const;
    const XmlNode &childInNamespace(const QString &ns) const;
    QString childText(const QString &childName, const QString &ns = QString()) const;

    // Copies a library stanza; deep, bounded so a hostile nesting cannot
    // exhaust the stack.
    static XmlNode fromStanza(_xmpp_stanza_t *stanza);
    // Parses XML text into a node; null node when the text is not one
    // well-formed element.
    static XmlNode fromXml(const QByteArray &xml);
};

} // namespace tilvano::messenger
