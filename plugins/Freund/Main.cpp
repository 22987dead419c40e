#include "plugins/Freund/Main.h"

#include "AgentCtl/Agent.h"
#include "common/RuntimeErrors.h"
#include "common/SettingsStore.h"
#include "common/Twips.h"
#include "plugins/AgentFailure.h"
#include "plugins/Freund/CharacterFileSize.h"
#include "plugins/Freund/CharacterSizes.h"
#include "system/DialogService.h"
#include "system/SystemServices.h"
#include "system/WindowsDirectory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>

namespace tilvano::freund {

const QString Main::hideCaption = QStringLiteral("&Verstecken");
const QString Main::showCaption = QStringLiteral("&Zeigen");
const QString Main::greeting = QStringLiteral("Hallo|Guten Tag|Da bin ich|Danke, das du mich gewählt hast");

namespace {

PageIdentity freundIdentity()
{
    PageIdentity identity;
    identity.caption = QStringLiteral("Freund");
    identity.treeParent = QStringLiteral("Einstellungen");
    identity.description = QStringLiteral("Plugin zum Einstellen des Freundes");
    identity.heading = QStringLiteral("Einstellungen Freund");
    identity.closingTitle = QStringLiteral("Einstellungen Freund");
    identity.section = QStringLiteral("ActiveAgent");
    identity.hasHelpButton = false;
    return identity;
}

// Kibo reads an empty description when it holds no character, a text otherwise.
bool holdsCharacter(const Agent &agent)
{
    return agent.Description().isValid();
}

// A load that failed leaves Kibo without a character; the character service
// has already told the user why.
ErrorInfo noCharacterLoaded()
{
    return runtime::error(runtime::ObjectNotSet, QStringLiteral("TilvanoAgentOptions"), runtime::Language::English);
}

QComboBox *addList(QWidget *page, const QString &name, const QRect &geometry)
{
    auto *list = new QComboBox(page);
    list->setObjectName(name);
    list->setEditable(false);
    list->setGeometry(geometry);
    return list;
}

QCheckBox *addCheckBox(QWidget *page, const QString &name, const QString &text, const QRect &geometry)
{
    auto *box = new QCheckBox(text, page);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

} // namespace

Main::Main(QWidget *parent)
    : PluginPage(freundIdentity(), parent)
    , m_characters(WindowsDirectory::characterFolder())
{
    buildControls();

    for (const CharacterEntry &entry : m_characters.entries())
        m_characterCombo->addItem(entry.name);
    selectCharacter(m_characters.indexOf(readSetting(QStringLiteral("Path"), QStringLiteral("Merlin.acs"))));

    m_sizeCombo->addItems(CharacterSizes::entryTexts());
    selectSize(CharacterSizes::normalIndex);

    if (settingToBool(readSetting(QStringLiteral("HideAfterAnimation"))).value_or(false))
        m_hideAfterAnimation->setChecked(true);
    setPageChanged(false);
}

Main::~Main()
{
    closePage();
}

void Main::buildControls()
{
    captionLabel()->setObjectName(QStringLiteral("Label2"));

    addLabel(QStringLiteral("Label1"), QStringLiteral("Freund"), twipsRect(240, 375, 735, 255));
    m_characterCombo = addList(this, QStringLiteral("CharacterCombo"), twipsRect(1650, 375, 2895, 315));

    m_showHide = new QPushButton(showCaption, this);
    m_showHide->setObjectName(QStringLiteral("btnShowHide"));
    m_showHide->setGeometry(twipsRect(4575, 375, 1140, 315));

    addLabel(QStringLiteral("Label3"), QStringLiteral("Beschreibung"), twipsRect(225, 825, 990, 315));
    m_description = addLabel(QStringLiteral("lbDescription"), QString(), twipsRect(1650, 750, 5190, 765));
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    addLabel(QStringLiteral("Label4"), QStringLiteral("Animation testen"), twipsRect(240, 1770, 1305, 195));
    m_aniCombo = addList(this, QStringLiteral("AniCombo"), twipsRect(1650, 1725, 2940, 315));

    addLabel(QStringLiteral("Label6"), QStringLiteral("Größe"), twipsRect(225, 2175, 915, 165));
    m_sizeCombo = addList(this, QStringLiteral("SizeCombo"), twipsRect(1650, 2100, 2940, 315));

    m_hideAfterAnimation = addCheckBox(this, QStringLiteral("cbHideAfterAnimation"),
                                       QStringLiteral("Nach Ereignis verstecken"), twipsRect(225, 2625, 2940, 195));
    m_fastShowHide = addCheckBox(this, QStringLiteral("cbFastShowHide"), QStringLiteral("Schnelles Zeigen/Verstecken"),
                                 twipsRect(225, 2925, 3165, 195));

    setTabOrder(m_characterCombo, m_aniCombo);
    setTabOrder(m_aniCombo, m_sizeCombo);
    setTabOrder(m_sizeCombo, saveButton());
    setTabOrder(saveButton(), m_hideAfterAnimation);
    setTabOrder(m_hideAfterAnimation, m_fastShowHide);
    setTabOrder(m_fastShowHide, m_showHide);

    // activated: the user's picks; picks made from code call the handlers themselves.
    connect(m_characterCombo, &QComboBox::activated, this, &Main::characterPicked);
    connect(m_aniCombo, &QComboBox::activated, this, &Main::animationPicked);
    connect(m_sizeCombo, &QComboBox::activated, this, &Main::sizePicked);
    connect(m_fastShowHide, &QCheckBox::toggled, this, &Main::fastShowHideClicked);
    connect(m_hideAfterAnimation, &QCheckBox::toggled, this, &Main::hideAfterAnimationClicked);
    connect(m_showHide, &QPushButton::clicked, this, &Main::toggleVisibility);
}

void Main::connectKibo(Agent *fri)
{
    if (m_subscribed)
        disconnect(m_subscribed, nullptr, this, nullptr);
    m_subscribed = fri;
    if (!fri)
        return;
    // The cause does not matter: the caption only follows the character's state.
    connect(fri, &Agent::ShowEvent, this, [this](qint16 &) { m_showHide->setText(hideCaption); });
    connect(fri, &Agent::HideEvent, this, [this](qint16 &) { m_showHide->setText(showCaption); });
}

void Main::loadSettings()
{
    Agent *agent = kibo();
    if (agent) {
        const qint16 width = agent->Width();
        // Not yet initialized: this only shows the entry, the character keeps its size.
        const int sizeIndex = CharacterSizes::indexForWidth(width);
        selectSize(sizeIndex);
        const bool hasOwnSize = width > 0 && sizeIndex == CharacterSizes::normalIndex;
        learnNormalSize(hasOwnSize ? std::optional<QSize>(QSize(width, agent->Height())) : std::nullopt);

        showVisibility();
        if (agent->FastShowHide())
            m_fastShowHide->setChecked(true);
        if (agent->HideAfterAnimation())
            m_hideAfterAnimation->setChecked(true);
        m_description->setText(agent->Description().toString());
        // Without a character there are no names to ask for, and asking would
        // leave a failure in Kibo's LastError.
        fillAnimations(holdsCharacter(*agent) ? agent->AnimationNames() : QStringList());
        selectAnimation(0);
    }
    m_initialized = true;
}

void Main::selectCharacter(int index)
{
    m_characterCombo->setCurrentIndex(index);
    characterPicked();
}

void Main::selectAnimation(int index)
{
    m_aniCombo->setCurrentIndex(index);
    animationPicked();
}

void Main::selectSize(int index)
{
    m_sizeCombo->setCurrentIndex(index);
    sizePicked();
}

void Main::characterPicked()
{
    Agent *agent = kibo();
    const int index = m_characterCombo->currentIndex();
    // A report box shown while loading lets the user pick again; one change at a time.
    if (!m_initialized || !agent || index < 0 || m_changingCharacter)
        return;
    const QScopedValueRollback changing(m_changingCharacter, true);

    QString path = m_characters.pathOf(index);
    std::optional<ErrorInfo> loadFailure;
    {
        const Agent::CallRecord record(*agent, Agent::ErrorBoxes::Shown);
        agent->LoadChar(path);
        loadFailure = record.failure();
    }
    if (!holdsCharacter(*agent)) {
        // What the page showed belonged to the character that is gone now.
        m_description->clear();
        m_aniCombo->clear();
        reportChangeFailure(noCharacterLoaded());
        return;
    }
    if (agent->CharFile() != path) {
        // A file that cannot be loaded leaves the character that was there,
        // and what the page shows still belongs to it.
        reportChangeFailure(loadFailure.value_or(noCharacterLoaded()));
        return;
    }
    // The new character is in effect from here on, so it is worth saving even
    // when a later step fails.
    markChanged();
    learnNormalSize(QSize(agent->Width(), agent->Height()));

    if (const ErrorInfo failure = failureOf(*agent, [agent] { agent->Show(); }); failure.isError())
        return reportChangeFailure(failure);
    m_description->setText(agent->Description().toString());

    QStringList names;
    if (const ErrorInfo failure = failureOf(*agent, [agent, &names] { names = agent->AnimationNames(); });
        failure.isError())
        return reportChangeFailure(failure);
    names.removeIf([](const QString &name) { return name.isEmpty(); });
    m_aniCombo->setEnabled(false);
    fillAnimations(names);
    selectAnimation(0);
    m_aniCombo->setEnabled(true);

    selectSize(CharacterSizes::indexForWidth(agent->Width()));
    showVisibility();

    QString spoken = greeting;
    if (!agent->SpeakIt(spoken))
        reportChangeFailure(agent->LastError());
}

void Main::animationPicked()
{
    Agent *agent = kibo();
    if (!m_initialized || !agent || m_aniCombo->currentIndex() < 0)
        return;
    // Kibo traps and records its own failures; a test that does not play needs no report.
    agent->StopAll();
    agent->PlayAni(m_aniCombo->currentText());
}

void Main::sizePicked()
{
    Agent *agent = kibo();
    if (!m_initialized || !agent)
        return;
    const int index = m_sizeCombo->currentIndex();
    const std::optional<QSize> size =
        index == CharacterSizes::normalIndex ? m_normalSize : CharacterSizes::fixedSizeAt(index);
    // Without a known normal size there is nothing sensible to apply.
    if (!size)
        return;
    agent->setHeight(qint16(size->height()));
    agent->setWidth(qint16(size->width()));
}

void Main::fastShowHideClicked(bool ticked)
{
    Agent *agent = kibo();
    if (!m_initialized || !agent)
        return;
    agent->setFastShowHide(ticked);
    markChanged();
}

void Main::hideAfterAnimationClicked(bool ticked)
{
    Agent *agent = kibo();
    if (!m_initialized || !agent)
        return;
    agent->setHideAfterAnimation(ticked);
    markChanged();
}

void Main::toggleVisibility()
{
    Agent *agent = kibo();
    if (!agent)
        return;
    // The caption changes when the character reports that it was shown or hidden.
    if (agent->visible())
        agent->Hide();
    else
        agent->Show();
}

void Main::showVisibility()
{
    if (Agent *agent = kibo())
        m_showHide->setText(agent->visible() ? hideCaption : showCaption);
}

void Main::focusArrived()
{
    // The character may have been shown or hidden while the focus was elsewhere.
    showVisibility();
}

void Main::fillAnimations(QStringList names)
{
    // A sorted list, as people look names up alphabetically.
    names.sort(Qt::CaseInsensitive);
    m_aniCombo->clear();
    m_aniCombo->addItems(names);
}

void Main::learnNormalSize(std::optional<QSize> loaded)
{
    Agent *agent = kibo();
    const QString file = agent ? agent->CharFile() : QString();
    // A bare file name lives in the character folder, as the character service takes it.
    const QString path = file.isEmpty() || file.contains(QLatin1Char('/')) ? file : m_characters.folder() + file;
    const std::optional<QSize> fromFile = characterFileSize(path);
    m_normalSize = fromFile ? fromFile : loaded;
}

void Main::reportChangeFailure(const ErrorInfo &error)
{
    setLastError(error);
    SystemServices::dialogs().messageBox(QStringLiteral("Fehler aufgetreten: ") + QString::number(error.number) +
                                             QStringLiteral("\r\n") + error.description,
                                         QString(), DialogService::OkOnly);
}

} // namespace tilvano::freund
