#pragma once

#include "platform/messenger/Messenger.h"
#include "plugins/PluginPage.h"

#include <memory>

class QCheckBox;
class QLabel;

namespace tilvano::messengerpage {

class AccountFields;
class MessengerReactions;

// The chat page: while "Aktiv" is ticked it holds a messenger and lets the
// character react to it (MessengerReactions); the page itself chooses the
// macros, whether the messenger's own notification still shows, and the
// account the messenger logs on with. Why the messenger is not logged on
// shows in the error label. When no messenger can be had (no account yet),
// the page is in its error state, but the account, "Aktiv" and "Speichern"
// stay usable: saving an account connects, and logging on ends the state.
class Main final : public PluginPage {
    Q_OBJECT
public:
    explicit Main(QWidget *parent = nullptr);
    ~Main() override;

    // Saves the page as the save button does (after Init).
    void SaveAll();

    // The messenger whose events the page handles; null while inactive.
    messenger::Messenger *messengerObject() const { return oMessenger.get(); }

    QCheckBox *activeBox() const { return cbActive; }
    QCheckBox *enableDefaultBox() const { return cbEnableDefault; }
    MacroBox *logonPicker() const { return MacroLogon; }
    MacroBox *messagePicker() const { return MacroMessage; }
    MacroBox *logoffPicker() const { return MacroLogoff; }
    MacroBox *invitePicker() const { return MacroInvite; }
    QLabel *errorLabel() const { return lbError; }
    AccountFields *accountFields() const { return m_account; }

protected:
    void loadSettings() override;
    void saveSettings() override;
    void teardown() override;
    PageHelp help() const override;

private:
    void cbActive_Toggled(bool ticked);
    // Creates the messenger and starts reacting to it; false (and the page
    // in its error state) when there is none to be had.
    bool connectMessenger();
    void releaseMessenger();
    void setReactionControlsEnabled(bool enabled);
    void ShowInitError(const ErrorInfo &error);
    void leaveErrorState();
    void showConnectionProblem(const QString &problem);
    void messengerLoggedOn(qint32 result);

    QCheckBox *cbActive = nullptr;
    MacroBox *MacroLogon = nullptr;
    MacroBox *MacroMessage = nullptr;
    QCheckBox *cbEnableDefault = nullptr;
    MacroBox *MacroLogoff = nullptr;
    MacroBox *MacroInvite = nullptr;
    QLabel *lbError = nullptr;
    AccountFields *m_account = nullptr;

    std::unique_ptr<messenger::Messenger> oMessenger;
    std::unique_ptr<MessengerReactions> m_reactions;
    bool m_inErrorState = false;
};

} // namespace tilvano::messengerpage
