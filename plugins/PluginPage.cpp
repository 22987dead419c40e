#include "plugins/PluginPage.h"

#include "AgentCtl/Agent.h"
#include "AgentCtl/RuntimeErrors.h"
#include "MakroCombo/MacroBox.h"
#include "common/SettingsStore.h"
#include "common/Twips.h"
#include "plugins/AgentFailure.h"
#include "platform/system/DialogService.h"
#include "platform/system/SystemServices.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QToolButton>

namespace tilvano {

namespace {

constexpr int saveButtonRightGap = 1515;
constexpr int saveButtonBottomGap = 540;
constexpr int helpButtonRightGap = 465;
constexpr int helpButtonTop = 75;

} // namespace

PluginPage::PluginPage(const PageIdentity &identity, QWidget *parent)
    : QWidget(parent)
    , m_identity(identity)
{
    resize(twipsSize(designWidthTwips, designHeightTwips));

    m_caption = new QLabel(m_identity.heading, this);
    m_caption->setObjectName(QStringLiteral("lblCaption"));
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    m_caption->setGeometry(twipsRect(120, 45, m_identity.headingWidth, 255));

    m_save = new QPushButton(QStringLiteral("&Speichern"), this);
    m_save->setObjectName(QStringLiteral("cmdSave"));
    m_save->setGeometry(twipsRect(5700, 6225, 1365, 390));
    connect(m_save, &QPushButton::clicked, this, &PluginPage::savePage);

    if (m_identity.hasHelpButton) {
        m_help = new QToolButton(this);
        m_help->setObjectName(QStringLiteral("btnHelp"));
        m_help->setToolTip(QStringLiteral("Hilfe zum Plugin"));
        m_help->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
        m_help->setAutoRaise(true);
        m_help->setGeometry(twipsRect(6750, helpButtonTop, 390, 315));
        connect(m_help, &QToolButton::clicked, this, &PluginPage::showHelp);
    }
}

PluginPage::~PluginPage() = default;

QString PluginPage::formatVersion(const QString &version)
{
    QStringList parts = version.split(QLatin1Char('.'));
    for (QString &part : parts) {
        bool ok = false;
        const qulonglong number = part.trimmed().toULongLong(&ok);
        if (ok)
            part = QString::number(number);
    }
    return parts.join(QLatin1Char('.'));
}

QString PluginPage::PluginVersion() const
{
#ifdef TILVANO_PAGE_VERSION
    const QString ownVersion = QStringLiteral(TILVANO_PAGE_VERSION);
#else
    const QString ownVersion;
#endif
    return formatVersion(m_identity.version.isEmpty() ? ownVersion : m_identity.version);
}

QString PluginPage::PluginAuthor() const
{
    return QStringLiteral("Lorvat – das Tilvano-Team");
}

bool PluginPage::PluginStart()
{
    return true;
}

void PluginPage::Init(Agent *fri)
{
    m_kibo = fri;
    connectKibo(fri);
    for (qsizetype i = 0; i < m_pickers.size(); ++i) {
        m_pickers[i]->Init(fri);
        m_pickers[i]->setText(readSetting(m_pickerKeys[i]));
    }
    loadSettings();
    m_pageChanged = false;
}

bool PluginPage::savePage()
{
    m_saveFailed = false;
    beforeSaving();
    // When the character's own save fails, the page's keys would fail alike
    // or, worse, land without the values they go with: the save ends there.
    if (m_kibo) {
        if (const ErrorInfo failure = failureOf(*m_kibo, [this] { m_kibo->SaveAll(); }); failure.isError()) {
            setLastError(failure);
            return false;
        }
    }
    for (qsizetype i = 0; i < m_pickers.size(); ++i)
        writeSetting(m_pickerKeys[i], m_pickers[i]->Text());
    saveSettings();
    if (!m_saveFailed)
        m_pageChanged = false;
    return !m_saveFailed;
}

void PluginPage::closePage()
{
    if (m_closed)
        return;
    m_closed = true;
    if (m_pageChanged) {
        const int answer = SystemServices::dialogs().messageBox(
            QStringLiteral("Sollen die Änderungen gespeichert werden ?"), m_identity.closingTitle,
            DialogService::YesNo);
        if (answer == DialogService::Yes)
            savePage();
    }
    teardown();
}

void PluginPage::addMacroPicker(MacroBox *picker, const QString &key)
{
    m_pickers.append(picker);
    m_pickerKeys.append(key);
    connect(picker, &MacroBox::Click, this, [this] { markChanged(); });
}

void PluginPage::watchForEdits(QCheckBox *box)
{
    // A click, and a value set while loading: Init clears the flag afterwards.
    connect(box, &QCheckBox::toggled, this, [this] { markChanged(); });
}

void PluginPage::watchForEdits(QLineEdit *field)
{
    connect(field, &QLineEdit::textChanged, this, [this] { markChanged(); });
}

void PluginPage::connectKibo(Agent *)
{
}

void PluginPage::loadSettings()
{
}

void PluginPage::beforeSaving()
{
}

void PluginPage::saveSettings()
{
}

void PluginPage::teardown()
{
}

PageHelp PluginPage::help() const
{
    return {};
}

QString PluginPage::readSetting(const QString &key, const QString &defaultValue) const
{
    return GetSetting(settingsApplication(), m_identity.section, key, defaultValue);
}

bool PluginPage::writeSetting(const QString &key, const QString &value)
{
    if (SaveSetting(settingsApplication(), m_identity.section, key, value))
        return true;
    setLastError(runtime::pathFileAccess());
    saveFailed();
    return false;
}

QString PluginPage::checkBoxValue(const QCheckBox *box)
{
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

void PluginPage::showErrorState(QLabel *errorLabel, const QString &text, const QList<QWidget *> &alsoDisable)
{
    for (MacroBox *picker : std::as_const(m_pickers))
        picker->setEnabledFlag(false);
    for (QWidget *widget : alsoDisable)
        widget->setEnabled(false);
    m_save->setEnabled(false);
    QPalette red = errorLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    errorLabel->setPalette(red);
    errorLabel->setText(text);
    errorLabel->setVisible(true);
}

void PluginPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QSize twips = pixelsToTwips(event->size());
    m_save->move(twipsPoint(twips.width() - saveButtonRightGap, twips.height() - saveButtonBottomGap));
    if (m_help)
        m_help->move(twipsPoint(twips.width() - helpButtonRightGap, helpButtonTop));
}

void PluginPage::showHelp()
{
    const PageHelp box = help();
    QString text;
    for (const QString &line : box.lines)
        text += line + QStringLiteral("\r\n");
    SystemServices::dialogs().messageBox(text, box.title, DialogService::OkOnly | box.icon);
}

} // namespace tilvano
