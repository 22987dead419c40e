#pragma once

#include "common/ErrorInfo.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tilvano::mail {
class MailApplication;
}

namespace tilvano::test {

// Starts send-and-receive and waits for its end: the error of the start or
// of the end (none when all went well).
ErrorInfo finishSendAndReceive(mail::MailApplication &app, int timeoutMs = 60000);

// A Maildir on disk that a test delivers into the way delivery agents do:
// write into tmp/, then rename into new/.
class MaildirFixture {
public:
    explicit MaildirFixture(QString path);

    QString path() const { return m_path; }
    bool create() const;

    // Returns the unique name of the delivered message.
    QString deliver(const QByteArray &message, const QDateTime &modified = QDateTime());
    // Writes straight into cur/ with the given flags, as clients store sent mail.
    QString store(const QByteArray &message, const QString &flags);
    bool markSeen(const QString &uniqueName) const;
    bool remove(const QString &uniqueName) const;
    QString fileOf(const QString &uniqueName) const;

    static QByteArray message(const QByteArray &from, const QByteArray &to, const QByteArray &subject,
                              const QByteArray &body);
    // Some 9 MB of parts nested 50,000 deep, `text` in the first one.
    static QByteArray deeplyNestedMessage(const QByteArray &subject, const QByteArray &text);

private:
    QString nextUniqueName();

    QString m_path;
    int m_counter = 0;
};

} // namespace tilvano::test
