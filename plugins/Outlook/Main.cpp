#include "plugins/Outlook/Main.h"

#include "AgentCtl/Agent.h"
#include "MakroCombo/MacroBox.h"
#include "common/ErrorLog.h"
#include "common/RuntimeErrors.h"
#include "common/Twips.h"
#include "platform/mail/MailService.h"
#include "platform/mail/MailServices.h"
#include "system/DialogService.h"
#include "system/SystemServices.h"
#include "plugins/Outlook/MailConnection.h"
#include "plugins/Outlook/MailMacroText.h"
#include "plugins/Outlook/MailSourceFields.h"

#include <QCheckBox>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace tilvano::outlook {

namespace {

PageIdentity outlookIdentity()
{
    PageIdentity identity;
    identity.caption = QStringLiteral("Outlook");
    identity.treeParent = QStringLiteral("Module");
    identity.description = QStringLiteral("Plugin für Microsoft Outlook 2000");
    identity.heading = QStringLiteral("Einstellungen Outlook 2000");
    identity.closingTitle = QStringLiteral("Einstellungen Outlook");
    identity.section = QStringLiteral("Outlook2000");
    return identity;
}

const QString kErrorLabelText = QStringLiteral("Es ist ein Fehler bei der Initialisierung aufgetreten:");

ErrorInfo characterMissing()
{
    return runtime::objectNotSet(writer::outlookPlugin());
}

ErrorInfo mailNotConnected()
{
    ErrorInfo error = runtime::objectNotSet(writer::outlookPlugin());
    error.description += QStringLiteral(" (keine Mail-Anwendung)");
    return error;
}

} // namespace

Main::Main(QWidget *parent)
    : PluginPage(outlookIdentity(), parent)
    , oOutlook(new MailConnection(this))
{
    createControls();
    connect(oOutlook, &MailConnection::newMail, this, &Main::oOutlook_NewMail);
    connect(oOutlook, &MailConnection::itemSend, this, &Main::oOutlook_ItemSend);
    connect(oOutlook, &MailConnection::reminder, this, &Main::oOutlook_Reminder);
    connect(oOutlook, &MailConnection::startup, this, &Main::oOutlook_Startup);
    connect(oOutlook, &MailConnection::quit, this, &Main::oOutlook_Quit);
    connect(oOutlook, &MailConnection::problemChanged, this, &Main::showProblem);
}

Main::~Main()
{
    closePage();
}

