#include "InspectorWindow.h"

#include "AboutBox.h"
#include "ShortConversion.h"

#include "common/RuntimeErrors.h"
#include "system/DialogService.h"
#include "system/SystemServices.h"
#include "system/WindowsDirectory.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tilvano::charinspect {

namespace {

// The identifier the character is loaded under, and the spelling it is looked up by:
// identifiers ignore case, and a former character is unloaded under the lower-case one.
const QString kLoadId = QStringLiteral("C");
const QString kLookupId = QStringLiteral("c");

const QString kNoTtsMode = QStringLiteral("<Speech Output Disabled/No TTS Engine Found>");
const QString kNoSrMode = QStringLiteral("<No Speech Recognition Engine Found>");

QString truthText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

const QString kSource = QStringLiteral("charinspect");

// The viewer's interface is English, and so are its error reports.
ErrorInfo objectNotSet()
{
    return runtime::error(runtime::ObjectNotSet, kSource, runtime::Language::English);
}

QString welcomeText() { return QStringLiteral("Welcome to the ") + InspectorWindow::title(); }

} // namespace

InspectorWindow::InspectorWindow(TtsEngineEnumeratorFactory engines, QWidget *parent)
    : QWidget(parent)
    , m_engineFactory(std::move(engines))
{
    setWindowTitle(title());
    buildWindow();
    m_control = createAgentControl(this);
    if (m_control)
        connect(m_control.get(), &AgentControl::moved, this, &InspectorWindow::characterMoved);
    setCharacterButtonsEnabled(false);
    loadLaunchState();
}

// The control owns the characters, whose windows belong to this one: it goes first.
InspectorWindow::~InspectorWindow()
{
    if (m_control) {
        m_control->disconnect(this);
        m_control.reset();
    }
}

AgentCharacter *InspectorWindow::character() const
{
    return m_control ? m_control->character(kLookupId) : nullptr;
}

// ---- building the window ------------------------------------------------------------------

void InspectorWindow::buildWindow()
{
    auto *right = new QVBoxLayout;
    right->addWidget(buildControlButtons());
    right->addWidget(buildEngineList());
    right->addWidget(buildVoiceDetails());
    right->addStretch();

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(buildCharacterDetails(), 3);
    layout->addLayout(right, 2);
}

QLineEdit *InspectorWindow::addField(QGridLayout *grid, int row, int column, const QString &label,
                                     const char *objectName)
{
    auto *field = new QLineEdit(this);
    field->setReadOnly(true);
    field->setObjectName(QLatin1String(objectName));
    grid->addWidget(new QLabel(label, this), row, column);
    grid->addWidget(field, row, column + 1);
    return field;
}

QPushButton *InspectorWindow::makeButton(const QString &text, const char *objectName)
{
    auto *button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(objectName));
    return button;
}

