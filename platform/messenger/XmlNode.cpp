#include "platform/messenger/XmlNode.h"

#include <QXmlStreamReader>

#include <strophe.h>

namespace tilvano::messenger {

namespace {

// Deeper nesting than this carries nothing we read; cutting it off keeps the
// recursion bounded whatever the server forwards.
constexpr int maximumDepth = 32;

const XmlNode &nullNode()
{
    static const XmlNode node;
    return node;
}

XmlNode copyStanza(xmpp_stanza_t *stanza, const QString &inheritedNs, int depth)
{
    XmlNode node;
    if (!stanza || !xmpp_stanza_is_tag(stanza))
        return node;
    node.name = QString::fromUtf8(xmpp_stanza_get_name(stanza));
    const char *ns = xmpp_stanza_get_ns(stanza);
    node.namespaceUri = ns ? QString::fromUtf8(ns) : inheritedNs;

    const int count = xmpp_stanza_get_attribute_count(stanza);
    if (count > 0) {
        std::vector<const char *> pairs(static_cast<size_t>(count) * 2);
        const int filled = xmpp_stanza_get_attributes(stanza, pairs.data(), count * 2);
        for (int i = 0; i + 1 < filled; i += 2)
            node.attributes.insert(QString::fromUtf8(pairs[size_t(i)]), QString::fromUtf8(pairs[size_t(i) + 1]));
    }
    node.attributes.remove(QStringLiteral("xmlns"));

    for (xmpp_stanza_t *c = xmpp_stanza_get_children(stanza); c; c = xmpp_stanza_get_next(c)) {
        if (xmpp_stanza_is_text(c)) {
            if (const char *t = xmpp_stanza_get_text_ptr(c))
                node.text += QString::fromUtf8(t);
        } else if (depth < maximumDepth) {
            node.children.append(copyStanza(c, node.namespaceUri, depth + 1));
        }
    }
    return node;
}

XmlNode readElement(QXmlStreamReader &reader, int depth)
{
    XmlNode node;
    node.name = reader.name().toString();
    node.namespaceUri = reader.namespaceUri().toString();
    for (const QXmlStreamAttribute &a : reader.attributes())
        node.attributes.insert(a.qualifiedName().toString(), a.value().toString());
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isCharacters()) {
            node.text += reader.text();
        } else if (reader.isStartElement()) {
            if (depth < maximumDepth)
                node.children.append(readElement(reader, depth + 1));
            else
                reader.skipCurrentElement();
        } else if (reader.isEndElement()) {
            break;
        }
    }
    return node;
}

} // namespace

const XmlNode &XmlNode::child(const QString &childName, const QString &ns) const
{
    for (const XmlNode &c : children) {
        if (c.name == childName && (ns.isEmpty() || c.namespaceUri == ns))
            return c;
    }
    return nullNode();
}

const XmlNode &XmlNode::childInNamespace(const QString &ns) const
{
    for (const XmlNode &c : children) {
        if (c.namespaceUri == ns)
            return c;
    }
    return nullNode();
}

QString XmlNode::childText(const QString &childName, const QString &ns) const
{
    return child(childName, ns).text;
}

XmlNode XmlNode::fromStanza(_xmpp_stanza_t *stanza)
{
    return copyStanza(stanza, QString(), 0);
}

XmlNode XmlNode::fromXml(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            XmlNode node = readElement(reader, 0);
            if (reader.hasError())
                return {};
            return node;
        }
    }
    return {};
}

} // namespace tilvano::messenger
