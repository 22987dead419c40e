#include "platform/mail/MimeMessageReader.h"

#include "platform/mail/HtmlToText.h"
#include "platform/mail/MailErrors.h"
#include "system/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gmime/gmime.h>
#pragma pop_macro("signals")

#include <memory>
#include <mutex>

namespace tilvano::mail {

namespace {

struct GObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

void ensureGMime()
{
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

// Parser settings that accept what real mailers write: encoded words in odd
// places, 8-bit headers in the sender's local charset.
GMimeParserOptions *parserOptions()
{
    static GMimeParserOptions *options = [] {
        GMimeParserOptions *o = g_mime_parser_options_new();
        g_mime_parser_options_set_address_compliance_mode(o, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_parameter_compliance_mode(o, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_rfc2047_compliance_mode(o, GMIME_RFC_COMPLIANCE_LOOSE);
        // Latin-1 last: it accepts every byte, so undecodable text still shows.
        const char *fallback[] = {"UTF-8", "windows-1252", "iso-8859-1", nullptr};
        g_mime_parser_options_set_fallback_charsets(o, fallback);
        return o;
    }();
    return options;
}

// Text handed out never carries NULs or other C0 controls except line breaks
// and tabs: clients put it into scripts and balloons.
QString cleaned(const QString &text, bool keepLineBreaks)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0 || (u == u'\r' && keepLineBreaks))
            continue;
        if (u < 0x20 && u != u'\t' && !(keepLineBreaks && u == u'\n'))
            out += u' ';
        else
            out += c;
    }
    return out;
}

QString capped(QString text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype cut = limit;
    if (text[cut - 1].isHighSurrogate())
        --cut;
    text.truncate(cut);
    return text;
}

QString headerText(const char *utf8)
{
    if (!utf8)
        return QString();
    const QByteArray bytes(utf8, qMin<qsizetype>(qstrlen(utf8), MimeMessageReader::maxHeaderCharacters * 4));
    return capped(cleaned(QString::fromUtf8(bytes), false).simplified(),
                  MimeMessageReader::maxHeaderCharacters);
}

// Undeclared or unknown charsets: UTF-8 when the bytes are UTF-8, else the
// Western charset most such mail is written in.
QString decodeUndeclared(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    gsize written = 0;
    gchar *converted = g_convert(bytes.constData(), bytes.size(), "UTF-8", "WINDOWS-1252", nullptr,
                                 &written, nullptr);
    if (converted) {
        text = QString::fromUtf8(converted, qsizetype(written));
        g_free(converted);
        return text;
    }
    return QString::fromLatin1(bytes);
}

// The decoded text of a text part, converted to Unicode.
QString partText(GMimePart *part)
{
    GMimeDataWrapper *content = g_mime_part_get_content(part);
    if (!content)
        return QString();
    GObjectPtr<GMimeStream> memory(g_mime_stream_mem_new());
    GObjectPtr<GMimeStream> filtered(g_mime_stream_filter_new(memory.get()));
    const char *charset = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset");
    bool converted = false;
    if (charset) {
        if (GMimeFilter *filter = g_mime_filter_charset_new(charset, "UTF-8")) {
            g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered.get()), filter);
            g_object_unref(filter);
            converted = true;
        }
    }
    g_mime_data_wrapper_write_to_stream(content, filtered.get());
    g_mime_stream_flush(filtered.get());
    GByteArray *bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory.get()));
    if (!bytes)
        return QString();
    const QByteArray raw(reinterpret_cast<const char *>(bytes->data), qsizetype(bytes->len));
    return converted ? QString::fromUtf8(raw) : decodeUndeclared(raw);
}

bool isAttachment(GMimeObject *object)
{
    GMimeContentDisposition *disposition = g_mime_object_get_content_disposition(object);
    return disposition && g_mime_content_disposition_is_attachment(disposition);
}

struct BodyParts {
    GMimePart *plain = nullptr;
    GMimePart *html = nullptr;
};