void Main::createControls()
{
    captionLabel()->setObjectName(QStringLiteral("Label2"));

    cbIsActive = new QCheckBox(QStringLiteral("&Aktiv"), this);
    cbIsActive->setObjectName(QStringLiteral("cbIsActive"));
    cbIsActive->setGeometry(twipsRect(225, 525, 2190, 240));

    addLabel(QStringLiteral("Label1"), QStringLiteral("Bei 1 neuen Mail:"), twipsRect(375, 975, 1590, 165));
    MacroNewMail = addPicker(QStringLiteral("MacroNewMail"), twipsRect(2400, 900, 3465, 315));
    addLabel(QStringLiteral("Label5"), QStringLiteral("Bei mehr als 1 neuen Mail:"),
              twipsRect(375, 1500, 1890, 165));
    MacroMultiNewMail = addPicker(QStringLiteral("MacroMultiNewMail"), twipsRect(2400, 1425, 3615, 315));
    addLabel(QStringLiteral("Label12"), QStringLiteral("Mail senden:"), twipsRect(375, 2025, 915, 165));
    MacroMailSent = addPicker(QStringLiteral("MacroMailSent"), twipsRect(2400, 1950, 3465, 315));
    addLabel(QStringLiteral("Label3"), QStringLiteral("Keine neue Mail:"), twipsRect(375, 2550, 1215, 240));
    MacroNoNewMail = addPicker(QStringLiteral("MacroNoNewMail"), twipsRect(2400, 2475, 3465, 390));
    addLabel(QStringLiteral("Label4"), QStringLiteral("Fälliger Termin:"), twipsRect(375, 3150, 1365, 240));
    MacroReminder = addPicker(QStringLiteral("MacroReminder"), twipsRect(2400, 3075, 3615, 315));

    lbError = addLabel(QStringLiteral("lbError"), kErrorLabelText, twipsRect(675, 3675, 5865, 615));
    lbError->setWordWrap(true);
    lbError->setVisible(false);

    lbFetching = addLabel(QStringLiteral("lbFetching"), QStringLiteral("Mails werden abgerufen \u2026"),
                           twipsRect(2550, 525, 3450, 240));
    lbFetching->setVisible(false);

    m_source = new MailSourceFields(this);
    m_source->setGeometry(twipsRect(120, 4320, 6975, 1860));
    connect(m_source, &MailSourceFields::edited, this, [this] { markChanged(); });

    // Init fills the pickers in this order and saving writes their keys in it.
    addMacroPicker(MacroNewMail, QStringLiteral("NewMailMacro"));
    addMacroPicker(MacroMultiNewMail, QStringLiteral("MultiNewMailMacro"));
    addMacroPicker(MacroMailSent, QStringLiteral("MailSentMacro"));
    addMacroPicker(MacroReminder, QStringLiteral("MacroReminder"));
    addMacroPicker(MacroNoNewMail, QStringLiteral("MacroNoNewMail"));

    // The flag first, so that the activation (which may fail and show the
    // error) never runs before the edit is counted.
    watchForEdits(cbIsActive);
    connect(cbIsActive, &QCheckBox::toggled, this, &Main::cbIsActive_Click);

    QWidget::setTabOrder(cbIsActive, MacroNewMail);
    QWidget::setTabOrder(MacroNewMail, MacroMultiNewMail);
    QWidget::setTabOrder(MacroMultiNewMail, MacroMailSent);
    QWidget::setTabOrder(MacroMailSent, MacroNoNewMail);
    QWidget::setTabOrder(MacroNoNewMail, MacroReminder);
    QWidget::setTabOrder(MacroReminder, m_source);
    QWidget::setTabOrder(m_source, saveButton());
    QWidget::setTabOrder(saveButton(), helpButton());
}

MacroBox *Main::addPicker(const QString &name, const QRect &geometry)
{
    auto *picker = new MacroBox(this);
    picker->setObjectName(name);
    picker->setGeometry(geometry);
    return picker;
}

bool Main::isConnected() const
{
    return oOutlook->isConnected();
}

void Main::connectKibo(Agent *fri)
{
    m_initFailed = false;
    if (!fri) {
        m_initFailed = true;
        const ErrorInfo error = characterMissing();
        ShowInitError(error);
        setLastError(error);
        RaiseError(writer::outlookPlugin(), error);
        return;
    }
    connect(fri, &Agent::MenuEvent, this, [this](QString &menuName) { Kibo_MenuEvent(menuName); });
}

void Main::loadSettings()
{
    if (m_initFailed)
        return;
    // The source first: ticking the box below connects to it.
    m_source->load();
    // A new user starts active. Only a change of the box runs the activation.
    const bool active = readSetting(QStringLiteral("Active"), QStringLiteral("1")).trimmed().toInt() == 1;
    cbIsActive->setChecked(active);
}

void Main::saveSettings()
{
    writeSetting(QStringLiteral("Active"), checkBoxValue(cbIsActive));
    const mail::MailSettings before = mail::MailSettings::load(SystemServices::registry());
    const bool passwordEdited = m_source->passwordField()->isModified();
    m_source->passwordField()->setModified(false);
    const QPointer<Main> self(this);
    // The change applies at once: an active page connects to the new source
    // as soon as its password is stored too.
    const bool stored = m_source->save([self, before, passwordEdited](bool) {
        if (self && self->oOutlook->isConnected()
            && (passwordEdited || !(mail::MailSettings::load(SystemServices::registry()) == before)))
            self->reconnect();
    });
    if (!stored)
        storeRefused();
}

