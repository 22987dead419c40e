#pragma once

#include "platform/mail/Clock.h"
#include "platform/mail/MailApplication.h"
#include "platform/mail/MailSettings.h"
#include "platform/mail/MaildirFolder.h"
#include "platform/mail/ReminderScheduler.h"
#include "platform/mail/WorkerThread.h"

#include <QFileSystemWatcher>
#include <QSet>

#include <memory>

namespace tilvano::mail {

// The mail application on a local Maildir: the Maildir's own folder is the
// inbox, the sent folder a Maildir next to or inside it, the calendar folder a
// vdir of .ics files. Changes are noticed through inotify, never by polling.
//
// Messages are parsed on a worker thread: the newest unread one before new
// mail is announced, so that the client asking for it next gets it at once,
// and sent ones before they are announced. A message is parsed once while it
// stays the newest.
class MaildirMailApplication final : public MailApplication {
    Q_OBJECT
public:
    // Fails when the inbox is missing or is not a Maildir.
    static MailResult<std::unique_ptr<MaildirMailApplication>> open(const MailSettings &settings,
                                                                    const Clock &clock);
    ~MaildirMailApplication() override;

    MailResult<int> unreadCount() override;
    MailResult<MailItem> unreadItem(int index) override;
    MailResult<bool> sendAndReceive() override;

    // More sent mails than this appearing together are taken in without
    // events: that is a synchronisation, not somebody sending.
    static constexpr int maxSentAtOnce = 10;

    void setSyncTimeout(int milliseconds) { m_syncTimeoutMs = milliseconds; }
    const ReminderScheduler &reminders() const { return m_reminders; }

private:
    MaildirMailApplication(const MailSettings &settings, const Clock &clock);

    void watchFolders();
    void folderChanged(const QString &path);
    void inboxChanged();
    void sentChanged();
    // Parses the newest unread message unless it is parsed already, then
    // raises NewMail.
    void announceNewMail();
    bool isParsedNewest(const QString &path) const;

    struct ParsedMessage {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        MailItem item;
    };
    static ParsedMessage parseFile(const QString &path);

    MailSettings m_settings;
    MaildirFolder m_inbox;
    MaildirFolder m_sent;
    QFileSystemWatcher m_watcher;
    QSet<QString> m_knownNew;
    QSet<QString> m_knownSent;
    bool m_sentWatched = false;
    ReminderScheduler m_reminders;
    int m_syncTimeoutMs = 120000;
    ParsedMessage m_newest;
    WorkerThread m_parser;
};

} // namespace tilvano::mail
