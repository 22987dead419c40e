#include "plugins/Sprache/Main.h"

#include "AgentCtl/Agent.h"
#include "common/RuntimeErrors.h"
#include "common/ErrorLog.h"
#include "common/SettingsStore.h"
#include "common/Twips.h"
#include "system/DialogService.h"
#include "system/SystemServices.h"
#include "plugins/AgentFailure.h"
#include "plugins/Sprache/TestTagPrefix.h"
#include "plugins/Sprache/VoiceChoices.h"
#include "plugins/Sprache/VoiceLanguages.h"
#include "plugins/Sprache/VoiceStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

namespace tilvano::voice {

namespace {

const QString pageName = QStringLiteral("TilvanoVoice");
const QString testSpeechKey = QStringLiteral("TestSpeech");
const QString defaultTestSpeech = QStringLiteral("Hallo, ich bin dein Freund und begleite dich.");

PageIdentity voiceIdentity()
{
    PageIdentity identity;
    identity.caption = QStringLiteral("Sprache");
    identity.treeParent = QStringLiteral("Einstellungen");
    identity.description = QStringLiteral("Plugin zur Einstellung der Sprache");
    identity.heading = QStringLiteral("Einstellungen Sprache");
    identity.closingTitle = QStringLiteral("Tilvano Spracheinstellungen");
    identity.section = QStringLiteral("StoredValues"); // the test sentence
    identity.hasHelpButton = false;
    return identity;
}

template <typename Widget>
Widget *placed(Widget *widget, const char *name, const QRect &geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QSlider *slider(QWidget *parent, const char *name, int minimum, int maximum, const QRect &geometry)
{
    auto *created = placed(new QSlider(Qt::Horizontal, parent), name, geometry);
    created->setRange(minimum, maximum);
    created->setSingleStep(1);
    created->setPageStep(5);
    created->setValue(minimum);
    return created;
}

QComboBox *dropDown(QWidget *parent, const char *name, const QStringList &entries, const QRect &geometry)
{
    auto *created = placed(new QComboBox(parent), name, geometry);
    created->addItems(entries);
    created->setCurrentIndex(0);
    return created;
}

} // namespace

Main::Main(QWidget *parent)
    : PluginPage(voiceIdentity(), parent)
{
    captionLabel()->setObjectName(QStringLiteral("Label2"));
    buildControls();
    arrangeTabOrder();
    connectControls();
    setPageChanged(false);
}

Main::~Main()
{
    closePage();
}

void Main::buildControls()
{
    m_characters = dropDown(this, "CharCombo", VoiceStyle::characterNames(), twipsRect(3675, 2550, 2055, 315));
    m_contexts = dropDown(this, "ContextCombo", VoiceStyle::contextNames(), twipsRect(3675, 2940, 2055, 315));

    m_languageLabel = placed(new QLabel(QStringLiteral("Sprache"), this), "Label5", twipsRect(300, 450, 990, 240));
    m_languages = placed(new QComboBox(this), "LangCombo", twipsRect(1650, 450, 2940, 315));
    VoiceLanguages::fill(m_languages);
    m_languages->setCurrentIndex(0);

    m_testText = placed(new QLineEdit(readSetting(testSpeechKey, defaultTestSpeech), this), "TestText",
                        twipsRect(240, 3480, 4575, 285));
    m_testButton = placed(new QPushButton(QStringLiteral("&Test"), this), "cmdTestSpeech",
                          twipsRect(4800, 3480, 885, 300));

    m_voiceLabel = placed(new QLabel(QStringLiteral("Stimme"), this), "Label10", twipsRect(300, 1050, 735, 255));
    m_voices = dropDown(this, "TTSCombo", VoiceChoices::names(), twipsRect(1650, 1050, 2940, 315));

    m_speedBox = placed(new QCheckBox(QStringLiteral("Geschwindigkeit"), this), "cbSpeed",
                        twipsRect(1665, 1545, 1575, 255));
    m_speedSlider = slider(this, "SpeedSlider", 50, 250, twipsRect(3585, 1545, 2655, 255));
    // The speech engine speaks no slower than 80 words a minute; what it does instead is worth knowing.
    m_speedSlider->setToolTip(QStringLiteral("Wörter pro Minute. Unter 80 spricht die Stimme so schnell wie bei 80 "
                                             "und macht dafür längere Pausen zwischen den Wörtern."));
    m_pitchBox = placed(new QCheckBox(QStringLiteral("Stimmhöhe"), this), "cbPitch", twipsRect(1665, 1845, 1575, 255));
    m_pitchSlider = slider(this, "PitchSlider", 50, 400, twipsRect(3585, 1845, 2655, 255));
    m_volumeBox = placed(new QCheckBox(QStringLiteral("Lautstärke"), this), "cbVolume",
                         twipsRect(1665, 2175, 1575, 255));
    m_volumeSlider = slider(this, "VolumeSlider", 1, 65000, twipsRect(3585, 2130, 2655, 255));
    m_characterBox = placed(new QCheckBox(QStringLiteral("Stimmfärbung"), this), "cbChar",
                            twipsRect(1665, 2610, 1455, 255));
    m_contextBox = placed(new QCheckBox(QStringLiteral("Kontext"), this), "cbContext",
                          twipsRect(1665, 2940, 1575, 255));
}

void Main::arrangeTabOrder()
{
    // Each slider follows its box; the rest in the order users have always tabbed.
    const QList<QWidget *> order = {m_speedBox,   m_speedSlider, m_pitchBox,   m_pitchSlider, m_volumeBox,
                                    m_volumeSlider, m_characterBox, m_contextBox, m_contexts,   m_testText,
                                    m_testButton, m_characters,  m_languages,  saveButton(),  m_voices};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void Main::connectControls()
{
    // A box that becomes unticked hands the value back to the voice at once,
    // whether the user or the page's own code unticked it.
    const auto resetWhenUnticked = [this](QCheckBox *box, auto resetOnKibo) {
        watchForEdits(box);
        connect(box, &QCheckBox::toggled, this, [this, resetOnKibo](bool ticked) {
            if (!ticked && kibo())
                resetOnKibo(*kibo());
        });
    };
    resetWhenUnticked(m_speedBox, [](Agent &kibo) { kibo.setSpeed(-1); });
    resetWhenUnticked(m_pitchBox, [](Agent &kibo) { kibo.setPitch(-1); });
    resetWhenUnticked(m_volumeBox, [](Agent &kibo) { kibo.setVolume(-1); });
    watchForEdits(m_characterBox);
    watchForEdits(m_contextBox);

    // Moving a slider means using its value.
    const auto tickOnChange = [this](QSlider *slider, QCheckBox *box) {
        connect(slider, &QSlider::valueChanged, this, [this, box] {
            box->setChecked(true);
            markChanged();
        });
    };
    tickOnChange(m_speedSlider, m_speedBox);
    tickOnChange(m_pitchSlider, m_pitchBox);
    tickOnChange(m_volumeSlider, m_volumeBox);

    for (QComboBox *list : {m_voices, m_characters, m_contexts})
        connect(list, &QComboBox::currentIndexChanged, this, [this] { markChanged(); });
    watchForEdits(m_testText);
    connect(m_languages, &QComboBox::currentIndexChanged, this, &Main::languagePicked);
    connect(m_testButton, &QPushButton::clicked, this, &Main::testSpeech);
}

void Main::showKiboValue(QSlider *slider, QCheckBox *box, qint32 value)
{
    if (value <= -1)
        return;
    // Out-of-range values show at the nearest end. The box is ticked even when
    // the slider already stood there (no change to tick it): otherwise a value
    // at a slider's start would come back unticked and the next save drop it.
    slider->setValue(value);
    box->setChecked(true);
}

void Main::loadSettings()
{
    Agent *fri = kibo();
    if (!fri)
        return;
    const QString voice = fri->TTSModeID();
    if (const int position = VoiceChoices::positionOf(voice); position > 0)
        m_voices->setCurrentIndex(position);
    m_rememberedVoice = voice;

    showKiboValue(m_speedSlider, m_speedBox, fri->speed());
    showKiboValue(m_pitchSlider, m_pitchBox, fri->Pitch());
    showKiboValue(m_volumeSlider, m_volumeBox, fri->Volume());

    const int language = VoiceLanguages::positionOf(m_languages, fri->LanguageID());
    m_languages->setCurrentIndex(language >= 0 ? language : 0);

    // The lists show Kibo's character and context; whether they are used stays
    // the user's choice, so the boxes are left alone.
    if (const int position = VoiceStyle::characterPosition(fri->VoiceChar()); position > 0)
        m_characters->setCurrentIndex(position);
    if (const int position = VoiceStyle::contextPosition(fri->VoiceContext()); position > 0)
        m_contexts->setCurrentIndex(position);
}

void Main::focusArrived()
{
    focusEntered();
}

void Main::focusEntered()
{
    Agent *fri = kibo();
    if (!fri)
        return;
    showKiboValue(m_speedSlider, m_speedBox, fri->speed());
    showKiboValue(m_pitchSlider, m_pitchBox, fri->Pitch());
    const qint32 volume = fri->Volume();
    if (volume > -1) {
        showKiboValue(m_volumeSlider, m_volumeBox, volume);
        // A saved unticked volume shows as an unticked box (which hands the
        // volume back to the voice).
        m_volumeBox->setChecked(volume != untickedVolume);
    }
}

qint32 Main::chosenLanguage() const
{
    return VoiceLanguages::identifierAt(m_languages, m_languages->currentIndex());
}

void Main::languagePicked(int position)
{
    if (position < 0)
        return;
    if (Agent *fri = kibo()) {
        const qint32 identifier = VoiceLanguages::identifierAt(m_languages, position);
        const ErrorInfo failure = failureOf(*fri, [&] { fri->setLanguageID(identifier); });
        if (failure.isError()) {
            showLanguageError(failure, 1);
            // Kibo keeps a language it was given for every later character,
            // even one the character refused: it gets the one still in use
            // back, and whatever that says has been said already.
            failureOf(*fri, [&] { fri->setLanguageID(VoiceLanguages::identifierAt(m_languages, m_lastGoodLanguage)); });
            const QSignalBlocker quiet(m_languages);
            m_languages->setCurrentIndex(m_lastGoodLanguage);
            return;
        }
    }
    m_lastGoodLanguage = position;
    markChanged();
}

void Main::showLanguageError(const ErrorInfo &error, int step)
{
    const QString lineBreak = QStringLiteral("\r\n");
    const QString text = QStringLiteral("Fehler aufgetreten: #") + QString::number(error.number) + lineBreak
        + QStringLiteral("Quelle: ") + error.source + QStringLiteral(" - Zeile: ") + QString::number(step) + lineBreak
        + QStringLiteral("Beschreibung: ") + error.description;
    SystemServices::dialogs().messageBox(text, pageName + QStringLiteral(" - Fehler"),
                                         DialogService::OkOnly | DialogService::Critical);
}

QString Main::testSentence() const
{
    TestTagPrefix prefix;
    if (m_speedBox->isChecked())
        prefix.speed = m_speedSlider->value();
    if (m_pitchBox->isChecked())
        prefix.pitch = m_pitchSlider->value();
    if (m_volumeBox->isChecked())
        prefix.volume = m_volumeSlider->value();
    if (m_characterBox->isChecked())
        prefix.character = VoiceStyle::characterAt(m_characters->currentIndex());
    if (m_contextBox->isChecked())
        prefix.context = VoiceStyle::contextAt(m_contexts->currentIndex());
    return prefix.text() + m_testText->text();
}

void Main::testSpeech()
{
    // A failed test is not worth a message: the user hears that nothing was
    // spoken, and the host can read why from LastError.
    const auto record = [this](ErrorInfo error, int step) {
        error.line = step;
        setLastError(error);
    };
    Agent *fri = kibo();
    if (!fri) {
        record(runtime::objectNotSet(), 1);
        return;
    }
    const QString voice = VoiceChoices::modeIdAt(m_voices->currentIndex());
    if (const ErrorInfo failure = failureOf(*fri, [&] { fri->setTTSModeID(voice); }); failure.isError())
        return record(failure, 1);
    QString sentence = testSentence();
    if (const ErrorInfo failure = failureOf(*fri, [&] { fri->SpeakIt(sentence); }); failure.isError())
        return record(failure, 2);
    const qint32 language = chosenLanguage();
    if (const ErrorInfo failure = failureOf(*fri, [&] { fri->setLanguageID(language); }); failure.isError())
        return record(failure, 3);
}

bool Main::savingStep(int number, const ErrorInfo &failure)
{
    if (!failure.isError())
        return true;
    ErrorInfo recorded = failure;
    recorded.line = number;
    setLastError(recorded);
    RaiseError(pageName, recorded);
    saveFailed();
    return false;
}

bool Main::beforeSaving()
{
    // Kibo stores what it holds, so every value of the page goes to Kibo
    // first; the save stops at the first value Kibo refuses.
    Agent *fri = kibo();
    const auto step = [this, fri](int number, auto call) {
        return savingStep(number, fri ? failureOf(*fri, call) : runtime::objectNotSet());
    };
    return step(1, [&] { fri->setSpeed(m_speedBox->isChecked() ? qint16(m_speedSlider->value()) : -1); })
        && step(2, [&] { fri->setPitch(m_pitchBox->isChecked() ? qint16(m_pitchSlider->value()) : -1); })
        && step(3, [&] { fri->setVolume(m_volumeBox->isChecked() ? m_volumeSlider->value() : untickedVolume); })
        && step(4, [&] {
               fri->setVoiceChar(m_characterBox->isChecked() ? VoiceStyle::characterAt(m_characters->currentIndex())
                                                             : QString());
           })
        && step(5, [&] {
               fri->setVoiceContext(m_contextBox->isChecked() ? VoiceStyle::contextAt(m_contexts->currentIndex())
                                                              : QString());
           })
        && step(6, [&] {
               fri->setTTSModeID(VoiceChoices::modeIdAt(m_voices->currentIndex()));
               m_rememberedVoice = fri->TTSModeID();
           })
        && step(7, [&] {
               SaveSetting(settingsApplication(), QStringLiteral("ActiveAgent"), QStringLiteral("LanguageID"),
                           QString::number(chosenLanguage()));
               fri->setLanguageID(chosenLanguage());
           });
}

void Main::saveSettings()
{
    // Reached only once Kibo stored what it holds.
    writeSetting(testSpeechKey, m_testText->text());
}

void Main::teardown()
{
    // Still changed here means the user declined to save: a voice set only by
    // testing is taken back. (After a save the remembered voice is Kibo's.)
    if (PageChanged() && kibo())
        kibo()->setTTSModeID(m_rememberedVoice);
}

} // namespace tilvano::voice