void Main::reconnect()
{
    oOutlook->release();
    clearInitError();
    const ErrorInfo error = oOutlook->connectTo(mail::MailServices::mail());
    if (error.isError())
        ShowInitError(error);
    else
        showProblem();
}

void Main::teardown()
{
    if (Agent *fri = kibo()) {
        disconnect(fri, nullptr, this, nullptr);
        fri->RemoveMenuItem(menuEntryName());
    }
    oOutlook->release();
}

PageHelp Main::help() const
{
    PageHelp box;
    box.title = QStringLiteral("Tilvano Outlook-Plugin");
    box.icon = DialogService::Information;
    box.lines = QStringList{
        QStringLiteral("Plugin: Outlook2000"),
        QStringLiteral("Verfügbare Platzhalter:"),
        QString(),
        QStringLiteral("Bei neuer Mail:"),
        QStringLiteral("1 neue Mail:"),
        QStringLiteral("<SENDER> - Absendername"),
        QStringLiteral("<SUBJECT> - Betreff der Mail"),
        QStringLiteral("<MAILTEXT> - kompletter Text der Mail"),
        QStringLiteral("<RECIPIENT> - Empfängername"),
        QString(),
        QStringLiteral("Mehrere neue Mails:"),
        QStringLiteral("<COUNT> - Anzahl neuer Mails"),
        QString(),
        QStringLiteral("Mail senden:"),
        QStringLiteral("<SENDER> - Absendername"),
        QStringLiteral("<SUBJECT> - Betreff der Mail"),
        QStringLiteral("<MAILTEXT> - kompletter Text der Mail"),
        QStringLiteral("<RECIPIENT> - Empfängername"),
        QString(),
        QStringLiteral("Fälliger Termin:"),
        QStringLiteral("<SUBJECT> - Betreff des Termins"),
    };
    return box;
}

void Main::cbIsActive_Click()
{
    if (cbIsActive->isChecked())
        activate();
    else
        deactivate();
}

void Main::activate()
{
    setPickersEnabled(true);
    Agent *fri = kibo();
    if (!fri) {
        ShowInitError(characterMissing());
        return;
    }
    fri->AddMenuItem(menuEntryName(), QStringLiteral("Mails abrufen"), QStringLiteral("check mail"), true, true);
    const ErrorInfo error = oOutlook->connectTo(mail::MailServices::mail());
    if (error.isError())
        ShowInitError(error);
    else
        showProblem();
}

void Main::deactivate()
{
    setPickersEnabled(false);
    Agent *fri = kibo();
    if (fri)
        fri->RemoveMenuItem(menuEntryName());
    // Let go even when the menu could not be reached: events must stop.
    oOutlook->release();
    clearInitError();
    if (!fri)
        ShowInitError(characterMissing());
}

void Main::setPickersEnabled(bool enabled)
{
    for (MacroBox *picker : macroPickers())
        picker->setEnabledFlag(enabled);
}

void Main::ShowInitError(const ErrorInfo &error)
{
    showErrorState(lbError,
                   kErrorLabelText + QLatin1Char(' ') + QString::number(error.number) + QStringLiteral(" - ")
                       + error.description,
                   {});
    // The page stays switchable: the user can clear the box, put the
    // source right and save, which is how the error goes away.
    saveButton()->setEnabled(true);
}

void Main::clearInitError()
{
    if (m_initFailed || lbError->isHidden())
        return;
    lbError->setVisible(false);
    setPickersEnabled(cbIsActive->isChecked());
}

void Main::showProblem()
{
    mail::MailApplication *application = oOutlook->application();
    const ErrorInfo problem = application ? application->problem() : ErrorInfo{};
    if (problem.isError())
        ShowInitError(problem);
    else
        clearInitError();
}

void Main::recordFailure(const ErrorInfo &error)
{
    setLastError(error);
}

