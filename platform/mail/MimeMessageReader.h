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
class MimeMessageReader {
public:
    static constexpr qint64 maxFileBytes = 8 * 1024 * 1024;
    static constexpr qsizetype maxBodyCharacters = 64 * 1024;
    static constexpr qsizetype maxHeaderCharacters = 1024;

    // Reads at most maxFileBytes of the file; fails only when it cannot be opened.
    static MailResult<MailItem> readFile(const QString &path);
    static MailItem parse(const QByteArray &message);
};

} // namespace tilvano::mail
