#pragma once

#include "platform/mail/Clock.h"
#include "platform/mail/MailApplication.h"
#include "platform/mail/MailSettings.h"
#include "platform/mail/MaildirFolder.h"
#include "platform/mail/ReminderScheduler.h"

#include <QFileSystemWatcher>
#include <QSet>

#include <memory>

namespace tilvano::mail {

// The mail application on a local Maildir: the Maildir's own folder is the
// inbox, the sent folder a Maildir next to or inside it, the calendar folder a
// vdir of .ics files. Changes are noticed through inotify, never by polling.
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

    MailSettings m_settings;
    MaildirFolder m_inbox;
    MaildirFolder m_sent;
    QFileSystemWatcher m_watcher;
    QSet<QString> m_knownNew;
    QSet<QString> m_knownSent;
    bool m_sentWatched = false;
    ReminderScheduler m_reminders;
    int m_syncTimeoutMs = 120000;
};

} // namespace tilvano::mail
