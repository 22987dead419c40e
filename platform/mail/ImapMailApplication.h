#pragma once

#include "platform/mail/Clock.h"
#include "platform/mail/ImapFolderWatcher.h"
#include "platform/mail/MailApplication.h"
#include "platform/mail/MailSettings.h"
#include "platform/mail/ReminderScheduler.h"

#include <memory>

namespace tilvano {
class CredentialStore;
}

namespace tilvano::mail {

// The mail application on an IMAP account: the inbox watched with IDLE, the
// sent folder watched for mail being sent, both on threads of their own;
// reminders from the calendar folder as with a Maildir. The password comes
// from the credential store. What the interface asks (the unread count, the
// newest unread mail) is what the inbox's watcher last reported, so no call
// waits for the server.
class ImapMailApplication final : public MailApplication {
    Q_OBJECT
public:
    static std::unique_ptr<ImapMailApplication> open(const MailSettings &settings, const Clock &clock);
    ~ImapMailApplication() override;

    MailResult<int> unreadCount() override;
    // Only the newest unread mail is held: index 1.
    MailResult<MailItem> unreadItem(int index) override;
    MailResult<bool> startSendAndReceive() override;
    bool isSendingAndReceiving() const override { return m_fetching; }
    ErrorInfo problem() const override { return m_problem; }

    // Pauses before reconnecting, for tests that drop connections.
    static void setReconnectPausesForTesting(int firstMs, int ceilingMs);

private:
    ImapMailApplication(const MailSettings &settings, const Clock &clock);

    void startWatching(const QString &password);
    void connected();
    void failed(const ErrorInfo &error, bool forGood);
    void inboxChecked(int unread, const MailItem &newest, bool hasNewest, bool arrived, bool requested);
    void sentArrived(const QList<MailItem> &items);
    void setProblem(const ErrorInfo &problem);

    enum class Reach { Starting, Reachable, Unreachable };

    MailSettings m_settings;
    ReminderScheduler m_reminders;
    CredentialStore *m_credentials = nullptr;
    std::unique_ptr<ImapFolderWatcher> m_inbox;
    std::unique_ptr<ImapFolderWatcher> m_sent;
    Reach m_reach = Reach::Starting;
    ErrorInfo m_problem;
    bool m_checked = false;
    int m_unread = 0;
    bool m_hasNewest = false;
    MailItem m_newest;
    bool m_fetching = false;
};

} // namespace tilvano::mail
