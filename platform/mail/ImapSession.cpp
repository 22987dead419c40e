#include "platform/mail/ImapSession.h"

#include "platform/mail/MailErrors.h"

#include <QSslCertificate>
#include <QSslError>

#include <libetpan/libetpan.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace tilvano::mail {

namespace {

ErrorInfo imapError(const QString &description)
{
    return mailError(MailError::CannotCreate, description);
}

QString serverName(const MailSettings &settings)
{
    return QStringLiteral("%1:%2").arg(settings.imapHost).arg(settings.imapPort);
}

// The chain the server showed, checked like a browser checks it.
QString certificateProblem(mailstream *stream, const QString &host)
{
    carray *chain = mailstream_get_certificate_chain(stream);
    if (!chain)
        return QStringLiteral("Der Server hat kein Zertifikat vorgelegt.");
    QList<QSslCertificate> certificates;
    for (unsigned int i = 0; i < carray_count(chain); ++i) {
        auto *der = static_cast<MMAPString *>(carray_get(chain, i));
        certificates << QSslCertificate(QByteArray(der->str, qsizetype(der->len)), QSsl::Der);
    }
    mailstream_certificate_chain_free(chain);
    const QList<QSslError> errors = QSslCertificate::verify(certificates, host);
    if (errors.isEmpty())
        return QString();
    return errors.first().errorString();
}

} // namespace

ImapSession::ImapSession() = default;

ImapSession::~ImapSession()
{
    close();
}

int ImapSession::socketFd() const
{
    if (!m_imap || !m_imap->imap_stream)
        return -1;
    mailstream_low *low = mailstream_get_low(m_imap->imap_stream);
    return low ? mailstream_low_get_fd(low) : -1;
}

ImapSession::Failure ImapSession::open(const MailSettings &settings, const QString &password, ErrorInfo *error)
{
    close();
    m_imap = mailimap_new(0, nullptr);
    if (!m_imap) {
        *error = imapError(QStringLiteral("Die IMAP-Verbindung konnte nicht angelegt werden."));
        return Failure::Connect;
    }
    mailimap_set_timeout(m_imap, time_t(m_timeoutSeconds));
    const QByteArray host = settings.imapHost.toUtf8();
    const auto port = uint16_t(settings.imapPort);
    int result = settings.imapSecurity == MailSettings::Security::Tls
        ? mailimap_ssl_connect(m_imap, host.constData(), port)
        : mailimap_socket_connect(m_imap, host.constData(), port);
    if (result == MAILIMAP_NO_ERROR_NON_AUTHENTICATED && settings.imapSecurity == MailSettings::Security::StartTls)
        result = mailimap_socket_starttls(m_imap) == MAILIMAP_NO_ERROR ? MAILIMAP_NO_ERROR_NON_AUTHENTICATED : -1;
    if (result != MAILIMAP_NO_ERROR_NON_AUTHENTICATED && result != MAILIMAP_NO_ERROR_AUTHENTICATED) {
        *error = imapError(QStringLiteral("Der IMAP-Server %1 ist nicht erreichbar%2.")
                               .arg(serverName(settings),
                                    settings.imapSecurity == MailSettings::Security::StartTls
                                        ? QStringLiteral(" oder bietet kein STARTTLS an")
                                        : QString()));
        close();
        return Failure::Connect;
    }
    {
        const std::lock_guard lock(m_fdMutex);
        m_fd = socketFd();
    }
    if (settings.imapSecurity != MailSettings::Security::None) {
        const QString problem = certificateProblem(m_imap->imap_stream, settings.imapHost);
        if (!problem.isEmpty()) {
            *error = imapError(QStringLiteral("Dem Zertifikat des IMAP-Servers %1 ist nicht zu trauen: %2")
                                   .arg(serverName(settings), problem));
            close();
            return Failure::Certificate;
        }
    }
    if (result == MAILIMAP_NO_ERROR_NON_AUTHENTICATED) {
        const QByteArray user = settings.imapUser.toUtf8();
        const QByteArray secret = password.toUtf8();
        const int login = mailimap_login(m_imap, user.constData(), secret.constData());
        if (login != MAILIMAP_NO_ERROR) {
            const bool refused = login == MAILIMAP_ERROR_LOGIN;
            *error = imapError(refused ? QStringLiteral("Der IMAP-Server %1 hat die Anmeldung als \u201E%2\u201C "
                                                        "abgelehnt. Bitte Benutzer und Passwort pr\u00FCfen.")
                                             .arg(serverName(settings), settings.imapUser)
                                       : QStringLiteral("Die Anmeldung am IMAP-Server %1 ist gescheitert.")
                                             .arg(serverName(settings)));
            close();
            return refused ? Failure::Login : Failure::Lost;
        }
    }
    return Failure::None;
}

