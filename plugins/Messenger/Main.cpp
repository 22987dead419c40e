#include "plugins/Messenger/Main.h"

#include "MakroCombo/MacroBox.h"
#include "common/RuntimeErrors.h"
#include "common/SettingsStore.h"
#include "common/Twips.h"
#include "platform/messenger/MessengerAccount.h"
#include "platform/messenger/MessengerFactory.h"
#include "system/DialogService.h"
#include "plugins/Messenger/AccountFields.h"
#include "plugins/Messenger/MessengerReactions.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace tilvano::messengerpage {

namespace {

const QString activeKey = QStringLiteral("active");

PageIdentity messengerIdentity()
{
    PageIdentity identity;
    identity.caption = QStringLiteral("Messenger");
    identity.treeParent = QStringLiteral("Module");
    identity.description = QStringLiteral("Plugin für MSN Messenger");
    identity.heading = QStringLiteral("Einstellungen MSN Messenger");
    identity.headingWidth = 2940;
    identity.closingTitle = QStringLiteral("Tilvano: Einstellungen MSN Messenger");
    identity.section = messenger::AccountSetting::section();
    return identity;
}

MacroBox *addPicker(QWidget *page, const QString &name, const QRect &geometry)
{
    auto *picker = new MacroBox(page);
    picker->setObjectName(name);
    picker->setGeometry(geometry);
    return picker;
}

QCheckBox *addCheckBox(QWidget *page, const QString &name, const QString &text, const QRect &geometry)
{
    auto *box = new QCheckBox(text, page);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

// A stored box value: "0" clears the box, any other number ticks it, and
// text that is no number counts as the default.
bool storedTick(const QString &stored, bool defaultTicked)
{
    const std::optional<qint32> value = settingToInt32(stored);
    return value ? *value != 0 : defaultTicked;
}

} // namespace

Main::Main(QWidget *parent)
    : PluginPage(messengerIdentity(), parent)
{
    captionLabel()->setObjectName(QStringLiteral("Label2"));

    cbActive = addCheckBox(this, QStringLiteral("cbActive"), QStringLiteral("Aktiv"), twipsRect(300, 450, 2490, 195));
    addLabel(QStringLiteral("Label3"), QStringLiteral("Anmelden:"), twipsRect(375, 900, 1740, 240));
    MacroLogon = addPicker(this, QStringLiteral("MacroLogon"), twipsRect(2400, 825, 3390, 315));
    addLabel(QStringLiteral("Label1"), QStringLiteral("Eintreffende Nachricht:"), twipsRect(375, 1425, 1815, 240));
    MacroMessage = addPicker(this, QStringLiteral("MacroMessage"), twipsRect(2400, 1350, 3390, 315));
    cbEnableDefault = addCheckBox(this, QStringLiteral("cbEnableDefault"), QStringLiteral("Messenger Standardaktion"),
                                  twipsRect(2400, 1800, 3015, 240));
    addLabel(QStringLiteral("Label4"), QStringLiteral("Abmelden:"), twipsRect(375, 2400, 1515, 240));
    MacroLogoff = addPicker(this, QStringLiteral("MacroLogoff"), twipsRect(2400, 2325, 3465, 315));
    addLabel(QStringLiteral("Label5"), QStringLiteral("Einladung erhalten:"), twipsRect(375, 2925, 1515, 240));
    MacroInvite = addPicker(this, QStringLiteral("MacroInvite"), twipsRect(2400, 2850, 3540, 315));
    lbError = addLabel(QStringLiteral("lbError"), QString(), twipsRect(375, 3375, 6315, 765));
    lbError->setWordWrap(true);
    lbError->setVisible(false);

    m_account = new AccountFields(this);
    m_account->setGeometry(twipsRect(375, 4200, 6315, 1980));

    // Init fills and saving writes the pickers in this order.
    addMacroPicker(MacroInvite, QStringLiteral("MacroInvite"));
    addMacroPicker(MacroLogoff, QStringLiteral("MacroLogoff"));
    addMacroPicker(MacroLogon, QStringLiteral("MacroLogon"));
    addMacroPicker(MacroMessage, QStringLiteral("MacroMessage"));

    // Inactive until Init or the user ticks the box.
    setReactionControlsEnabled(false);

    connect(cbActive, &QCheckBox::toggled, this, &Main::cbActive_Toggled);
    watchForEdits(cbEnableDefault);
    watchForEdits(m_account->jidField());
    watchForEdits(m_account->passwordField());
    watchForEdits(m_account->serverField());
    watchForEdits(m_account->allowUnencryptedBox());
}

Main::~Main()
{
    closePage();
}

void Main::SaveAll()
{
    savePage();
}

void Main::loadSettings()
{
    // The account first: ticking the box below logs on with it.
    m_account->load();
    cbActive->setChecked(storedTick(readSetting(activeKey, QStringLiteral("1")), true));
    // A box that was already as stored ran no handler; the pickers' own Init
    // may have enabled them meanwhile.
    if (!m_inErrorState)
        setReactionControlsEnabled(cbActive->isChecked());
    cbEnableDefault->setChecked(
        storedTick(readSetting(MessengerReactions::enableDefaultKey(), QStringLiteral("1")), true));
}

void Main::saveSettings()
{
    writeSetting(activeKey, checkBoxValue(cbActive));
    writeSetting(MessengerReactions::enableDefaultKey(), checkBoxValue(cbEnableDefault));
    // A messenger logged on with the old account would keep using it until
    // the next start; connect afresh with the new one. A page that had no
    // messenger (no account yet) gets one now.
    const AccountFields::SaveResult account = m_account->save();
    if (!account.stored)
        storeRefused();
    if (cbActive->isChecked() && (account.accountChanged || !oMessenger)) {
        releaseMessenger();
        if (connectMessenger() && !m_inErrorState)
            setReactionControlsEnabled(true);
    }
}

void Main::teardown()
{
    releaseMessenger();
}

PageHelp Main::help() const
{
    PageHelp box;
    box.lines = {QStringLiteral("Plugin: MS Messenger"),
                 QStringLiteral("Verfügbare Platzhalter:"),
                 QString(),
                 QStringLiteral("Eintreffende Nachricht: "),
                 QStringLiteral("<FRIENDLYNAME> = Absender"),
                 QStringLiteral("<MESSAGE> = Nachricht"),
                 QString(),
                 QStringLiteral("Einladung erhalten:"),
                 QStringLiteral("<FRIENDLYNAME> = Einladender Benutzer"),
                 QStringLiteral("<APPLICATION> = Programm, zu dem eingeladen wird"),
                 QString(),
                 QStringLiteral("Was Tilvano mit Ihrem Chat-Konto tut:"),
                 QStringLiteral("Tilvano meldet sich als zusätzliches Gerät mit der Priorität -1 an."),
                 QStringLiteral("Nachrichten an Sie erreichen weiter Ihr eigenes Chatprogramm;"),
                 QStringLiteral("Tilvano erhält Kopien davon (Message Carbons) und sagt jede einmal an."),
                 QStringLiteral("Nachrichten, die der Server aufbewahrt hat, während Sie offline waren,"),
                 QStringLiteral("bleiben für Ihr Chatprogramm liegen und werden nicht angesagt."),
                 QStringLiteral("Wer beim Anmelden schon online ist, wird nicht angesagt, nur spätere Änderungen."),
                 QStringLiteral("Der Server wird über die Domain der Jabber-ID gefunden (DNS-SRV);"),
                 QStringLiteral("das Feld Server braucht es nur, um einen anderen anzugeben."),
                 QStringLiteral("Die Verbindung ist verschlüsselt (TLS), außer Sie erlauben es für einen Server im eigenen Netz."),
                 QString(),
                 QString()};
    box.icon = DialogService::Information;
    return box;
}

void Main::cbActive_Toggled(bool ticked)
{
    if (ticked) {
        if (!connectMessenger())
            return;
    } else {
        releaseMessenger();
        // Switched off, nothing is failing any more.
        if (m_inErrorState)
            leaveErrorState();
    }
    if (!m_inErrorState)
        setReactionControlsEnabled(ticked);
    markChanged();
}

bool Main::connectMessenger()
{
    ErrorInfo error;
    std::unique_ptr<messenger::Messenger> created = messenger::MessengerFactory::current().createMessenger(error);
    if (!created) {
        if (!error.isError()) {
            error.number = runtime::CannotCreateObject;
            error.source = QStringLiteral("Messenger");
            error.description = QStringLiteral("Der Messenger konnte nicht gestartet werden.");
        }
        ShowInitError(error);
        return false;
    }
    oMessenger = std::move(created);
    connect(oMessenger.get(), &messenger::Messenger::connectionProblemChanged, this, &Main::showConnectionProblem);
    connect(oMessenger.get(), &messenger::Messenger::OnLogonResult, this, &Main::messengerLoggedOn);
    const ReactionMacros macros{MacroLogon, MacroMessage, MacroLogoff, MacroInvite};
    m_reactions = std::make_unique<MessengerReactions>(*oMessenger, kibo(), macros);
    return true;
}

void Main::releaseMessenger()
{
    m_reactions.reset();
    oMessenger.reset();
    if (!m_inErrorState)
        lbError->setVisible(false);
}

void Main::setReactionControlsEnabled(bool enabled)
{
    for (MacroBox *picker : {MacroInvite, MacroLogoff, MacroLogon, MacroMessage})
        picker->setEnabledFlag(enabled);
    cbEnableDefault->setEnabled(enabled);
}

void Main::ShowInitError(const ErrorInfo &error)
{
    m_inErrorState = true;
    const QString text = QStringLiteral("Es ist ein Fehler aufgetreten: ") + QString::number(error.number)
        + QStringLiteral(" - ") + error.description + QStringLiteral(" in ") + error.source
        + QStringLiteral(" Zeile ") + QString::number(error.line);
    showErrorState(lbError, text, {cbEnableDefault});
    // What it takes to mend the error stays at hand: the account (never
    // disabled), the switch and the save button.
    saveButton()->setEnabled(true);
    cbActive->setEnabled(true);
}

void Main::leaveErrorState()
{
    m_inErrorState = false;
    lbError->setVisible(false);
    setReactionControlsEnabled(cbActive->isChecked());
}

void Main::showConnectionProblem(const QString &problem)
{
    if (problem.isEmpty()) {
        if (!m_inErrorState)
            lbError->setVisible(false);
        return;
    }
    QPalette red = lbError->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lbError->setPalette(red);
    lbError->setText(problem);
    lbError->setVisible(true);
}

void Main::messengerLoggedOn(qint32 result)
{
    if (result == messenger::LogonResult::Ok && m_inErrorState)
        leaveErrorState();
}

} // namespace tilvano::messengerpage