QGroupBox *InspectorWindow::buildCharacterDetails()
{
    auto *box = new QGroupBox(QStringLiteral("Character Details"), this);
    auto *grid = new QGridLayout(box);
    int row = 0;

    m_name = addField(grid, row++, 0, QStringLiteral("Name:"), "name");

    m_animations = new QComboBox(this);
    m_animations->setObjectName(QStringLiteral("animations"));
    m_play = makeButton(QStringLiteral("Play"), "play");
    auto *animationRow = new QHBoxLayout;
    animationRow->addWidget(m_animations, 1);
    animationRow->addWidget(m_play);
    grid->addWidget(new QLabel(QStringLiteral("Animations:"), this), row, 0);
    grid->addLayout(animationRow, row++, 1, 1, 3);

    auto multiLine = [this, grid, &row](const QString &label, const char *objectName, bool readOnly) {
        auto *text = new QPlainTextEdit(this);
        text->setObjectName(QLatin1String(objectName));
        text->setReadOnly(readOnly);
        text->setMaximumHeight(70);
        grid->addWidget(new QLabel(label, this), row, 0);
        grid->addWidget(text, row++, 1, 1, 3);
        return text;
    };
    m_description = multiLine(QStringLiteral("Descriptions:"), "description", true);
    m_extraData = multiLine(QStringLiteral("Extra Data:"), "extraData", true);

    m_width = new QLineEdit(this);
    m_width->setObjectName(QStringLiteral("width"));
    m_height = new QLineEdit(this);
    m_height->setObjectName(QStringLiteral("height"));
    m_set = makeButton(QStringLiteral("Set"), "set");
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(new QLabel(QStringLiteral("Width:"), this));
    sizeRow->addWidget(m_width);
    sizeRow->addWidget(new QLabel(QStringLiteral("Height:"), this));
    sizeRow->addWidget(m_height);
    sizeRow->addWidget(m_set);
    grid->addWidget(new QLabel(QStringLiteral("Size:"), this), row, 0);
    grid->addLayout(sizeRow, row++, 1, 1, 3);
    connect(m_width, &QLineEdit::textChanged, this, &InspectorWindow::sizeBoxEdited);
    connect(m_height, &QLineEdit::textChanged, this, &InspectorWindow::sizeBoxEdited);

    m_speakText = multiLine(QStringLiteral("Speak:"), "speakText", false);
    m_speak = makeButton(QStringLiteral("Speak"), "speak");
    grid->addWidget(m_speak, row++, 3);

    // The short values in two columns.
    const int first = row;
    m_suspended = addField(grid, row++, 0, QStringLiteral("Suspended:"), "suspended");
    m_connected = addField(grid, row++, 0, QStringLiteral("Connected:"), "connected");
    m_guid = addField(grid, row++, 0, QStringLiteral("GUID:"), "guid");
    m_ttsModeId = addField(grid, row++, 0, QStringLiteral("TTSMode ID:"), "ttsModeId");
    m_srModeId = addField(grid, row++, 0, QStringLiteral("SRMode ID:"), "srModeId");
    m_animationCountField = addField(grid, row++, 0, QStringLiteral("Animations:"), "animationCount");
    m_idleOn = addField(grid, row++, 0, QStringLiteral("IdleOn:"), "idleOn");
    m_version = addField(grid, row++, 0, QStringLiteral("Version:"), "version");
    row = first;
    m_languageId = addField(grid, row++, 2, QStringLiteral("Language ID:"), "languageId");
    m_otherClients = addField(grid, row++, 2, QStringLiteral("Other Clients:"), "otherClients");
    m_speed = addField(grid, row++, 2, QStringLiteral("Speed:"), "speed");
    m_visible = addField(grid, row++, 2, QStringLiteral("Visible:"), "visible");
    m_soundEffects = addField(grid, row++, 2, QStringLiteral("Sound Effects:"), "soundEffects");
    m_pitch = addField(grid, row++, 2, QStringLiteral("Pitch:"), "pitch");
    auto positionField = [this](const char *objectName) {
        auto *field = new QLineEdit(this);
        field->setReadOnly(true);
        field->setObjectName(QLatin1String(objectName));
        return field;
    };
    m_x = positionField("x");
    m_y = positionField("y");
    auto *positionRow = new QHBoxLayout;
    positionRow->addWidget(new QLabel(QStringLiteral("X:"), this));
    positionRow->addWidget(m_x);
    positionRow->addWidget(new QLabel(QStringLiteral("Y:"), this));
    positionRow->addWidget(m_y);
    grid->addWidget(new QLabel(QStringLiteral("Position:"), this), row, 2);
    grid->addLayout(positionRow, row++, 3);

    connect(m_play, &QPushButton::clicked, this, &InspectorWindow::play);
    connect(m_set, &QPushButton::clicked, this, &InspectorWindow::setSize);
    connect(m_speak, &QPushButton::clicked, this, &InspectorWindow::speak);
    return box;
}

QGroupBox *InspectorWindow::buildControlButtons()
{
    auto *box = new QGroupBox(QStringLiteral("Control"), this);
    auto *layout = new QHBoxLayout(box);
    m_load = makeButton(QStringLiteral("Load Character"), "loadCharacter");
    m_refresh = makeButton(QStringLiteral("Refresh"), "refresh");
    m_stop = makeButton(QStringLiteral("Stop"), "stop");
    m_about = makeButton(QStringLiteral("About"), "about");
    for (QPushButton *button : {m_load, m_refresh, m_stop, m_about})
        layout->addWidget(button);
    connect(m_load, &QPushButton::clicked, this, &InspectorWindow::loadCharacter);
    connect(m_refresh, &QPushButton::clicked, this, &InspectorWindow::refresh);
    connect(m_stop, &QPushButton::clicked, this, &InspectorWindow::stopCharacter);
    connect(m_about, &QPushButton::clicked, this, &InspectorWindow::showAbout);
    return box;
}

