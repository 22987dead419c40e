#pragma once

#include "platform/messenger/MessengerUser.h"

#include <QObject>
#include <QString>

namespace tilvano::messenger {

// State numbers of a contact and of the local user.
namespace UserState {
constexpr int Unknown = 0;
constexpr int Offline = 1;
constexpr int Online = 2;
constexpr int Invisible = 6;
constexpr int Busy = 10;
constexpr int BeRightBack = 14;
constexpr int Idle = 18;
constexpr int Away = 34;
constexpr int OnThePhone = 50;
constexpr int OutToLunch = 66;
} // namespace UserState

// Results handed to OnLogonResult.
namespace LogonResult {
constexpr qint32 Ok = 0;
constexpr qint32 ServerUnreachable = qint32(0x81000301);
constexpr qint32 CredentialsRefused = qint32(0x81000302);
constexpr qint32 EncryptionUnavailable = qint32(0x81000303);
} // namespace LogonResult

// The messenger object as a settings page sees it: the local user's state
// and the events. Events carry their by-reference "enable default" flag:
// a receiver that sets it to false suppresses the messenger's own reaction
// (its desktop notification). Receivers are called synchronously, in order.
class Messenger : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Messenger() override = default;

    // 2 while logged on, 1 otherwise.
    virtual int localState() const = 0;
    // Why the messenger is not logged on, in German words for the user:
    // refused credentials, no encryption, a server out of reach, a lost
    // connection and when it is tried again. Empty while logged on.
    virtual QString connectionProblem() const { return {}; }

signals:
    void OnTextReceived(const tilvano::messenger::MessengerUser &sourceUser, const QString &messageHeader,
                        const QString &messageText, bool &enableDefault);
    void OnUserStateChanged(const tilvano::messenger::MessengerUser &user, int previousState, bool &enableDefault);
    void OnLogonResult(qint32 result);
    void OnLogoff();
    void OnFileTransferInviteReceived(const tilvano::messenger::MessengerUser &user, qint32 cookie,
                                      const QString &fileName, qint64 fileSize, bool &enableDefault);
    void OnAppInviteReceived(const tilvano::messenger::MessengerUser &user, qint32 cookie, const QString &appGuid,
                             const QString &appName, const QString &appUrl, qint32 inviteType, bool &enableDefault);
    void OnNewerClientAvailable(const QString &downloadUrl, const QString &fallbackUrl, qint32 updateFlags);
    void OnNotificationReceived(const QString &notification);

    // connectionProblem() changed (to empty once logged on again).
    void connectionProblemChanged(const QString &problem);
    // A connection that was logged on broke off. Raised once per loss, not
    // at every attempt to get it back.
    void connectionLost();
};

} // namespace tilvano::messenger
