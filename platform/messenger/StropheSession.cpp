#include "platform/messenger/StropheSession.h"

#include "system/DiagnosticOptions.h"

#include <QHash>
#include <QSocketNotifier>

#include <strophe.h>

#include <cstdio>
#include <mutex>

namespace tilvano::messenger {

namespace {

// The library calls back its socket option hook without user data; sessions
// live on the UI thread only, so a plain map finds the owner.
QHash<xmpp_conn_t *, StropheSession *> &sessionsByConnection()
{
    static QHash<xmpp_conn_t *, StropheSession *> map;
    return map;
}

bool traceWanted()
{
    return DiagnosticOptions::current().xmppTrace;
}

// Until the connection is online, and while it closes, the library keeps
// timeouts of its own (connecting, waiting for the server's features, the
// end of the stream) that it can only check during a turn. They are counted
// in seconds, so a turn a second serves them; none of them runs while online.
constexpr int libraryTimeoutCheckMs = 1000;

// A turn first writes what is queued, then reads and answers; the answers
// (the library's own, while logging in) leave only at the start of the next
// turn. And a turn reads at most 4 KiB: what TLS decrypted beyond that (up to
// one 16 KiB record) waits inside TLS, where the socket does not show it. So
// a few more turns follow each one, to send the answers and empty TLS.
constexpr int followingTurns = 4;

} // namespace

struct StropheCallbacks {
    static void connection(xmpp_conn_t *, xmpp_conn_event_t event, int error, xmpp_stream_error_t *, void *self)
    {
        static_cast<StropheSession *>(self)->onConnectionEvent(int(event), error);
    }

    static int stanza(xmpp_conn_t *, xmpp_stanza_t *stanza, void *self)
    {
        auto *session = static_cast<StropheSession *>(self);
        XmlNode node = XmlNode::fromStanza(stanza);
        session->m_pending.append([session, node] { emit session->stanzaReceived(node); });
        return 1;
    }

    static int socketCreated(xmpp_conn_t *conn, void *socket)
    {
        if (StropheSession *session = sessionsByConnection().value(conn))
            session->watchSocket(*static_cast<int *>(socket));
        // TCP keep-alive, so that a connection that died without a word
        // (sleeping laptop, dropped Wi-Fi) is noticed and retried.
        return xmpp_sockopt_cb_keepalive(conn, socket);
    }

