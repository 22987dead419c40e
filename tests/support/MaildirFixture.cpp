#include "support/MaildirFixture.h"

#include "platform/mail/MailApplication.h"

#include <QSignalSpy>

#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QTime>

namespace tilvano::test {

ErrorInfo finishSendAndReceive(mail::MailApplication &app, int timeoutMs)
{
    QSignalSpy finished(&app, &mail::MailApplication::sendAndReceiveFinished);
    const mail::MailResult<bool> started = app.startSendAndReceive();
    if (!started.ok())
        return started.error;
    if (!finished.wait(timeoutMs))
        return {1, QStringLiteral("test"), QStringLiteral("send-and-receive did not end"), 0};
    return finished.at(0).at(0).value<ErrorInfo>();
}

MaildirFixture::MaildirFixture(QString path)
    : m_path(std::move(path))
{
}

bool MaildirFixture::create() const
{
    QDir dir;
    return dir.mkpath(m_path + QStringLiteral("/cur")) && dir.mkpath(m_path + QStringLiteral("/new"))
        && dir.mkpath(m_path + QStringLiteral("/tmp"));
}

QString MaildirFixture::nextUniqueName()
{
    return QStringLiteral("%1.M%2P%3Q%4.testhost")
        .arg(QDateTime::currentSecsSinceEpoch())
        .arg(QTime::currentTime().msec())
        .arg(QCoreApplication::applicationPid())
        .arg(++m_counter, 6, 10, QLatin1Char('0'));
}

QString MaildirFixture::deliver(const QByteArray &message, const QDateTime &modified)
{
    const QString unique = nextUniqueName();
    const QString tmp = m_path + QStringLiteral("/tmp/") + unique;
    QFile file(tmp);
    if (!file.open(QIODevice::WriteOnly) || file.write(message) != message.size())
        return QString();
    if (modified.isValid())
        file.setFileTime(modified, QFileDevice::FileModificationTime);
    file.close();
    if (!QFile::rename(tmp, m_path + QStringLiteral("/new/") + unique))
        return QString();
    return unique;
}

QString MaildirFixture::store(const QByteArray &message, const QString &flags)
{
    const QString unique = nextUniqueName();
    const QString tmp = m_path + QStringLiteral("/tmp/") + unique;
    QFile file(tmp);
    if (!file.open(QIODevice::WriteOnly) || file.write(message) != message.size())
        return QString();
    file.close();
    if (!QFile::rename(tmp, m_path + QStringLiteral("/cur/") + unique + QStringLiteral(":2,") + flags))
        return QString();
    return unique;
}

QString MaildirFixture::fileOf(const QString &uniqueName) const
{
    for (const QString &sub : {QStringLiteral("new"), QStringLiteral("cur")}) {
        const QDir dir(m_path + QLatin1Char('/') + sub);
        const QStringList matches = dir.entryList({uniqueName + QLatin1Char('*')}, QDir::Files);
        if (!matches.isEmpty())
            return dir.filePath(matches.first());
    }
    return QString();
}

bool MaildirFixture::markSeen(const QString &uniqueName) const
{
    const QString from = fileOf(uniqueName);
    return !from.isEmpty() && QFile::rename(from, m_path + QStringLiteral("/cur/") + uniqueName + QStringLiteral(":2,S"));
}

bool MaildirFixture::remove(const QString &uniqueName) const
{
    const QString file = fileOf(uniqueName);
    return !file.isEmpty() && QFile::remove(file);
}

QByteArray MaildirFixture::message(const QByteArray &from, const QByteArray &to, const QByteArray &subject,
                                   const QByteArray &body)
{
    return "From: " + from + "\r\nTo: " + to + "\r\nSubject: " + subject
        + "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + body + "\r\n";
}

} // namespace tilvano::test

namespace tilvano::test {

QByteArray MaildirFixture::deeplyNestedMessage(const QByteArray &subject, const QByteArray &text)
{
    QByteArray message = "From: a@b.de\r\nTo: c@d.de\r\nSubject: " + subject + "\r\nMIME-Version: 1.0\r\n";
    for (int i = 0; i < 50000; ++i) {
        const QByteArray boundary = "b" + QByteArray::number(i);
        message += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n--" + boundary
            + "\r\nContent-Type: text/plain\r\n\r\n" + (i == 0 ? text : QByteArray(80, 'y')) + "\r\n--" + boundary
            + "\r\n";
    }
    return message;
}

} // namespace tilvano::test
