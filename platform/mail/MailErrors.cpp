#include "platform/mail/MailErrors.h"

namespace tilvano::mail {

ErrorInfo mailError(MailError number, const QString &description)
{
    ErrorInfo info;
    info.number = static_cast<qint32>(number);
    info.source = QStringLiteral("Tilvano.Mail");
    info.description = description;
    return info;
}

ErrorInfo maildirMissing(const QString &path)
{
    return mailError(MailError::CannotCreate,
                     QStringLiteral("Der Mail-Ordner \u201E%1\u201C existiert nicht.").arg(path));
}

ErrorInfo notAMaildir(const QString &path)
{
    return mailError(MailError::CannotCreate,
                     QStringLiteral("Der Ordner \u201E%1\u201C ist kein Maildir (cur, new oder tmp fehlt).")
                         .arg(path));
}

ErrorInfo folderUnreadable(const QString &path)
{
    return mailError(MailError::StoreUnreadable,
                     QStringLiteral("Der Mail-Ordner \u201E%1\u201C kann nicht gelesen werden.").arg(path));
}

ErrorInfo messageUnreadable(const QString &path)
{
    return mailError(MailError::StoreUnreadable,
                     QStringLiteral("Die Nachricht \u201E%1\u201C kann nicht gelesen werden.").arg(path));
}

ErrorInfo noSuchItem(int index, int count)
{
    return mailError(MailError::IndexOutOfRange,
                     QStringLiteral("Es gibt kein Element %1 (vorhanden: %2).").arg(index).arg(count));
}

} // namespace tilvano::mail
