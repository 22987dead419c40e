#pragma once

#include "common/ErrorInfo.h"
#include "platform/mail/MailSettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <mutex>

struct mailimap;
struct mailimap_search_key;

namespace tilvano::mail {

// One IMAP connection, driven by libetpan, for a worker thread: every call
// blocks until the server answered or the time limit passed. Another thread
// may only call interrupt(), which makes whatever waits return at once.
//
// Folders are opened read-only (EXAMINE) and messages fetched with
// BODY.PEEK, so nothing here marks a message as read: the user's own mail
// client keeps showing it as new. With TLS the server's certificate is
// checked against the system's authorities and the host name.
class ImapSession {
public:
    enum class Failure { None, Connect, Certificate, Login, Folder, Lost };

    struct FolderState {
        quint32 uidValidity = 0;
        quint32 uidNext = 0;
    };

    ImapSession();
    ~ImapSession();
    ImapSession(const ImapSession &) = delete;
    ImapSession &operator=(const ImapSession &) = delete;

    // Connects and logs in. The error's description is German.
    Failure open(const MailSettings &settings, const QString &password, ErrorInfo *error);
    Failure examine(const QString &folder, FolderState *state, ErrorInfo *error);
    void close();
    bool isOpen() const { return m_imap != nullptr; }

    // Has the server bring this connection's view of the folder up to date
    // (other clients' changes); searches alone need not see them.
    bool refresh();
    // UIDs of the unseen messages, and of those from `firstUid` on.
    bool searchUnseen(QList<quint32> *uids);
    bool searchFrom(quint32 firstUid, QList<quint32> *uids);
    // The start of the message, at most maxBytes; empty when it is gone.
    bool fetch(quint32 uid, qint64 maxBytes, QByteArray *message);

    enum class Wait { Changed, Woken, TimedOut, Failed };
    // Waits for the folder to change (IDLE where the server has it, else
    // until the timeout), for `wakeFd` to become readable, or the timeout.
    Wait waitForChange(int wakeFd, int timeoutMs);
    bool hasIdle() const;

    // Thread-safe: ends the connection under a blocked call.
    void interrupt();

    void setTimeoutSeconds(int seconds) { m_timeoutSeconds = seconds; }

private:
    bool searchBy(::mailimap_search_key *key, QList<quint32> *uids);
    int socketFd() const;

    mailimap *m_imap = nullptr;
    int m_timeoutSeconds = 30;
    mutable std::mutex m_fdMutex;
    int m_fd = -1;
};

} // namespace tilvano::mail
