#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace tilvano::test {

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

private:
    QString nextUniqueName();

    QString m_path;
    int m_counter = 0;
};

} // namespace tilvano::test
