#include "plugins/Outlook/MailSourceFields.h"

#include "common/Twips.h"
#include "system/credentials/CredentialStore.h"
#include "system/SystemServices.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <QStackedWidget>

namespace tilvano::outlook {

namespace {

using mail::MailSettings;

constexpr int rowTop = 240;
constexpr int rowPitch = 330;
constexpr int rowHeight = 300;
constexpr int leftLabel = 105;
constexpr int leftField = 1005;
constexpr int rightLabel = 3390;
// Wide enough for "Gesendet:" in the usual fonts.
constexpr int labelWidth = 960;
constexpr int rightField = 4395;
constexpr int fieldWidth = 2400;

// A field's caption, to the left of it.
QLabel *addLabel(QWidget *parent, const QString &text, int left, int top, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(twipsRect(left, top + 30, labelWidth, 240));
    label->setBuddy(buddy);
    return label;
}

QLineEdit *addField(QWidget *parent, const QString &name, int left, int top, int width = fieldWidth)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setGeometry(twipsRect(left, top, width, rowHeight));
    return field;
}

} // namespace

MailSourceFields::MailSourceFields(QWidget *parent)
    : QGroupBox(QStringLiteral("Mail-Quelle"), parent)
    , m_credentials(new CredentialStore(this))
{
    setObjectName(QStringLiteral("fraSource"));

    m_source = new QComboBox(this);
    m_source->setObjectName(QStringLiteral("cboSource"));
    m_source->addItems({QStringLiteral("Maildir"), QStringLiteral("IMAP")});
    m_source->setGeometry(twipsRect(leftField, rowTop, fieldWidth, rowHeight));
    addLabel(this, QStringLiteral("&Quelle:"), leftLabel, rowTop, m_source);
    m_calendar = addField(this, QStringLiteral("txtCalendar"), rightField, rowTop);
    m_calendar->setToolTip(QStringLiteral("Ordner mit Kalendern (.ics) für die fälligen Termine"));
    addLabel(this, QStringLiteral("&Kalender:"), rightLabel, rowTop, m_calendar);

    // The fields of the chosen source, below the first row; their rows
    // count from the stack's own top.
    m_stack = new QStackedWidget(this);
    m_stack->setGeometry(twipsRect(0, rowTop + rowPitch, 7000, 4 * rowPitch));
    auto *maildirPage = new QWidget(m_stack);
    auto *imapPage = new QWidget(m_stack);
    m_stack->addWidget(maildirPage);
    m_stack->addWidget(imapPage);
    auto field = [&](QWidget *page, const QString &name, const QString &caption, bool right, int row,
                     int width = fieldWidth) {
        QLineEdit *edit = addField(page, name, right ? rightField : leftField, row * rowPitch, width);
        addLabel(page, caption, right ? rightLabel : leftLabel, row * rowPitch, edit);
        watch(edit);
        return edit;
    };

    m_maildir = field(maildirPage, QStringLiteral("txtMaildir"), QStringLiteral("&Ordner:"), false, 0);
    m_sentFolder = field(maildirPage, QStringLiteral("txtSentFolder"), QStringLiteral("&Gesendet:"), true, 0);
    m_syncCommand = field(maildirPage, QStringLiteral("txtSyncCommand"), QStringLiteral("A&bgleich:"), false, 1,
                          rightField + fieldWidth - leftField);
    m_syncCommand->setPlaceholderText(QStringLiteral("z. B. mbsync -a"));

    m_host = field(imapPage, QStringLiteral("txtHost"), QStringLiteral("Se&rver:"), false, 0);
    m_port = new QSpinBox(imapPage);
    m_port->setObjectName(QStringLiteral("txtPort"));
    m_port->setRange(1, 65535);
    m_port->setGeometry(twipsRect(rightField, 0, 1000, rowHeight));
    addLabel(imapPage, QStringLiteral("&Port:"), rightLabel, 0, m_port);
    m_security = new QComboBox(imapPage);
    m_security->setObjectName(QStringLiteral("cboSecurity"));
    m_security->addItems({QStringLiteral("TLS"), QStringLiteral("STARTTLS"), QStringLiteral("keine")});
    m_security->setGeometry(twipsRect(rightField + 1050, 0, fieldWidth - 1050, rowHeight));
    m_user = field(imapPage, QStringLiteral("txtUser"), QStringLiteral("&Benutzer:"), false, 1);
    m_password = field(imapPage, QStringLiteral("txtPassword"), QStringLiteral("Pass&wort:"), true, 1);
    m_password->setEchoMode(QLineEdit::Password);
    m_inbox = field(imapPage, QStringLiteral("txtInbox"), QStringLiteral("&Eingang:"), false, 2);
    m_imapSent = field(imapPage, QStringLiteral("txtImapSent"), QStringLiteral("Gese&ndet:"), true, 2);
    m_passwordNote = new QLabel(imapPage);
    m_passwordNote->setObjectName(QStringLiteral("lblPasswordNote"));
    m_passwordNote->setGeometry(twipsRect(leftLabel, 3 * rowPitch + 30, 6800, 240));

    watch(m_calendar);
    connect(m_port, &QSpinBox::valueChanged, this, [this] {
        if (!m_loading)
            emit edited();
    });
    connect(m_security, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_loading)
            return;
        // The usual port goes with the kind of security, unless one was typed.
        const int oldDefault = MailSettings::defaultPort(index == 0 ? MailSettings::Security::StartTls
                                                                    : MailSettings::Security::Tls);
        if (m_port->value() == oldDefault)
            m_port->setValue(MailSettings::defaultPort(MailSettings::Security(index)));
        emit edited();
    });
    connect(m_source, &QComboBox::currentIndexChanged, this, [this] {
        showSource();
        if (!m_loading)
            emit edited();
    });
    showSource();
}