QGroupBox *InspectorWindow::buildEngineList()
{
    auto *box = new QGroupBox(QStringLiteral("Installed TTS Engines (SAPI 4.0)"), this);
    auto *layout = new QVBoxLayout(box);
    m_engineList = new QListWidget(this);
    m_engineList->setObjectName(QStringLiteral("engines"));
    m_changeVoice = makeButton(QStringLiteral("Change Voice"), "changeVoice");
    m_setDefault = makeButton(QStringLiteral("Set Default"), "setDefault");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_changeVoice);
    buttons->addWidget(m_setDefault);
    layout->addWidget(m_engineList);
    layout->addLayout(buttons);
    connect(m_engineList, &QListWidget::currentRowChanged, this, &InspectorWindow::showEngine);
    connect(m_changeVoice, &QPushButton::clicked, this, &InspectorWindow::changeVoice);
    connect(m_setDefault, &QPushButton::clicked, this, &InspectorWindow::setDefaultVoice);
    return box;
}

QGroupBox *InspectorWindow::buildVoiceDetails()
{
    auto *box = new QGroupBox(QStringLiteral("Voice Details"), this);
    auto *grid = new QGridLayout(box);
    int row = 0;
    m_modeName = addField(grid, row++, 0, QStringLiteral("ModeName:"), "modeName");
    m_modeId = addField(grid, row++, 0, QStringLiteral("ModeID:"), "modeId");
    m_productName = addField(grid, row++, 0, QStringLiteral("ProductName:"), "productName");
    m_speaker = addField(grid, row++, 0, QStringLiteral("Speaker:"), "speaker");
    m_style = addField(grid, row++, 0, QStringLiteral("Style:"), "style");
    m_gender = addField(grid, row++, 0, QStringLiteral("Gender:"), "gender");
    m_age = addField(grid, row++, 0, QStringLiteral("Age:"), "age");
    m_engineLanguageId = addField(grid, row++, 0, QStringLiteral("LanguageID:"), "engineLanguageId");
    m_dialect = addField(grid, row++, 0, QStringLiteral("Dialect:"), "dialect");
    m_features = addField(grid, row++, 0, QStringLiteral("Features:"), "features");
    m_interfaces = addField(grid, row++, 0, QStringLiteral("Interfaces:"), "interfaces");
    return box;
}

void InspectorWindow::loadLaunchState()
{
    m_engineList->clear();
    m_windowsDirectory = WindowsDirectory::path();
    if (!m_windowsDirectory.isEmpty() && !m_windowsDirectory.endsWith(u'/'))
        m_windowsDirectory += u'/';
    m_speakText->setPlainText(welcomeText());
}

void InspectorWindow::setCharacterButtonsEnabled(bool enabled)
{
    for (QWidget *widget : std::initializer_list<QWidget *>{m_refresh, m_stop, m_play, m_set, m_speak, m_changeVoice,
                                                            m_setDefault, m_width, m_height})
        widget->setEnabled(enabled);
}

void InspectorWindow::clearCharacterFields()
{
    m_animations->clear();
    for (QPlainTextEdit *text : {m_description, m_extraData})
        text->clear();
    for (QLineEdit *field : {m_name, m_width, m_height, m_suspended, m_connected, m_guid, m_ttsModeId, m_srModeId,
                             m_animationCountField, m_idleOn, m_version, m_languageId, m_otherClients, m_speed,
                             m_visible, m_soundEffects, m_pitch, m_x, m_y})
        field->clear();
    m_engineList->clear();
    m_engines.reset();
    m_defaultVoiceId.clear();
    m_animationCount = 0;
}

QVariant InspectorWindow::characterProperty(const char *name) const
{
    AgentCharacter *c = character();
    return c ? c->property(name) : QVariant();
}

void InspectorWindow::reportError(const ErrorInfo &error, const QString &procedure)
{
    const QString text = QStringLiteral("Error Number: %1\r\nError Description: %2\r\n\r\nProcedure: %3")
                             .arg(error.number)
                             .arg(error.description, procedure);
    SystemServices::dialogs().messageBox(text, QString(), DialogService::OkOnly | DialogService::Exclamation);
}

// ---- handlers ---------------------------------------------------------------------------------

