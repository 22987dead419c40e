#include "platform/mail/ImapFolderWatcher.h"

#include "platform/mail/MailErrors.h"
#include "platform/mail/MimeMessageReader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

namespace tilvano::mail {

ImapFolderWatcher::ImapFolderWatcher(Role role, MailSettings settings, QString password, QObject *parent)
    : QObject(parent)
    , m_role(role)
    , m_settings(std::move(settings))
    , m_password(std::move(password))
    , m_wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    qRegisterMetaType<tilvano::ErrorInfo>();
    qRegisterMetaType<tilvano::mail::MailItem>();
    qRegisterMetaType<QList<tilvano::mail::MailItem>>();
}

ImapFolderWatcher::~ImapFolderWatcher()
{
    m_stopping = true;
    wake();
    m_session.interrupt();
    if (m_thread.joinable())
        m_thread.join();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void ImapFolderWatcher::start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { run(); });
}

void ImapFolderWatcher::checkNow()
{
    m_checkRequested = true;
    wake();
}

void ImapFolderWatcher::setReconnectPauses(int firstMs, int ceilingMs)
{
    m_firstPauseMs = firstMs;
    m_ceilingPauseMs = ceilingMs;
}

void ImapFolderWatcher::wake()
{
    const quint64 one = 1;
    if (m_wakeFd >= 0)
        [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
}

void ImapFolderWatcher::drainWake()
{
    quint64 count = 0;
    [[maybe_unused]] const ssize_t read = ::read(m_wakeFd, &count, sizeof count);
}

bool ImapFolderWatcher::pause(int ms)
{
    pollfd fd{m_wakeFd, POLLIN, 0};
    while (!m_stopping) {
        const int ready = ::poll(&fd, 1, ms);
        drainWake();
        if (ready == 0 || (ready > 0 && ms >= 0))
            break; // time is up, or woken by a request that can wait for the connection
    }
    return !m_stopping;
}

void ImapFolderWatcher::run()
{
    const QString folder = m_role == Role::Inbox ? m_settings.imapInbox : m_settings.imapSentFolder;
    int pauseMs = m_firstPauseMs;
    int failuresInARow = 0;
    while (!m_stopping) {
        ErrorInfo error;
        ImapSession::FolderState state;
        ImapSession::Failure failure = m_session.open(m_settings, m_password, &error);
        if (failure == ImapSession::Failure::None)
            failure = m_session.examine(folder, &state, &error);
        if (m_stopping)
            break;
        if (failure != ImapSession::Failure::None) {
            m_session.close();
            const bool refused =
                failure == ImapSession::Failure::Login || failure == ImapSession::Failure::Certificate;
            emit failed(error, refused || ++failuresInARow >= failuresForGood);
            if (refused) {
                pause(-1); // until stopped: the settings must change first
                break;
            }
            if (!pause(pauseMs))
                break;
            pauseMs = std::min(pauseMs * 2, m_ceilingPauseMs);
            continue;
        }
        failuresInARow = 0;
        pauseMs = m_firstPauseMs;
        if (m_needBaseline || state.uidValidity != m_uidValidity)
            takeBaseline(state);
        emit connected();

        bool requested = m_checkRequested.exchange(false);
        for (;;) {
            const bool looked = m_role == Role::Inbox ? checkInbox(requested) : checkSent();
            if (!looked || m_stopping)
                break;
            const ImapSession::Wait waited =
                m_session.waitForChange(m_wakeFd, m_session.hasIdle() ? idleRenewMs : pollIntervalMs);
            drainWake();
            if (m_stopping || waited == ImapSession::Wait::Failed)
                break;
            requested = m_checkRequested.exchange(false);
        }
        m_session.close();
        if (m_stopping)
            break;
        emit failed(mailError(MailError::StoreUnreadable,
                              QStringLiteral("Die Verbindung zum IMAP-Server %1 ist abgerissen.").arg(m_settings.imapHost)),
                    false);
        if (!pause(m_firstPauseMs))
            break;
    }
}

void ImapFolderWatcher::takeBaseline(const ImapSession::FolderState &state)
{
    // What the folder holds when it is first seen (or renumbered) is not news.
    m_uidValidity = state.uidValidity;
    m_newestUid = 0;
    if (state.uidNext > 0) {
        m_lastUid = state.uidNext - 1;
    } else {
        QList<quint32> all;
        m_lastUid = m_session.searchFrom(1, &all) && !all.isEmpty() ? all.last() : 0;
    }
    m_needBaseline = false;
}

bool ImapFolderWatcher::checkInbox(bool requested)
{
    QList<quint32> unseen;
    QList<quint32> fresh;
    if (!m_session.refresh() || !m_session.searchUnseen(&unseen) || !m_session.searchFrom(m_lastUid + 1, &fresh))
        return false;
    bool arrived = false;
    for (quint32 uid : std::as_const(fresh))
        arrived = arrived || std::binary_search(unseen.cbegin(), unseen.cend(), uid);
    if (!fresh.isEmpty())
        m_lastUid = std::max(m_lastUid, fresh.last());
    const quint32 newest = unseen.isEmpty() ? 0 : unseen.last();
    if (newest != 0 && newest != m_newestUid) {
        QByteArray message;
        if (!m_session.fetch(newest, MimeMessageReader::maxParseBytes, &message))
            return false;
        m_newest = MimeMessageReader::parse(message);
        m_newestUid = newest;
    }
    emit inboxChecked(int(unseen.size()), newest ? m_newest : MailItem{}, newest != 0, arrived, requested);
    return true;
}

bool ImapFolderWatcher::checkSent()
{
    QList<quint32> fresh;
    if (!m_session.refresh() || !m_session.searchFrom(m_lastUid + 1, &fresh))
        return false;
    if (fresh.isEmpty())
        return true;
    m_lastUid = std::max(m_lastUid, fresh.last());
    // Many at one stroke are a synchronisation, not somebody sending.
    if (fresh.size() > maxSentAtOnce)
        return true;
    QList<MailItem> items;
    for (quint32 uid : std::as_const(fresh)) {
        QByteArray message;
        if (!m_session.fetch(uid, MimeMessageReader::maxParseBytes, &message))
            return false;
        if (!message.isEmpty())
            items << MimeMessageReader::parse(message);
    }
    if (!items.isEmpty())
        emit sentArrived(items);
    return true;
}

} // namespace tilvano::mail
