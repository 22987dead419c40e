#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace tilvano::mail {

// One message as the mail application hands it out: texts already decoded to
// Unicode and capped, so a client can put them anywhere without further care.
struct MailItem {
    QString senderName;      // display name of the first From address, else its address
    QString subject;
    QString body;            // plain text of the message, capped by MimeMessageReader::maxBodyCharacters
    QStringList recipients;  // names of To, Cc and Bcc addresses, in that order
    QString filePath;        // where the message lies in the Maildir
    QDateTime received;      // delivery time (the file's modification time)

    // Name of the first recipient, empty when the message names none.
    QString firstRecipientName() const { return recipients.value(0); }
    // The value a client gets when it asks the item itself for text.
    QString defaultValue() const { return subject; }
};

} // namespace tilvano::mail
