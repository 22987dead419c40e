#pragma once

#include "platform/mail/MailItem.h"
#include "platform/mail/ReminderItem.h"

#include <QString>

namespace tilvano::outlook {

// Fills the placeholders of a mail macro's script with a mail's values.
// Placeholders are found without regard to letter case. Every value is
// escaped so it stays text inside the script's quoted strings, and each is
// inserted once: a value that itself reads like a placeholder (a subject of
// "<MAILTEXT>") is left as it is instead of being filled in again.
class MailMacroText {
public:
    // "<SENDER>", "<SUBJECT>", "<MAILTEXT>" and "<RECIPIENT>".
    static QString forMail(const QString &script, const mail::MailItem &item);
    // "<COUNT>", in plain decimal.
    static QString forCount(const QString &script, int count);
    // "<SUBJECT>": the reminder's own text.
    static QString forReminder(const QString &script, const mail::ReminderItem &item);
};

} // namespace tilvano::outlook
