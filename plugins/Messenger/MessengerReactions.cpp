#include "plugins/Messenger/MessengerReactions.h"

#include "AgentCtl/Agent.h"
#include "MakroCombo/MacroBox.h"
#include "common/SettingsStore.h"
#include "platform/messenger/MessengerAccount.h"
#include "plugins/Messenger/UmlautDecoding.h"
#include "plugins/PageText.h"

namespace tilvano::messengerpage {

using messenger::Messenger;
using messenger::MessengerUser;
namespace UserState = messenger::UserState;

namespace {

// Mail notices of the web mail service arrive as messages from this sender;
// they are not conversation and run no macro.
const QString mailServiceSender = QStringLiteral("Hotmail");

bool isLoneLineBreak(const QString &text)
{
    // XML turns a sent CR LF into LF on the way, so every spelling counts.
    return text == QStringLiteral("\r\n") || text == QStringLiteral("\n") || text == QStringLiteral("\r");
}

bool isBlankMessage(const QString &text)
{
    // Only blanks count as empty (tabs and other white space are content),
    // and a lone line break is what some clients send as a keep-alive.
    bool onlyBlanks = true;
    for (QChar c : text) {
        if (c != QLatin1Char(' ')) {
            onlyBlanks = false;
            break;
        }
    }
    return onlyBlanks || isLoneLineBreak(text);
}

} // namespace

MessengerReactions::MessengerReactions(Messenger &messenger, Agent *kibo, const ReactionMacros &macros,
                                       QObject *parent)
    : QObject(parent)
    , m_messenger(messenger)
    , m_kibo(kibo)
    , m_macros(macros)
{
    connect(&messenger, &Messenger::OnTextReceived, this,
            [this](const MessengerUser &source, const QString &, const QString &text, bool &enableDefault) {
                onTextReceived(source, text, enableDefault);
            });
    connect(&messenger, &Messenger::OnUserStateChanged, this, &MessengerReactions::onUserStateChanged);
    connect(&messenger, &Messenger::OnLogonResult, this, &MessengerReactions::onLogonResult);
    connect(&messenger, &Messenger::OnLogoff, this, &MessengerReactions::onLogoff);
    connect(&messenger, &Messenger::OnFileTransferInviteReceived, this,
            [this](const MessengerUser &user, qint32, const QString &fileName, qint64, bool &) {
                onFileTransferInvite(user, fileName);
            });
    connect(&messenger, &Messenger::OnAppInviteReceived, this,
            [this](const MessengerUser &user, qint32, const QString &, const QString &appName, const QString &, qint32,
                   bool &) { onAppInvite(user, appName); });
    connect(&messenger, &Messenger::OnNewerClientAvailable, this, &MessengerReactions::onNewerClientAvailable);
    connect(&messenger, &Messenger::connectionLost, this, &MessengerReactions::onConnectionLost);
}

QString MessengerReactions::stateSentence(int newState, int previousState)
{
    switch (newState) {
    case UserState::Offline:
        return previousState == UserState::Online ? QStringLiteral(" hat uns verlassen") : QString();
    case UserState::Online:
        return previousState == UserState::Offline ? QStringLiteral(" hat sich gerade angemeldet") : QString();
    case UserState::Invisible:
        return QStringLiteral(" will von uns nicht mehr gesehen werden");
    case UserState::Busy:
        return QStringLiteral(" muss jetzt wichtigere Dinge tun");
    case UserState::BeRightBack:
        return QStringLiteral(" ist gleich wieder da");
    case UserState::Away:
        return QStringLiteral(" ist weg");
    case UserState::OnThePhone:
        return QStringLiteral(" telefoniert jetzt");
    case UserState::OutToLunch:
        return QStringLiteral(" ist mal ebend Mittagessen");
    default:
        return QString();
    }
}

void MessengerReactions::applyStoredDefaultAction(bool &enableDefault)
{
    const QString stored = GetSetting(settingsApplication(), messenger::AccountSetting::section(), enableDefaultKey(),
                                      QStringLiteral("1"));
    // An unreadable value changes nothing: the messenger keeps its own reaction.
    const std::optional<qint32> value = settingToInt32(stored);
    if (value && *value != 1)
        enableDefault = false;
}

void MessengerReactions::onTextReceived(const MessengerUser &source, const QString &text, bool &enableDefault)
{
    if (!isBlankMessage(text) && source.friendlyName != mailServiceSender && source.emailAddress != mailServiceSender) {
        if (!m_kibo || !m_macros.message)
            return;
        QString script = m_macros.message->MacroText();
        script = ReplacePlaceholder(script, QStringLiteral("<FRIENDLYNAME>"), EscapeQuotes(source.friendlyName));
        script = ReplacePlaceholder(script, QStringLiteral("<MESSAGE>"), EscapeQuotes(DecodeUmlauts(text)));
        const QPointer<MessengerReactions> alive(this);
        m_kibo->RunMacroText(script);
        // The macro may have switched the page off, which ends these reactions.
        if (!alive)
            return;
    }
    applyStoredDefaultAction(enableDefault);
}

void MessengerReactions::onUserStateChanged(const MessengerUser &user, int previousState, bool &enableDefault)
{
    const QString sentence = stateSentence(user.state, previousState);
    if (!sentence.isEmpty()) {
        if (!m_kibo)
            return;
        QString spoken = EscapeQuotes(user.friendlyName) + sentence;
        const QPointer<MessengerReactions> alive(this);
        m_kibo->SpeakIt(spoken);
        if (!alive)
            return;
    }
    applyStoredDefaultAction(enableDefault);
}

void MessengerReactions::onLogonResult()
{
    // Only a log-on that left us online counts; a refused one ends offline.
    if (m_messenger.localState() == UserState::Online && m_kibo && m_macros.logon)
        m_kibo->RunMacroByName(m_macros.logon->Text());
}

void MessengerReactions::onLogoff()
{
    if (m_messenger.localState() == UserState::Offline && m_kibo && m_macros.logoff)
        m_kibo->RunMacroByName(m_macros.logoff->Text());
}

void MessengerReactions::onFileTransferInvite(const MessengerUser &user, const QString &fileName)
{
    if (!m_kibo)
        return;
    QString spoken = EscapeQuotes(user.friendlyName) + QStringLiteral(" will Ihnen die Datei \"")
        + EscapeQuotes(fileName) + QStringLiteral("\" schicken.");
    m_kibo->SpeakIt(spoken);
}

void MessengerReactions::onAppInvite(const MessengerUser &user, const QString &appName)
{
    if (!m_kibo || !m_macros.invite)
        return;
    QString script = m_macros.invite->MacroText();
    script = ReplacePlaceholder(script, QStringLiteral("<FRIENDLYNAME>"), EscapeQuotes(user.friendlyName));
    script = ReplacePlaceholder(script, QStringLiteral("<APPLICATION>"), EscapeQuotes(appName));
    m_kibo->RunMacroText(script);
}

void MessengerReactions::onConnectionLost()
{
    // Once per loss: the attempts to get it back are shown on the page only.
    if (!m_kibo)
        return;
    QString spoken = lostConnectionSentence();
    m_kibo->SpeakIt(spoken);
}

void MessengerReactions::onNewerClientAvailable()
{
    if (!m_kibo)
        return;
    QString spoken = QStringLiteral("Eine neue Version des MSN Messenger ist verfügbar!");
    m_kibo->SpeakIt(spoken);
}

} // namespace tilvano::messengerpage