// First plain and first HTML text part, depth first, attachments and attached
// messages left out. The depth limit keeps a crafted nesting from running away.
void findBodyParts(GMimeObject *object, BodyParts &found, int depth)
{
    if (!object || depth > 32 || (found.plain && found.html))
        return;
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart *multipart = GMIME_MULTIPART(object);
        const int count = g_mime_multipart_get_count(multipart);
        for (int i = 0; i < count; ++i)
            findBodyParts(g_mime_multipart_get_part(multipart, i), found, depth + 1);
        return;
    }
    if (!GMIME_IS_PART(object) || isAttachment(object))
        return;
    GMimeContentType *type = g_mime_object_get_content_type(object);
    if (!type)
        return;
    if (!found.plain && g_mime_content_type_is_type(type, "text", "plain"))
        found.plain = GMIME_PART(object);
    else if (!found.html && g_mime_content_type_is_type(type, "text", "html"))
        found.html = GMIME_PART(object);
}

QString bodyText(GMimeMessage *message)
{
    BodyParts parts;
    findBodyParts(g_mime_message_get_mime_part(message), parts, 0);
    QString text;
    if (parts.plain)
        text = partText(parts.plain);
    else if (parts.html)
        text = htmlToPlainText(capped(partText(parts.html), MimeMessageReader::maxBodyCharacters * 16));
    text = cleaned(text, true);
    // The line break that ends every stored message is not part of the text.
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    text.truncate(end);
    return capped(text, MimeMessageReader::maxBodyCharacters);
}

QString addressName(InternetAddress *address)
{
    if (!address)
        return QString();
    QString name = headerText(internet_address_get_name(address));
    if (name.isEmpty() && INTERNET_ADDRESS_IS_MAILBOX(address))
        name = headerText(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address)));
    return name;
}

// Names of a list's mailboxes; a group contributes its members.
void collectNames(InternetAddressList *list, QStringList &names, int depth = 0)
{
    if (!list || depth > 4)
        return;
    const int count = internet_address_list_length(list);
    for (int i = 0; i < count && names.size() < 1000; ++i) {
        InternetAddress *address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_GROUP(address)) {
            collectNames(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)), names, depth + 1);
            continue;
        }
        const QString name = addressName(address);
        if (!name.isEmpty())
            names << name;
    }
}

} // namespace

QByteArray MimeMessageReader::withinLimits(const QByteArray &message)
{
    QByteArray limited = message.left(maxParseBytes);
    // Every part starts at a line "--boundary"; the parser's cost grows with
    // their number and nesting. Cut before the first one too many.
    qsizetype at = limited.startsWith("--") ? 0 : limited.indexOf("\n--");
    for (int seen = 0; at >= 0; at = limited.indexOf("\n--", at + 1)) {
        if (++seen > maxPartDelimiters) {
            limited.truncate(at + 1);
            break;
        }
    }
    return limited;
}

MailItem MimeMessageReader::parse(const QByteArray &whole)
{
    ensureGMime();
    MailItem item;
    const QByteArray message = withinLimits(whole);
    GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(message.constData(), size_t(message.size())));
    GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    GObjectPtr<GMimeMessage> parsed(g_mime_parser_construct_message(parser.get(), parserOptions()));
    if (!parsed)
        return item;
    GMimeMessage *mime = parsed.get();

    QStringList senders;
    collectNames(g_mime_message_get_from(mime), senders);
    if (senders.isEmpty())
        collectNames(g_mime_message_get_sender(mime), senders);
    item.senderName = senders.value(0);
    item.subject = headerText(g_mime_message_get_subject(mime));
    collectNames(g_mime_message_get_addresses(mime, GMIME_ADDRESS_TYPE_TO), item.recipients);
    collectNames(g_mime_message_get_addresses(mime, GMIME_ADDRESS_TYPE_CC), item.recipients);
    collectNames(g_mime_message_get_addresses(mime, GMIME_ADDRESS_TYPE_BCC), item.recipients);
    item.body = bodyText(mime);
    return item;
}

MailResult<MailItem> MimeMessageReader::readFile(const QString &path)
{
    QFile file;
    if (!openRegularFile(path, file))
        return MailResult<MailItem>::failure(messageUnreadable(path));
    MailItem item = parse(file.read(maxParseBytes));
    item.filePath = path;
    item.received = QFileInfo(file).lastModified().toUTC();
    return {std::move(item), {}};
}

} // namespace tilvano::mail