void InspectorWindow::loadCharacter()
{
    const QString file = SystemServices::dialogs().openFileName(
        QStringLiteral("Open"), QStringLiteral("Microsoft Agent Characters (*.acs *.ACS)"),
        WindowsDirectory::characterFolder());
    if (file.isEmpty())
        return; // cancelled: nothing changes

    if (!m_control) {
        reportError({runtime::CannotCreateObject, kSource,
                     QStringLiteral("The character service is not available."), 0},
                    QStringLiteral("Command2_Click"));
        return;
    }
    // The former character goes first, so the identifier is free for the new one.
    m_control->unload(kLookupId);
    const ErrorInfo loaded = m_control->load(kLoadId, file);
    if (loaded.isError()) {
        // Carrying on would enable every button for a character that is not there and end
        // in a puzzling report from the refresh; say what really went wrong instead.
        clearCharacterFields();
        setCharacterButtonsEnabled(false);
        reportError(loaded, QStringLiteral("Command2_Click"));
        return;
    }
    // The greeting is a courtesy: a step that fails does not keep the viewer from showing
    // the character's properties.
    if (AgentCharacter *c = character()) {
        c->show(false);
        c->speak(QStringLiteral("Hi, i am ") + characterProperty("name").toString(), QString());
        c->speak(c->description(), QString());
    }
    setCharacterButtonsEnabled(true);
    refresh();
}

void InspectorWindow::refresh()
{
    const ErrorInfo error = refreshFields();
    if (error.number == runtime::CannotCreateObject)
        SystemServices::dialogs().messageBox(
            QStringLiteral("SAPI 4.0 is not installed; you need to install SAPI 4.0 components to list TTS Engines."),
            QString(), DialogService::OkOnly | DialogService::Exclamation);
    else if (error.isError())
        reportError(error, QStringLiteral("Command3_Click"));
}

ErrorInfo InspectorWindow::refreshFields()
{
    m_engineList->clear();
    m_engines.reset();
    m_speakText->setPlainText(welcomeText());

    AgentCharacter *c = character();
    if (!c)
        return objectNotSet();

    QStringList names = c->animationNames();
    names.sort(Qt::CaseInsensitive);
    m_animations->clear();
    m_animations->addItems(names);
    m_animations->setCurrentIndex(-1); // nothing is chosen until the user picks one
    m_animationCount = qint16(std::min<qsizetype>(names.size(), 32767));

    m_defaultVoiceId = c->ttsModeId();

    m_name->setText(characterProperty("name").toString());
    m_description->setPlainText(c->description());
    m_extraData->setPlainText(characterProperty("extraData").toString());
    m_width->setText(QString::number(c->width()));
    m_height->setText(QString::number(c->height()));
    m_suspended->setText(truthText(m_control->isSuspended()));
    m_connected->setText(truthText(m_control->isConnected()));
    m_guid->setText(characterProperty("guid").toString());
    m_ttsModeId->setText(m_defaultVoiceId.isEmpty() ? kNoTtsMode : m_defaultVoiceId);
    const QString srModeId = characterProperty("srModeId").toString();
    m_srModeId->setText(srModeId.isEmpty() ? kNoSrMode : srModeId);
    m_animationCountField->setText(QString::number(m_animationCount));
    m_idleOn->setText(truthText(c->idleOn()));
    m_version->setText(characterProperty("version").toString());
    m_languageId->setText(QString::number(c->languageId()));
    m_otherClients->setText(truthText(characterProperty("hasOtherClients").toBool()));
    m_speed->setText(QString::number(c->speed()));
    m_visible->setText(truthText(c->isVisible()));
    m_soundEffects->setText(truthText(characterProperty("soundEffectsOn").toBool()));
    m_pitch->setText(QString::number(c->pitch()));
    if (m_defaultVoiceId.isEmpty()) {
        m_changeVoice->setEnabled(false);
        m_setDefault->setEnabled(false);
    }

    m_x->setText(QString::number(c->left()));
    m_y->setText(QString::number(c->top()));

    return listEngines();
}

ErrorInfo InspectorWindow::listEngines()
{
    m_engines = m_engineFactory ? m_engineFactory() : nullptr;
    if (!m_engines)
        return {runtime::CannotCreateObject, kSource, QStringLiteral("Cannot create the engine enumeration"), 0};
    const int count = m_engines->count();
    for (int index = 1; index <= count; ++index) {
        auto *item = new QListWidgetItem(m_engines->engine(index).modeName, m_engineList);
        item->setData(Qt::UserRole, index);
    }
    return {};
}

