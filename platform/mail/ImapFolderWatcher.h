#pragma once

#include "common/ErrorInfo.h"
#include "platform/mail/ImapSession.h"
#include "platform/mail/MailItem.h"
#include "platform/mail/MailSettings.h"

#include <QList>
#include <QObject>

#include <atomic>
#include <thread>

namespace tilvano::mail {

// Watches one folder of an IMAP account from a thread of its own: connects,
// waits for changes with IDLE (or looks again every so often where the
// server has no IDLE), and reports what changed. A lost connection is made
// again after a pause that doubles up to a ceiling; a refused password or
// certificate is not tried again (that only locks accounts).
//
// Messages are known by UID: after a reconnect, only those that arrived
// meanwhile are news, once. Nothing is marked as read. Signals come from the
// watcher's thread; receivers on other threads get them queued.
class ImapFolderWatcher : public QObject {
    Q_OBJECT
public:
    enum class Role { Inbox, Sent };

    ImapFolderWatcher(Role role, MailSettings settings, QString password, QObject *parent = nullptr);
    ~ImapFolderWatcher() override;

    void start();
    // Thread-safe: look at the folder now; the next inboxChecked says requested.
    void checkNow();
    void setReconnectPauses(int firstMs, int ceilingMs);

    // Failed attempts in a row after which a lost account counts as lost for good.
    static constexpr int failuresForGood = 4;
    // IDLE is renewed within the 29 minutes servers allow.
    static constexpr int idleRenewMs = 25 * 60 * 1000;
    // Without IDLE, the folder is looked at this often.
    static constexpr int pollIntervalMs = 60 * 1000;
    static constexpr int maxSentAtOnce = 10;

signals:
    void connected();
    // An attempt failed or the connection was lost; forGood when it will
    // not come back by itself (refused, or lost too often in a row).
    void failed(const tilvano::ErrorInfo &error, bool forGood);
    // The inbox after a look: unread count, the newest unread (when
    // hasNewest), whether unread mail arrived since the last look.
    void inboxChecked(int unread, const tilvano::mail::MailItem &newest, bool hasNewest, bool arrived, bool requested);
    void sentArrived(const QList<tilvano::mail::MailItem> &items);

private:
    void run();
    bool checkInbox(bool requested);
    bool checkSent();
    void takeBaseline(const ImapSession::FolderState &state);
    // Waits for `ms` (or for ever with -1) unless woken; false when stopping.
    bool pause(int ms);
    void wake();
    void drainWake();

    const Role m_role;
    const MailSettings m_settings;
    const QString m_password;
    ImapSession m_session;
    std::thread m_thread;
    std::atomic_bool m_stopping{false};
    std::atomic_bool m_checkRequested{false};
    int m_wakeFd = -1;
    int m_firstPauseMs = 1000;
    int m_ceilingPauseMs = 60000;

    // Only touched on the watcher's thread.
    quint32 m_uidValidity = 0;
    quint32 m_lastUid = 0;
    bool m_needBaseline = true;
    quint32 m_newestUid = 0;
    MailItem m_newest;
};

} // namespace tilvano::mail
