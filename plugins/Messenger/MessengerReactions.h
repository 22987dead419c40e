#pragma once

#include "platform/messenger/Messenger.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace tilvano {
class Agent;
class MacroBox;
} // namespace tilvano

namespace tilvano::messengerpage {

// The page's macro pickers, read afresh at every event so that a choice made
// on the page counts at once, before it is saved.
struct ReactionMacros {
    QPointer<MacroBox> logon;
    QPointer<MacroBox> message;
    QPointer<MacroBox> logoff;
    QPointer<MacroBox> invite;
};

// What the character does when the messenger reports something: messages and
// invitations run the chosen macros with the sender and text filled in, log-on
// and log-off run theirs, and contact state changes, file offers and a lost
// connection are announced in German. Lives as long as the page holds the messenger.
//
// Everything that comes from the network is escaped before it goes into a
// script or a sentence. A handler that cannot do its work (no character, a
// picker gone) ends without a word; the messenger carries on.
class MessengerReactions : public QObject {
    Q_OBJECT
public:
    MessengerReactions(messenger::Messenger &messenger, Agent *kibo, const ReactionMacros &macros,
                       QObject *parent = nullptr);

    // The words that follow a contact's name when their state changes from
    // previousState to newState; empty when the change is not announced.
    static QString stateSentence(int newState, int previousState);

    // The section and key holding whether the messenger's own reaction to
    // messages and state changes still takes place ("1": yes).
    static QString enableDefaultKey() { return QStringLiteral("EnableDefault"); }

    // Said when a logged-on connection breaks off.
    static QString lostConnectionSentence() { return QStringLiteral("Die Verbindung zum Chat ist abgebrochen."); }

private:
    void onTextReceived(const messenger::MessengerUser &source, const QString &text, bool &enableDefault);
    void onUserStateChanged(const messenger::MessengerUser &user, int previousState, bool &enableDefault);
    void onLogonResult();
    void onLogoff();
    void onFileTransferInvite(const messenger::MessengerUser &user, const QString &fileName);
    void onAppInvite(const messenger::MessengerUser &user, const QString &appName);
    void onNewerClientAvailable();
    void onConnectionLost();

    // Declines the messenger's own reaction unless the stored choice allows
    // it. The stored value counts, not the box on the page: a change takes
    // effect only once saved.
    static void applyStoredDefaultAction(bool &enableDefault);

    messenger::Messenger &m_messenger;
    QPointer<Agent> m_kibo;
    ReactionMacros m_macros;
};

} // namespace tilvano::messengerpage