void Main::runMacroText(QString text)
{
    if (Agent *fri = kibo())
        fri->RunMacroText(text);
    else
        recordFailure(characterMissing());
}

void Main::speak(const QString &text)
{
    QString spoken = text;
    if (Agent *fri = kibo())
        fri->SpeakIt(spoken);
    else
        recordFailure(characterMissing());
}

QVariant Main::LookForNewMail()
{
    Agent *fri = kibo();
    if (!fri) {
        recordFailure(characterMissing());
        return {};
    }
    fri->StopAll();

    mail::MailApplication *application = oOutlook->application();
    if (!application) {
        recordFailure(mailNotConnected());
        return {};
    }
    const mail::MailResult<int> unread = application->unreadCount();
    if (!unread.ok()) {
        recordFailure(unread.error);
        return {};
    }

    QString text;
    if (unread.value <= 0) {
        text = MacroNoNewMail->MacroText();
    } else if (unread.value == 1) {
        text = MacroNewMail->MacroText();
        if (!text.isEmpty()) {
            const mail::MailResult<mail::MailItem> item = application->unreadItem(1);
            if (!item.ok()) {
                recordFailure(item.error);
                return {};
            }
            text = MailMacroText::forMail(text, item.value);
        }
    } else {
        text = MailMacroText::forCount(MacroMultiNewMail->MacroText(), unread.value);
    }
    runMacroText(text);
    return {};
}

bool Main::SendReceiveAll()
{
    if (m_fetching)
        return true; // already under way; its end is awaited as well
    mail::MailService &service = mail::MailServices::mail();
    std::shared_ptr<mail::MailApplication> application = service.runningApplication();
    if (!application) {
        auto created = service.createApplication();
        if (!created.ok())
            return false;
        application = std::move(created.value);
    }
    if (!application->startSendAndReceive().ok())
        return false;
    m_fetching = std::move(application);
    connect(m_fetching.get(), &mail::MailApplication::sendAndReceiveFinished, this, &Main::fetchFinished,
            Qt::SingleShotConnection);
    lbFetching->setVisible(true);
    return true;
}

void Main::fetchFinished()
{
    lbFetching->setVisible(false);
    // Let go from the event loop: this runs inside the application's signal.
    QMetaObject::invokeMethod(this, [held = std::move(m_fetching)] {}, Qt::QueuedConnection);
    m_fetching.reset();
    if (std::exchange(m_lookAfterFetching, false))
        LookForNewMail();
}

void Main::oOutlook_NewMail()
{
    if (cbIsActive->isChecked())
        LookForNewMail();
}

void Main::oOutlook_ItemSend(const mail::MailItem &item, bool &cancel)
{
    Q_UNUSED(cancel) // sending always goes on
    if (!cbIsActive->isChecked())
        return;
    Agent *fri = kibo();
    if (!fri) {
        recordFailure(characterMissing());
        return;
    }
    fri->StopAll();
    QString text = MacroMailSent->MacroText();
    if (!text.isEmpty())
        text = MailMacroText::forMail(text, item);
    runMacroText(text);
}

void Main::oOutlook_Reminder(const mail::ReminderItem &item)
{
    if (cbIsActive->isChecked())
        runMacroText(MailMacroText::forReminder(MacroReminder->MacroText(), item));
}

void Main::oOutlook_Startup()
{
    showProblem();
    speak(QStringLiteral("Outlook wurde geöffnet."));
}

void Main::oOutlook_Quit()
{
    showProblem();
    speak(QStringLiteral("Outlook wurde geschlossen."));
}

void Main::Kibo_MenuEvent(const QString &menuName)
{
    if (menuName != menuEntryName())
        return;
    // Whether or not fetching could start, the inbox is looked at: once it
    // is done, or now.
    if (SendReceiveAll())
        m_lookAfterFetching = true;
    else
        LookForNewMail();
}

} // namespace tilvano::outlook
