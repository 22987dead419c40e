#include "platform/mail/ImapMailApplication.h"

#include "platform/mail/MailErrors.h"
#include "system/credentials/CredentialStore.h"

#include <QPointer>

namespace tilvano::mail {

namespace {

int g_firstPauseMs = 1000;
int g_ceilingPauseMs = 60000;

ErrorInfo notConnectedYet(const MailSettings &settings)
{
    return mailError(MailError::StoreUnreadable,
                     QStringLiteral("Die Verbindung zum IMAP-Server %1 wird noch aufgebaut.").arg(settings.imapHost));
}

} // namespace

void ImapMailApplication::setReconnectPausesForTesting(int firstMs, int ceilingMs)
{
    g_firstPauseMs = firstMs;
    g_ceilingPauseMs = ceilingMs;
}

std::unique_ptr<ImapMailApplication> ImapMailApplication::open(const MailSettings &settings, const Clock &clock)
{
    return std::unique_ptr<ImapMailApplication>(new ImapMailApplication(settings, clock));
}

ImapMailApplication::ImapMailApplication(const MailSettings &settings, const Clock &clock)
    : m_settings(settings)
    , m_reminders(settings.calendarPath(), clock)
    , m_credentials(new CredentialStore(this))
{
    connect(&m_reminders, &ReminderScheduler::reminderDue, this, &MailApplication::reminder);
    connect(&m_reminders, &ReminderScheduler::noteForLog, this, &MailApplication::noteForLog);
    m_reminders.start();
    if (m_settings.imapHost.isEmpty() || m_settings.imapUser.isEmpty()) {
        m_problem = mailError(MailError::CannotCreate,
                              QStringLiteral("F\u00FCr das IMAP-Konto fehlen Server oder Benutzer."));
        m_reach = Reach::Unreachable;
        return;
    }
    const QPointer<ImapMailApplication> self(this);
    m_credentials->lookup(m_settings.credentialKey(), [self](const CredentialResult &result) {
        if (!self)
            return;
        if (!result.ok || result.password.isEmpty()) {
            self->setProblem(mailError(MailError::CannotCreate,
                                       result.ok ? QStringLiteral("F\u00FCr das IMAP-Konto ist kein Passwort gespeichert.")
                                                 : result.error));
            self->m_reach = Reach::Unreachable;
            return;
        }
        self->startWatching(result.password);
    });
}

ImapMailApplication::~ImapMailApplication() = default;

void ImapMailApplication::startWatching(const QString &password)
{
    m_inbox = std::make_unique<ImapFolderWatcher>(ImapFolderWatcher::Role::Inbox, m_settings, password);
    m_sent = std::make_unique<ImapFolderWatcher>(ImapFolderWatcher::Role::Sent, m_settings, password);
    for (ImapFolderWatcher *watcher : {m_inbox.get(), m_sent.get()})
        watcher->setReconnectPauses(g_firstPauseMs, g_ceilingPauseMs);
    // The inbox speaks for the account's reachability.
    connect(m_inbox.get(), &ImapFolderWatcher::connected, this, &ImapMailApplication::connected);
    connect(m_inbox.get(), &ImapFolderWatcher::failed, this, &ImapMailApplication::failed);
    connect(m_inbox.get(), &ImapFolderWatcher::inboxChecked, this, &ImapMailApplication::inboxChecked);
    connect(m_sent.get(), &ImapFolderWatcher::sentArrived, this, &ImapMailApplication::sentArrived);
    m_inbox->start();
    m_sent->start();
}

void ImapMailApplication::setProblem(const ErrorInfo &problem)
{
    if (problem == m_problem)
        return;
    m_problem = problem;
    emit problemChanged();
}

void ImapMailApplication::connected()
{
    const bool cameBack = m_reach == Reach::Unreachable;
    m_reach = Reach::Reachable;
    const QPointer<ImapMailApplication> alive(this);
    setProblem({});
    if (alive && cameBack)
        emit startup();
}

void ImapMailApplication::failed(const ErrorInfo &error, bool forGood)
{
    const QPointer<ImapMailApplication> alive(this);
    if (m_fetching) {
        m_fetching = false;
        emit sendAndReceiveFinished(error);
        if (!alive)
            return;
    }
    // A connection that drops and comes back is no news; one that cannot be
    // made from the start, or is lost for good, is.
    if (m_reach == Reach::Reachable && !forGood)
        return;
    const bool wasReachable = m_reach == Reach::Reachable;
    m_reach = Reach::Unreachable;
    setProblem(error);
    if (alive && wasReachable)
        emit quit();
}

void ImapMailApplication::inboxChecked(int unread, const MailItem &newest, bool hasNewest, bool arrived,
                                       bool requested)
{
    m_checked = true;
    m_unread = unread;
    m_hasNewest = hasNewest;
    m_newest = newest;
    const QPointer<ImapMailApplication> alive(this);
    if (requested && m_fetching) {
        // Mail fetched on request is taken in without NewMail: whoever asked
        // looks at the inbox next.
        m_fetching = false;
        emit sendAndReceiveFinished({});
        return;
    }
    if (arrived)
        emit newMail();
}

void ImapMailApplication::sentArrived(const QList<MailItem> &items)
{
    const QPointer<ImapMailApplication> alive(this);
    for (const MailItem &item : items) {
        bool cancel = false;
        emit itemSend(item, cancel);
        if (!alive)
            return;
    }
}

MailResult<int> ImapMailApplication::unreadCount()
{
    if (!m_checked)
        return MailResult<int>::failure(m_problem.isError() ? m_problem : notConnectedYet(m_settings));
    return {m_unread, {}};
}

MailResult<MailItem> ImapMailApplication::unreadItem(int index)
{
    if (!m_checked)
        return MailResult<MailItem>::failure(m_problem.isError() ? m_problem : notConnectedYet(m_settings));
    if (index != 1 || !m_hasNewest)
        return MailResult<MailItem>::failure(noSuchItem(index, m_hasNewest ? 1 : 0));
    return {m_newest, {}};
}

MailResult<bool> ImapMailApplication::startSendAndReceive()
{
    if (!m_inbox || m_reach != Reach::Reachable)
        return MailResult<bool>::failure(m_problem.isError() ? m_problem : notConnectedYet(m_settings));
    m_fetching = true;
    m_inbox->checkNow();
    m_sent->checkNow();
    return {true, {}};
}

} // namespace tilvano::mail