ImapSession::Failure ImapSession::examine(const QString &folder, FolderState *state, ErrorInfo *error)
{
    const QByteArray name = folder.toUtf8();
    if (mailimap_examine(m_imap, name.constData()) != MAILIMAP_NO_ERROR || !m_imap->imap_selection_info) {
        *error = imapError(QStringLiteral("Der IMAP-Ordner \u201E%1\u201C kann nicht ge\u00F6ffnet werden.").arg(folder));
        return Failure::Folder;
    }
    state->uidValidity = m_imap->imap_selection_info->sel_uidvalidity;
    state->uidNext = m_imap->imap_selection_info->sel_uidnext;
    return Failure::None;
}

void ImapSession::close()
{
    if (!m_imap)
        return;
    {
        const std::lock_guard lock(m_fdMutex);
        m_fd = -1;
    }
    mailimap_free(m_imap);
    m_imap = nullptr;
}

void ImapSession::interrupt()
{
    const std::lock_guard lock(m_fdMutex);
    if (m_fd >= 0)
        ::shutdown(m_fd, SHUT_RDWR);
}

bool ImapSession::refresh()
{
    return mailimap_noop(m_imap) == MAILIMAP_NO_ERROR;
}

bool ImapSession::searchBy(mailimap_search_key *key, QList<quint32> *uids)
{
    clist *result = nullptr;
    const int r = mailimap_uid_search(m_imap, nullptr, key, &result);
    mailimap_search_key_free(key);
    if (r != MAILIMAP_NO_ERROR)
        return false;
    uids->clear();
    for (clistiter *it = clist_begin(result); it; it = clist_next(it))
        *uids << *static_cast<uint32_t *>(clist_content(it));
    mailimap_search_result_free(result);
    std::sort(uids->begin(), uids->end());
    return true;
}

bool ImapSession::searchUnseen(QList<quint32> *uids)
{
    return searchBy(mailimap_search_key_new(MAILIMAP_SEARCH_KEY_UNSEEN, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                                            nullptr, nullptr, nullptr),
                    uids);
}

bool ImapSession::searchFrom(quint32 firstUid, QList<quint32> *uids)
{
    // "n:*" also names the last message when every UID is below n.
    if (!searchBy(mailimap_search_key_new_uid(mailimap_set_new_interval(std::max<quint32>(firstUid, 1), 0)), uids))
        return false;
    uids->removeIf([firstUid](quint32 uid) { return uid < firstUid; });
    return true;
}

bool ImapSession::fetch(quint32 uid, qint64 maxBytes, QByteArray *message)
{
    message->clear();
    mailimap_set *set = mailimap_set_new_single(uid);
    mailimap_fetch_type *type = mailimap_fetch_type_new_fetch_att_list_empty();
    mailimap_fetch_att *peek =
        mailimap_fetch_att_new_body_peek_section_partial(mailimap_section_new(nullptr), 0, uint32_t(maxBytes));
    mailimap_fetch_type_new_fetch_att_list_add(type, peek);
    clist *result = nullptr;
    const int r = mailimap_uid_fetch(m_imap, set, type, &result);
    mailimap_fetch_type_free(type);
    mailimap_set_free(set);
    if (r != MAILIMAP_NO_ERROR)
        return false;
    for (clistiter *m = clist_begin(result); m; m = clist_next(m)) {
        auto *attributes = static_cast<mailimap_msg_att *>(clist_content(m));
        for (clistiter *a = clist_begin(attributes->att_list); a; a = clist_next(a)) {
            auto *item = static_cast<mailimap_msg_att_item *>(clist_content(a));
            if (item->att_type != MAILIMAP_MSG_ATT_ITEM_STATIC || !item->att_data.att_static
                || item->att_data.att_static->att_type != MAILIMAP_MSG_ATT_BODY_SECTION)
                continue;
            const mailimap_msg_att_body_section *section = item->att_data.att_static->att_data.att_body_section;
            if (section && section->sec_body_part)
                *message = QByteArray(section->sec_body_part, qsizetype(section->sec_length));
        }
    }
    mailimap_fetch_list_free(result);
    return true;
}

bool ImapSession::hasIdle() const
{
    return m_imap && mailimap_has_idle(m_imap);
}

ImapSession::Wait ImapSession::waitForChange(int wakeFd, int timeoutMs)
{
    const bool idle = hasIdle();
    if (idle && mailimap_idle(m_imap) != MAILIMAP_NO_ERROR)
        return Wait::Failed;
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {idle ? mailimap_idle_get_fd(m_imap) : -1, POLLIN, 0}};
    const int ready = ::poll(fds, idle ? 2 : 1, timeoutMs);
    Wait outcome = Wait::TimedOut;
    if (ready < 0)
        outcome = Wait::Failed;
    else if (fds[0].revents)
        outcome = Wait::Woken;
    else if (idle && fds[1].revents)
        outcome = Wait::Changed;
    if (idle && mailimap_idle_done(m_imap) != MAILIMAP_NO_ERROR)
        return Wait::Failed;
    if (!idle && outcome != Wait::Woken) {
        // Without IDLE, a NOOP tells whether the connection still holds.
        if (mailimap_noop(m_imap) != MAILIMAP_NO_ERROR)
            return Wait::Failed;
    }
    return outcome;
}

} // namespace tilvano::mail
