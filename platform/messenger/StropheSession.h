#pragma once

#include "platform/messenger/XmlNode.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

struct _xmpp_ctx_t;
struct _xmpp_log_t;
struct _xmpp_conn_t;
class QSocketNotifier;

namespace tilvano::messenger {

// One XMPP client connection driven from the Qt event loop. The library is
// only ever given a turn without waiting, and only when there is something
// to do: the socket became readable, it can take what is still queued for
// it, we queued a stanza, or (while connecting, logging in or closing, never
// while idle and online) the library's own timeouts may be due. An idle,
// online connection costs no wake-ups at all. Nothing here blocks.
//
// Signals are emitted only after the library has returned, never from inside
// its callbacks, so a receiver may close or even delete the session.
class StropheSession : public QObject {
    Q_OBJECT
public:
    struct Target {
        QString jid;
        QString password;
        QString address;     // numeric address of the server; names are resolved by the caller
        quint16 port = 5222;
        bool requireTls = true;
    };

    enum class EndReason {
        Closed,                // we closed it
        Lost,                  // was online, the stream or socket ended
        ConnectFailed,         // never got as far as authenticating
        AuthenticationFailed,  // the server refused the credentials
        EncryptionUnavailable, // encryption demanded but not offered
        EncryptionFailed,      // TLS failed: no trusted certificate, or a broken handshake
    };
    Q_ENUM(EndReason)

    explicit StropheSession(QObject *parent = nullptr);
    ~StropheSession() override;

    // Starts connecting; false when the attempt could not even start (the
    // reason then follows as ended()).
    void open(const Target &target);
    // Ends the stream politely; ended(Closed) follows.
    void close();
    // Ends a connection that stopped answering; ended(Lost) follows.
    void drop();
    bool isOnline() const { return m_online; }
    bool isActive() const { return m_conn != nullptr; }
    // The full JID the server bound for this connection (empty when offline).
    QString boundJid() const;
    // Queues one serialized stanza; dropped when not online.
    void send(const QByteArray &xml);

signals:
    void online();
    void ended(tilvano::messenger::StropheSession::EndReason reason);
    void stanzaReceived(const tilvano::messenger::XmlNode &stanza);

private:
    friend struct StropheCallbacks;
    void onConnectionEvent(int event, int error);
    void onLogLine(int level, const QString &area, const QString &message);

    void turn();
    void scheduleTurn();
    void updateWatches();
    void deliverPending();
    void watchSocket(int fd);
    void forgetSocket();
    void endStream(bool asLost);
    void releaseConnection();
    void finish(EndReason reason);

    std::unique_ptr<_xmpp_log_t> m_log;
    _xmpp_ctx_t *m_ctx = nullptr;
    _xmpp_conn_t *m_conn = nullptr;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    QTimer m_libraryTimeouts;
    QList<std::function<void()>> m_pending;
    bool m_online = false;
    bool m_closing = false;
    bool m_dropping = false;
    bool m_turnScheduled = false;
    bool m_authenticationRefused = false;
    bool m_encryptionMissing = false;
    bool m_encryptionFailed = false;
    bool m_inLibrary = false;
    bool m_ended = false;
};

} // namespace tilvano::messenger