    static void log(void *self, xmpp_log_level_t level, const char *area, const char *message)
    {
        static_cast<StropheSession *>(self)->onLogLine(int(level), QString::fromUtf8(area), QString::fromUtf8(message));
    }
};

StropheSession::StropheSession(QObject *parent)
    : QObject(parent)
{
    static std::once_flag initialized;
    std::call_once(initialized, [] { xmpp_initialize(); });

    auto *log = new xmpp_log_t{&StropheCallbacks::log, this};
    m_log.reset(log);
    m_ctx = xmpp_ctx_new(nullptr, log);
    m_libraryTimeouts.setInterval(libraryTimeoutCheckMs);
    connect(&m_libraryTimeouts, &QTimer::timeout, this, &StropheSession::turn);
}

StropheSession::~StropheSession()
{
    m_pending.clear();
    if (m_conn) {
        // A last turn so the stream end actually leaves; no signals any more.
        m_ended = true;
        if (xmpp_conn_is_connected(m_conn) || xmpp_conn_is_connecting(m_conn)) {
            xmpp_disconnect(m_conn);
            xmpp_run_once(m_ctx, 0);
        }
        forgetSocket();
        sessionsByConnection().remove(m_conn);
        xmpp_conn_release(m_conn);
        m_conn = nullptr;
    }
    xmpp_ctx_free(m_ctx);
}

void StropheSession::open(const Target &target)
{
    releaseConnection();
    m_online = false;
    m_closing = false;
    m_dropping = false;
    m_ended = false;
    m_authenticationRefused = false;
    m_encryptionMissing = false;
    m_encryptionFailed = false;

    m_conn = xmpp_conn_new(m_ctx);
    sessionsByConnection().insert(m_conn, this);
    // Stream management would resume streams we reconnect ourselves; keeping
    // it off keeps one behaviour for every server.
    long flags = XMPP_CONN_FLAG_DISABLE_SM;
    if (target.requireTls)
        flags |= XMPP_CONN_FLAG_MANDATORY_TLS;
    xmpp_conn_set_flags(m_conn, flags);
    xmpp_conn_set_jid(m_conn, target.jid.toUtf8().constData());
    xmpp_conn_set_pass(m_conn, target.password.toUtf8().constData());
    xmpp_conn_set_sockopt_callback(m_conn, &StropheCallbacks::socketCreated);
    xmpp_handler_add(m_conn, &StropheCallbacks::stanza, nullptr, nullptr, nullptr, this);

    m_inLibrary = true;
    const int rc = xmpp_connect_client(m_conn, target.address.toUtf8().constData(), target.port,
                                       &StropheCallbacks::connection, this);
    m_inLibrary = false;
    if (rc != XMPP_EOK) {
        m_pending.append([this] { finish(EndReason::ConnectFailed); });
        QTimer::singleShot(0, this, &StropheSession::deliverPending);
        return;
    }
    m_libraryTimeouts.start();
    scheduleTurn();
}

void StropheSession::close()
{
    endStream(false);
}

void StropheSession::drop()
{
    endStream(true);
}

void StropheSession::endStream(bool asLost)
{
    if (!m_conn || m_closing || m_dropping)
        return;
    (asLost ? m_dropping : m_closing) = true;
    if (xmpp_conn_is_disconnected(m_conn)) {
        finish(asLost ? EndReason::Lost : EndReason::Closed);
        return;
    }
    m_inLibrary = true;
    xmpp_disconnect(m_conn);
    m_inLibrary = false;
    // The library waits a moment for the server's end of the stream.
    m_libraryTimeouts.start();
    scheduleTurn();
}

QString StropheSession::boundJid() const
{
    if (!m_conn || !m_online)
        return {};
    const char *jid = xmpp_conn_get_bound_jid(m_conn);
    return jid ? QString::fromUtf8(jid) : QString();
}

void StropheSession::send(const QByteArray &xml)
{
    if (!m_conn || !m_online || m_closing || m_dropping)
        return;
    xmpp_send_raw(m_conn, xml.constData(), size_t(xml.size()));
    // The library writes during its next turn.
    scheduleTurn();
}

void StropheSession::scheduleTurn()
{
    if (m_turnScheduled)
        return;
    m_turnScheduled = true;
    QTimer::singleShot(0, this, &StropheSession::turn);
}

void StropheSession::turn()
{
    m_turnScheduled = false;
    if (!m_conn || m_inLibrary)
        return;
    m_inLibrary = true;
    xmpp_run_once(m_ctx, 0);
    for (int i = 0; i < followingTurns && m_conn && xmpp_conn_is_connected(m_conn); ++i)
        xmpp_run_once(m_ctx, 0);
    m_inLibrary = false;
    updateWatches();
    deliverPending();
}

void StropheSession::updateWatches()
{
    if (!m_conn)
        return;
    // Writable matters while the connection is being made, and while the
    // socket could not take all that was queued; otherwise it would fire
    // without end.
    const bool wantWritable = xmpp_conn_is_connecting(m_conn)
        || (xmpp_conn_is_connected(m_conn) && xmpp_conn_send_queue_len(m_conn) > 0);
    if (m_writable)
        m_writable->setEnabled(wantWritable);
    if (m_online && !m_closing && !m_dropping)
        m_libraryTimeouts.stop();
}

void StropheSession::deliverPending()
{
    QPointer<StropheSession> alive(this);
    while (alive && !m_pending.isEmpty()) {
        auto next = m_pending.takeFirst();
        next();
    }
}

void StropheSession::onConnectionEvent(int event, int error)
{
    if (traceWanted())
        std::fprintf(stderr, "xmpp: connection event %d error %d\n", event, error);
    if (event == XMPP_CONN_CONNECT) {
        m_online = true;
        m_pending.append([this] { emit online(); });
        return;
    }
    if (event != XMPP_CONN_DISCONNECT && event != XMPP_CONN_FAIL)
        return;
    // The socket is closed by now; stop watching it before Qt polls it.
    forgetSocket();
    EndReason reason = EndReason::ConnectFailed;
    if (m_closing)
        reason = EndReason::Closed;
    else if (m_online || m_dropping)
        reason = EndReason::Lost;
    else if (m_authenticationRefused)
        reason = EndReason::AuthenticationFailed;
    else if (m_encryptionMissing)
        reason = EndReason::EncryptionUnavailable;
    else if (m_encryptionFailed)
        reason = EndReason::EncryptionFailed;
    m_online = false;
    m_pending.append([this, reason] { finish(reason); });
}

void StropheSession::onLogLine(int level, const QString &area, const QString &message)
{
    // The trace never shows what we send while authenticating: with some
    // mechanisms that is the password itself.
    if (traceWanted() && !message.contains(QLatin1String("<auth")) && !message.contains(QLatin1String("<response")))
        std::fprintf(stderr, "xmpp %d %s: %s\n", level, qPrintable(area), qPrintable(message));
    // The library reports why a log-in ended only in its log; these are the
    // two outcomes a user must be told apart from "server unreachable".
    // Stream traffic is logged too; what a contact wrote must not pass for a
    // verdict of the library.
    if (message.startsWith(QLatin1String("RECV:")) || message.startsWith(QLatin1String("SENT:")))
        return;
    if (message.contains(QLatin1String("auth failed")) || message.contains(QLatin1String("Cannot authenticate")))
        m_authenticationRefused = true;
    if (message.contains(QLatin1String("TLS is not supported")))
        m_encryptionMissing = true;
    if (area == QLatin1String("tls") && level >= XMPP_LEVEL_WARN)
        m_encryptionFailed = true;
    if (message.contains(QLatin1String("Couldn't start TLS")) || message.contains(QLatin1String("TLS failed")))
        m_encryptionFailed = true;
}

void StropheSession::watchSocket(int fd)
{
    forgetSocket();
    m_readable = std::make_unique<QSocketNotifier>(qintptr(fd), QSocketNotifier::Read);
    connect(m_readable.get(), &QSocketNotifier::activated, this, &StropheSession::turn);
    // The socket is still connecting: writable says it is done.
    m_writable = std::make_unique<QSocketNotifier>(qintptr(fd), QSocketNotifier::Write);
    connect(m_writable.get(), &QSocketNotifier::activated, this, &StropheSession::turn);
}

void StropheSession::forgetSocket()
{
    for (std::unique_ptr<QSocketNotifier> *notifier : {&m_readable, &m_writable}) {
        if (!*notifier)
            continue;
        (*notifier)->setEnabled(false);
        // Deleting a notifier from its own activation is not allowed.
        notifier->release()->deleteLater();
    }
}

void StropheSession::releaseConnection()
{
    m_libraryTimeouts.stop();
    forgetSocket();
    if (!m_conn)
        return;
    sessionsByConnection().remove(m_conn);
    xmpp_conn_release(m_conn);
    m_conn = nullptr;
    // Releasing a live connection ends it through our handler; that ending
    // (and whatever else was left) belongs to the old connection and must
    // not reach the next one.
    m_pending.clear();
}

void StropheSession::finish(EndReason reason)
{
    if (m_ended)
        return;
    m_ended = true;
    m_online = false;
    m_libraryTimeouts.stop();
    // The connection object may only go once the library has left it.
    QTimer::singleShot(0, this, [this] {
        if (m_ended && m_conn && xmpp_conn_is_disconnected(m_conn))
            releaseConnection();
    });
    emit ended(reason);
}

} // namespace tilvano::messenger