MailSourceFields::~MailSourceFields() = default;

void MailSourceFields::watch(QLineEdit *field)
{
    connect(field, &QLineEdit::textEdited, this, &MailSourceFields::edited);
}

void MailSourceFields::showSource()
{
    m_stack->setCurrentIndex(m_source->currentIndex());
}

bool MailSourceFields::isImap() const
{
    return m_source->currentIndex() == 1;
}

void MailSourceFields::load()
{
    m_loading = true;
    const MailSettings stored = MailSettings::load(SystemServices::registry());
    m_source->setCurrentIndex(stored.source == MailSettings::Source::Imap ? 1 : 0);
    m_calendar->setText(stored.calendarDir);
    m_maildir->setText(stored.maildir);
    m_sentFolder->setText(stored.sentFolder);
    m_syncCommand->setText(stored.syncCommand);
    m_host->setText(stored.imapHost);
    m_security->setCurrentIndex(int(stored.imapSecurity));
    m_port->setValue(stored.imapPort);
    m_user->setText(stored.imapUser);
    m_inbox->setText(stored.imapInbox);
    m_imapSent->setText(stored.imapSentFolder);
    m_password->clear();
    m_passwordNote->clear();
    m_loading = false;
    if (stored.imapUser.isEmpty() || stored.imapHost.isEmpty())
        return;
    const QPointer<MailSourceFields> self(this);
    m_credentials->lookup(stored.credentialKey(), [self](const CredentialResult &result) {
        if (!self)
            return;
        // Typed meanwhile: the user's text wins.
        if (result.ok && self->m_password->text().isEmpty()) {
            const QSignalBlocker quiet(self->m_password);
            self->m_password->setText(result.password);
        }
        self->m_passwordNote->setText(result.ok ? CredentialStore::describe(result.location) : result.error);
    });
}

mail::MailSettings MailSourceFields::settings() const
{
    MailSettings s;
    s.source = isImap() ? MailSettings::Source::Imap : MailSettings::Source::Maildir;
    s.calendarDir = m_calendar->text().trimmed();
    s.maildir = m_maildir->text().trimmed();
    s.sentFolder = m_sentFolder->text().trimmed();
    s.syncCommand = m_syncCommand->text().trimmed();
    s.imapHost = m_host->text().trimmed();
    s.imapPort = m_port->value();
    s.imapSecurity = MailSettings::Security(m_security->currentIndex());
    s.imapUser = m_user->text().trimmed();
    s.imapInbox = m_inbox->text().trimmed();
    s.imapSentFolder = m_imapSent->text().trimmed();
    return s;
}

bool MailSourceFields::save(std::function<void(bool ok)> done)
{
    const MailSettings s = settings();
    const bool stored = s.save(SystemServices::registry());
    if (s.source != MailSettings::Source::Imap || s.imapUser.isEmpty() || s.imapHost.isEmpty()) {
        done(true);
        return stored;
    }
    const QPointer<MailSourceFields> self(this);
    m_credentials->store(s.credentialKey(), m_password->text(), [self, done](const CredentialResult &result) {
        if (self)
            self->m_passwordNote->setText(result.ok ? CredentialStore::describe(result.location) : result.error);
        done(result.ok);
    });
    return stored;
}

} // namespace tilvano::outlook
