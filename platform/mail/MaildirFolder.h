#pragma once

#include "common/ErrorInfo.h"
#include "platform/mail/MailResult.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace tilvano::mail {

// One Maildir folder (cur/, new/, tmp/) read straight from the file system,
// so what it reports is what the delivery agent and other mail clients see
// at that moment. Messages are known by their unique name, the file name
// without the ":2,FLAGS" info and without the ",U=<uid>" that sync tools add,
// which stays the same when a client moves a message from new/ to cur/,
// changes its flags or learns its UID on the server.
class MaildirFolder {
public:
    explicit MaildirFolder(QString path = QString());

    QString path() const { return m_path; }
    QString newPath() const;
    QString curPath() const;

    // Empty when the folder is a Maildir; otherwise why it is not one.
    static ErrorInfo check(const QString &path);
    bool exists() const;

    // Unread: every message in new/, and those in cur/ without the Seen flag.
    MailResult<int> unreadCount() const;
    // The unread messages' files, newest delivery first.
    MailResult<QStringList> unreadFiles() const;
    // The messages in new/ (and cur/ when asked): unique name to file path.
    QHash<QString, QString> messagesByUniqueName(bool includeCur) const;

    static QString uniqueName(const QString &fileName);
    static bool isSeen(const QString &fileName);

private:
    QString m_path;
};

} // namespace tilvano::mail