void InspectorWindow::showEngine(int row)
{
    QListWidgetItem *item = m_engineList->item(row);
    if (!item || !m_engines)
        return;
    const TtsEngineDetails engine = m_engines->engine(item->data(Qt::UserRole).toInt());
    m_modeName->setText(engine.modeName);
    m_modeId->setText(u'{' + engine.modeId + u'}');
    m_productName->setText(engine.productName);
    m_speaker->setText(engine.speaker);
    m_style->setText(engine.style);
    m_gender->setText(QStringLiteral("%1 (%2)").arg(engine.gender).arg(engine.gender == 1 ? QStringLiteral("Female")
                                                                                         : QStringLiteral("Male")));
    m_age->setText(QString::number(engine.age));
    m_engineLanguageId->setText(QString::number(engine.languageId));
    m_dialect->setText(engine.dialect);
    m_features->setText(QString::number(engine.features));
    m_interfaces->setText(QString::number(engine.interfaces));
}

void InspectorWindow::changeVoice()
{
    AgentCharacter *c = character();
    const ErrorInfo error = c ? c->setTtsModeId(m_modeId->text()) : objectNotSet();
    if (error.isError())
        reportError(error, QStringLiteral("Command5_Click"));
}

void InspectorWindow::setDefaultVoice()
{
    if (m_defaultVoiceId.isEmpty()) {
        SystemServices::dialogs().messageBox(QStringLiteral("Text2Speech is disabled from Advanced Character options"),
                                             QString(), DialogService::OkOnly | DialogService::Information);
        return;
    }
    AgentCharacter *c = character();
    const ErrorInfo error = c ? c->setTtsModeId(m_defaultVoiceId) : objectNotSet();
    if (error.isError())
        reportError(error, QStringLiteral("Command6_Click"));
}

void InspectorWindow::speak()
{
    AgentCharacter *c = character();
    // The blank in front keeps a text that starts with a speech tag from being read as one.
    const ErrorInfo error = c ? c->speak(u' ' + m_speakText->toPlainText(), QString()) : objectNotSet();
    if (error.isError())
        reportError(error, QStringLiteral("Command1_Click"));
}

void InspectorWindow::play()
{
    const QString animation = m_animations->currentIndex() >= 0 ? m_animations->currentText() : QString();
    if (animation.isEmpty()) {
        SystemServices::dialogs().messageBox(QStringLiteral("Please select a animation to play from the list"),
                                             QString(), DialogService::OkOnly | DialogService::Information);
        return;
    }
    AgentCharacter *c = character();
    const ErrorInfo error = c ? c->play(animation) : objectNotSet();
    if (error.isError())
        reportError(error, QStringLiteral("Command9_Click"));
}

void InspectorWindow::stopCharacter()
{
    AgentCharacter *c = character();
    const ErrorInfo error = c ? c->stopAll() : objectNotSet();
    if (error.isError())
        reportError(error, QStringLiteral("Command7_Click"));
}

void InspectorWindow::setSize()
{
    AgentCharacter *c = character();
    if (!c) {
        reportError(objectNotSet(), QStringLiteral("Command8_Click"));
        return;
    }
    const ShortConversion width = ShortConversion::fromText(m_width->text());
    if (width.value)
        c->setWidth(*width.value);
    const ShortConversion height = width.value ? ShortConversion::fromText(m_height->text()) : width;
    if (height.value) {
        c->setHeight(*height.value);
        return;
    }
    if (height.error.number != runtime::TypeMismatch) {
        reportError(height.error, QStringLiteral("Command8_Click"));
        return;
    }
    // Something that is no number: back to the size the character was drawn at, in the
    // top left corner, where the user can see it again.
    SystemServices::dialogs().messageBox(QStringLiteral("Please type numeric value in the textbox."), QString(),
                                         DialogService::OkOnly | DialogService::Information);
    c->setWidth(qint16(characterProperty("originalWidth").toInt()));
    c->setHeight(qint16(characterProperty("originalHeight").toInt()));
    const ErrorInfo moved = c->moveTo(0, 0, std::nullopt);
    if (moved.isError())
        reportError(moved, QStringLiteral("Command8_Click"));
}

void InspectorWindow::sizeBoxEdited()
{
    m_set->setEnabled(!m_width->text().isEmpty() && !m_height->text().isEmpty());
}

void InspectorWindow::characterMoved()
{
    AgentCharacter *c = character();
    if (!c) {
        reportError(objectNotSet(), QStringLiteral("Agent1_Move"));
        return;
    }
    m_x->setText(QString::number(c->left()));
    m_y->setText(QString::number(c->top()));
}

void InspectorWindow::showAbout()
{
    AboutBox about(this);
    about.exec();
}

} // namespace tilvano::charinspect
