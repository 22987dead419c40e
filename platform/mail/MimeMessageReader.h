#pragma once

#include "platform/mail/MailItem.h"
#include "platform/mail/MailResult.h"

#include <QByteArray>
#include <QString>

namespace tilvano::mail {

// Turns a stored message into a MailItem. Any byte sequence gives an item:
// broken MIME, unknown charsets, NUL bytes and giant parts end in what could be
// read, never in a crash. Texts are capped so a hostile mail cannot flood the
// character's balloon or the macro it is put into.
//
// The work is bounded as well: only the first maxParseBytes of a message and
// its first maxPartDelimiters part boundaries are parsed. The text the
// character reads sits at the start; what lies beyond (attachments, parts
// nested thousands deep) would only cost time. Parsing still takes a while
// at the limits, so the mail application does it on a worker thread.
class MimeMessageReader {
public:
    static constexpr qint64 maxParseBytes = 2 * 1024 * 1024;
    static constexpr int maxPartDelimiters = 256;
    static constexpr qsizetype maxBodyCharacters = 64 * 1024;
    static constexpr qsizetype maxHeaderCharacters = 1024;

    // Reads the start of a regular file (never waiting on a FIFO or a
    // device); fails only when it cannot be opened as one.
    static MailResult<MailItem> readFile(const QString &path);
    static MailItem parse(const QByteArray &message);
    // The part of a message that parse() looks at.
    static QByteArray withinLimits(const QByteArray &message);
};

} // namespace tilvano::mail
