#pragma once

#include "platform/mail/Clock.h"
#include "platform/mail/MailApplication.h"
#include "platform/mail/MailSettings.h"
#include "platform/mail/MaildirFolder.h"
#include "platform/mail/ReminderScheduler.h"
#include "platform/mail/SyncCommandRunner.h"
#include "platform/mail/WorkerThread.h"

#include <QFileSystemWatcher>
#include <QSet>

#include <functional>
#include <memory>

namespace tilvano::mail {

// The mail application on a local Maildir: the Maildir's own folder is the
// inbox, the sent folder a Maildir next to or inside it, the calendar folder a
// vdir of .ics files. Changes are noticed through inotify, never by polling;
// that includes the Maildir itself being made or removed, which makes the
// application start up or quit.
//
// Messages are known by the unique part of their file name, which sync tools
// keep while they move a message to cur/, change its flags or add the
// server's UID; so a message is announced once. They are parsed on a worker
// thread: the newest unread one before new mail is announced, so that the
// client asking for it next gets it at once, and sent ones before they are
// announced. A message is parsed once while it stays the newest.
class MaildirMailApplication final : public MailApplication {
    Q_OBJECT
public:
    // Opens whether or not the Maildir exists; problem() says what is wrong.
    static std::unique_ptr<MaildirMailApplication> open(const MailSettings &settings, const Clock &clock);
    ~MaildirMailApplication() override;

    MailResult<int> unreadCount() override;
    MailResult<MailItem> unreadItem(int index) override;
    MailResult<bool> startSendAndReceive() override;
    bool isSendingAndReceiving() const override { return m_sync.isRunning(); }
    ErrorInfo problem() const override { return m_problem; }

    // More sent mails than this appearing together are taken in without
    // events: that is a synchronisation, not somebody sending.
    static constexpr int maxSentAtOnce = 10;

    void setSyncTimeout(int milliseconds) { m_sync.setTimeout(milliseconds); }
    const ReminderScheduler &reminders() const { return m_reminders; }

private:
    MaildirMailApplication(const MailSettings &settings, const Clock &clock);

    struct ParsedMessage {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        MailItem item;
    };
    static ParsedMessage parseFile(const QString &path);

    enum class SentFolderContent { Announce, TakeIn };
    void watchFolders(SentFolderContent content = SentFolderContent::Announce);
    void folderChanged(const QString &path);
    // Compares the Maildir with what was known: starts up or quits.
    void checkReachable();
    void takeInWithoutEvents();
    void inboxChanged();
    void sentChanged();
    // Parses the newest unread message on the worker unless it is parsed
    // already, then runs `then`.
    void withNewestParsed(std::function<void()> then);
    bool isParsedNewest(const QString &path) const;
    void syncFinished(const ErrorInfo &result);

    MailSettings m_settings;
    MaildirFolder m_inbox;
    MaildirFolder m_sent;
    QFileSystemWatcher m_watcher;
    QSet<QString> m_knownNew;
    QSet<QString> m_knownSent;
    bool m_sentWatched = false;
    bool m_sentWatchedBeforeSync = false;
    ErrorInfo m_problem;
    ReminderScheduler m_reminders;
    SyncCommandRunner m_sync;
    ParsedMessage m_newest;
    WorkerThread m_parser;
};

} // namespace tilvano::mail
