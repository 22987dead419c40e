#pragma once

#include "plugins/PluginPage.h"

#include <QVariant>

#include <memory>

class QCheckBox;
class QLabel;

namespace tilvano::mail {
class MailApplication;
struct MailItem;
struct ReminderItem;
} // namespace tilvano::mail

namespace tilvano::outlook {

class MailConnection;
class MailSourceFields;

// The mail page: while its box is ticked it holds the mail application, runs
// the user's macros when mail arrives, is sent or a reminder falls due, and
// offers "Mails abrufen" in the character's menu.
class Main final : public PluginPage {
    Q_OBJECT
public:
    explicit Main(QWidget *parent = nullptr);
    ~Main() override;

    // Counts the unread mails and runs the macro for none, one or several of
    // them. Failures are kept in LastError; the result is always empty.
    QVariant LookForNewMail();
    // Has the mail application start sending and fetching mail in the
    // background, whether or not the page is active; the page shows that it
    // is fetching until it is done. True when it started; false on any
    // failure, which is not reported otherwise.
    bool SendReceiveAll();

    static QString menuEntryName() { return QStringLiteral("checkfornewmails"); }

    QCheckBox *activeBox() const { return cbIsActive; }
    QLabel *errorLabel() const { return lbError; }
    MacroBox *newMailPicker() const { return MacroNewMail; }
    MacroBox *multiNewMailPicker() const { return MacroMultiNewMail; }
    MacroBox *mailSentPicker() const { return MacroMailSent; }
    MacroBox *reminderPicker() const { return MacroReminder; }
    MacroBox *noNewMailPicker() const { return MacroNoNewMail; }
    bool isConnected() const;
    MailSourceFields *sourceFields() const { return m_source; }
    QLabel *fetchingLabel() const { return lbFetching; }
    bool isFetching() const { return m_fetching != nullptr; }

protected:
    void connectKibo(Agent *fri) override;
    void loadSettings() override;
    void saveSettings() override;
    void teardown() override;
    PageHelp help() const override;

private:
    void createControls();
    MacroBox *addPicker(const QString &name, const QRect &geometry);
    void cbIsActive_Click();
    void activate();
    void deactivate();
    void setPickersEnabled(bool enabled);
    void ShowInitError(const ErrorInfo &error);
    void clearInitError();
    // Shows or clears the error state by the application's problem().
    void showProblem();
    void reconnect();
    void fetchFinished();
    // Records a failure of a handler: kept in LastError, nothing shown.
    void recordFailure(const ErrorInfo &error);
    void runMacroText(QString text);
    void speak(const QString &text);

    void oOutlook_NewMail();
    void oOutlook_ItemSend(const mail::MailItem &item, bool &cancel);
    void oOutlook_Reminder(const mail::ReminderItem &item);
    void oOutlook_Startup();
    void oOutlook_Quit();
    void Kibo_MenuEvent(const QString &menuName);

    QCheckBox *cbIsActive = nullptr;
    MacroBox *MacroNewMail = nullptr;
    MacroBox *MacroMultiNewMail = nullptr;
    MacroBox *MacroMailSent = nullptr;
    MacroBox *MacroReminder = nullptr;
    MacroBox *MacroNoNewMail = nullptr;
    QLabel *lbError = nullptr;
    QLabel *lbFetching = nullptr;
    MailSourceFields *m_source = nullptr;
    MailConnection *oOutlook = nullptr;
    bool m_initFailed = false;
    // The application fetching for SendReceiveAll, held until it is done.
    std::shared_ptr<mail::MailApplication> m_fetching;
    bool m_lookAfterFetching = false;
};

} // namespace tilvano::outlook
