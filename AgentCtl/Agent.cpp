#include "AgentCtl/Agent.h"

#include "AgentCtl/LibraryStartup.h"
#include "AgentCtl/MainForm.h"
#include "AgentCtl/SpeechText.h"
#include "common/ErrorLog.h"
#include "common/RuntimeErrors.h"
#include "common/SettingsStore.h"
#include "system/WindowsDirectory.h"

#include <QCoreApplication>
#include <QDateTime>

#include <limits>

namespace tilvano {

namespace {

const QString kActiveAgent = QStringLiteral("ActiveAgent");
const QString kCharacterId = QStringLiteral("somebody");

QString readActive(const QString &key, const QString &defaultValue)
{
    return GetSetting(settingsApplication(), kActiveAgent, key, defaultValue);
}

bool storeActive(const QString &key, const QString &value)
{
    return SaveSetting(settingsApplication(), kActiveAgent, key, value);
}

// The failure a stored text gives when it does not fit the type it is read as.
ErrorInfo conversionError(const QString &text)
{
    return settingToDouble(text) ? runtime::overflow() : runtime::typeMismatch();
}

// The character's own voice values come as 32-bit numbers; ours are 16-bit.
std::optional<qint16> narrowed(qint32 value)
{
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(value);
}

} // namespace

Agent::Agent(QObject *parent) : QObject(parent)
{
    LibraryStartup::ensureRun();
    Log(QStringLiteral("Class_Initialize"));
    m_mainForm = std::make_unique<MainForm>();
    // Without a control the object stays without menu and character: every
    // request then records that there is no character.
    if (!m_mainForm->Init())
        return;
    MenuItems = std::make_unique<colMenu>();
    oAgentCtl = m_mainForm->agentControl();
    connectControlEvents();
}

Agent::~Agent()
{
    m_mainForm->hide();
    if (oAgentCtl)
        disconnect(oAgentCtl, nullptr, this, nullptr);
    oAgentCtl = nullptr;
    oChar = nullptr;
    m_mainForm.reset(); // takes the control and its characters with it
    Log(QStringLiteral("Class_Terminate"));
    MenuItems.reset();
}

void Agent::Log(const QString &message) const { WriteLog(writer::tilvano(), message); }

Agent::CallRecord::CallRecord(Agent &agent, ErrorBoxes boxes)
    : m_agent(&agent), m_outer(agent.m_callRecord), m_boxes(boxes)
{
    agent.m_callRecord = this;
}

Agent::CallRecord::~CallRecord()
{
    if (m_agent)
        m_agent->m_callRecord = m_outer;
}

void Agent::SetLastError(const ErrorInfo &error)
{
    Log(SetLastErrorText(error));
    m_lastError = error;
    if (m_callRecord)
        m_callRecord->m_failure = error;
}

void Agent::reportLoadFailure(const ErrorInfo &error)
{
    if (m_callRecord && m_callRecord->m_boxes == ErrorBoxes::RecordedInstead) {
        SetLastError(error);
        return;
    }
    if (m_callRecord)
        m_callRecord->m_failure = error;
    RaiseError(writer::tilvano(), error);
}

bool Agent::failed(const ErrorInfo &result)
{
    if (!result.isError())
        return false;
    SetLastError(result);
    return true;
}

AgentCharacter *Agent::characterOrFail()
{
    if (!oChar)
        SetLastError(runtime::objectNotSet());
    return oChar;
}

ErrorInfo Agent::showIfHidden()
{
    if (oChar->isVisible())
        return {};
    return oChar->show(m_fastShowHide);
}

bool Agent::hideAfterwards()
{
    if (!m_hideAfterAnimation)
        return true;
    return characterOrFail() && !failed(oChar->hide(m_fastShowHide));
}

QString Agent::BuildSpeechTags() const
{
    return tilvano::BuildSpeechTags(m_speed, m_pitch, m_volume, m_voiceChar, m_voiceContext);
}

bool Agent::loadStepMayContinue(const ErrorInfo &result)
{
    if (!result.isError() || result.number == AgentErrorAlreadyLoaded)
        return true;
    reportLoadFailure(result);
    return false;
}

QVariant Agent::LoadChar(QString &sFile)
{
    Log(QStringLiteral("LoadChar: ") + sFile);
    if (!oAgentCtl) {
        reportLoadFailure(runtime::objectNotSet());
        return {};
    }
    if (sFile.isEmpty()) {
        // Loading nothing unloads the character and loads none.
        if (!CharacterID.isEmpty()) {
            const ErrorInfo unloaded = oAgentCtl->unload(CharacterID);
            oChar = nullptr; // gone (or unusable) whatever the service says
            loadStepMayContinue(unloaded);
        }
        return {};
    }

    // The new character is read before the current one goes: a file that
    // cannot be loaded leaves the character as it was.
    CharacterID = kCharacterId;
    for (;;) {
        const ErrorInfo loaded = oAgentCtl->replace(CharacterID, sFile);
        // A missing default character falls back to the one every installation has.
        if (loaded.number == AgentErrorFileNotFound && sFile.contains(QLatin1String("merlin.acs"), Qt::CaseInsensitive)) {
            sFile = QStringLiteral("Genie.acs");
            continue;
        }
        if (!loadStepMayContinue(loaded))
            return {};
        break;
    }
    oChar = oAgentCtl->character(CharacterID);
    if (!oChar) {
        reportLoadFailure(runtime::objectNotSet());
        return {};
    }
    QCoreApplication::processEvents();
    // Events run above may have unloaded it again.
    if (!oChar) {
        reportLoadFailure(runtime::objectNotSet());
        return {};
    }
    m_charFile = sFile;

    if (MenuItems->Count() == 0) {
        InitAgentCommands();
    } else {
        // A copy: a report box shown on the way lets events run, and they may change the menu.
        QList<clsMenuItem> entries;
        for (const auto &item : *MenuItems)
            entries.append(*item);
        for (const clsMenuItem &item : entries) {
            const ErrorInfo added = oChar ? oChar->commands().add(item.Key, item.Caption, item.VoiceCmd, item.enabled,
                                                                  item.visible)
                                          : runtime::objectNotSet();
            if (!loadStepMayContinue(added))
                return {};
        }
    }
    if (!oChar) {
        reportLoadFailure(runtime::objectNotSet());
        return {};
    }

    const std::optional<qint16> ownSpeed = narrowed(oChar->speed());
    const std::optional<qint16> ownPitch = narrowed(oChar->pitch());
    if (!ownSpeed || !ownPitch) {
        reportLoadFailure(runtime::overflow());
        return {};
    }
    m_speed = *ownSpeed;
    m_pitch = *ownPitch;
    m_volume = 65000;

    if (m_languageId != 0) {
        Log(QStringLiteral("Seting the language to: ") + QString::number(m_languageId));
        loadStepMayContinue(oChar->setLanguageId(m_languageId));
    }
    return {};
}

bool Agent::SpeakIt(QString &txt)
{
    Log(QStringLiteral("SpeakIt: ") + txt);
    emit EvSpeak(txt);
    if (!characterOrFail() || failed(showIfHidden()))
        return false;
    ReplaceTimePlaceholders(txt, QDateTime::currentDateTime());
    // Client handlers of the events a request reports may unload the character.
    if (!characterOrFail() || failed(oChar->speak(BuildSpeechTags() + txt, QString())))
        return false;
    return hideAfterwards();
}

bool Agent::SpeakWave(const QString &FileName)
{
    Log(QStringLiteral("SpeakWave: ") + FileName);
    if (!characterOrFail() || failed(showIfHidden()))
        return false;
    if (!characterOrFail() || failed(oChar->speak(QString(), FileName)))
        return false;
    return hideAfterwards();
}

bool Agent::PlayAni(const QString &aniName)
{
    Log(QStringLiteral("PlayAni: ") + aniName);
    if (!characterOrFail() || failed(showIfHidden()))
        return false;
    return characterOrFail() && !failed(oChar->play(aniName));
}

qint32 Agent::LanguageID() const { return oChar ? oChar->languageId() : 0; }

void Agent::setLanguageID(qint32 value)
{
    Log(QStringLiteral("Let LanguageID: ") + QString::number(value));
    m_languageId = value;
    // 0 leaves the character's language alone.
    if (value == 0 || !characterOrFail())
        return;
    failed(oChar->setLanguageId(value));
}

QString Agent::TTSModeID() const { return oChar ? oChar->ttsModeId() : QString(); }

void Agent::setTTSModeID(const QString &value)
{
    Log(QStringLiteral("Let TTSModeID: ") + value);
    if (characterOrFail())
        failed(oChar->setTtsModeId(value));
}

QStringList Agent::AnimationNames()
{
    if (!characterOrFail())
        return {};
    return oChar->animationNames();
}

QVariant Agent::Show(const QVariant &Fast)
{
    Log(QStringLiteral("Show Friend"));
    storeActive(QStringLiteral("Visible"), boolSetting(true));
    bool fast = m_fastShowHide;
    if (Fast.isValid() && !Fast.isNull()) {
        const std::optional<bool> given =
            Fast.typeId() == QMetaType::QString ? settingToBool(Fast.toString()) : std::optional<bool>(Fast.toBool());
        if (!given) {
            SetLastError(runtime::typeMismatch());
            return {};
        }
        fast = *given;
    }
    if (characterOrFail())
        failed(oChar->show(fast));
    return {};
}

QVariant Agent::Hide()
{
    Log(QStringLiteral("Hide"));
    if (!characterOrFail())
        return {};
    storeActive(QStringLiteral("Left"), intSetting(oChar->left()));
    storeActive(QStringLiteral("Top"), intSetting(oChar->top()));
    storeActive(QStringLiteral("Visible"), boolSetting(false));
    failed(oChar->hide(m_fastShowHide));
    return {};
}

QVariant Agent::StopAll()
{
    Log(QStringLiteral("StopAll"));
    if (characterOrFail())
        failed(oChar->stopAll());
    return {};
}

bool Agent::visible() const { return oChar && oChar->isVisible(); }

qint16 Agent::Width() const { return oChar ? oChar->width() : qint16(0); }

void Agent::setWidth(qint16 value)
{
    Log(QStringLiteral("Let Width:") + QString::number(value));
    if (oChar)
        oChar->setWidth(value);
}

qint16 Agent::Height() const { return oChar ? oChar->height() : qint16(0); }

void Agent::setHeight(qint16 value)
{
    Log(QStringLiteral("Let Hight: ") + QString::number(value));
    if (oChar)
        oChar->setHeight(value);
}

QVariant Agent::Description() const { return oChar ? QVariant(oChar->description()) : QVariant(); }

bool Agent::InitLastAgent()
{
    Log(QStringLiteral("InitLastAgent"));
    if (oChar)
        return true;
    QString path = readActive(QStringLiteral("Path"), WindowsDirectory::characterFolder() + QStringLiteral("Merlin.acs"));
    LoadChar(path);
    return applyStoredSettings();
}

bool Agent::applyStoredSettings()
{
    // Each key is applied as soon as it is read; the first that fails ends the restoring.
    auto readInt16 = [this](const QString &key, const QString &defaultValue) -> std::optional<qint16> {
        const QString text = readActive(key, defaultValue);
        const std::optional<qint16> value = settingToInt16(text);
        if (!value)
            SetLastError(conversionError(text));
        return value;
    };
    auto readBool = [this](const QString &key, const QString &defaultValue) -> std::optional<bool> {
        const std::optional<bool> value = settingToBool(readActive(key, defaultValue));
        if (!value)
            SetLastError(runtime::typeMismatch());
        return value;
    };

    const std::optional<qint16> storedSpeed = readInt16(QStringLiteral("Speed"), QStringLiteral("-1"));
    if (!storedSpeed)
        return false;
    m_speed = *storedSpeed;
    const std::optional<qint16> storedPitch = readInt16(QStringLiteral("Pitch"), QStringLiteral("-1"));
    if (!storedPitch)
        return false;
    m_pitch = *storedPitch;
    const QString volumeText = readActive(QStringLiteral("Volume"), QStringLiteral("-1"));
    const std::optional<qint32> storedVolume = settingToInt32(volumeText);
    if (!storedVolume) {
        SetLastError(conversionError(volumeText));
        return false;
    }
    m_volume = *storedVolume;
    m_voiceChar = readActive(QStringLiteral("VoiceChar"), QString());
    m_voiceContext = readActive(QStringLiteral("VoiceContext"), QString());
    const std::optional<bool> showFast = readBool(QStringLiteral("ShowFast"), boolSetting(false));
    if (!showFast)
        return false;
    m_fastShowHide = *showFast;

    if (!characterOrFail())
        return false;
    const std::optional<qint16> width = readInt16(QStringLiteral("Width"), intSetting(oChar->width()));
    if (!width)
        return false;
    oChar->setWidth(*width);
    const std::optional<qint16> height = readInt16(QStringLiteral("Height"), intSetting(oChar->height()));
    if (!height)
        return false;
    oChar->setHeight(*height);
    const std::optional<qint16> left = readInt16(QStringLiteral("Left"), QStringLiteral("100"));
    if (!left)
        return false;
    oChar->setLeft(*left);
    const std::optional<qint16> top = readInt16(QStringLiteral("Top"), QStringLiteral("100"));
    if (!top)
        return false;
    oChar->setTop(*top);
    if (failed(oChar->setTtsModeId(readActive(QStringLiteral("TTS"), QString()))))
        return false;
    const std::optional<bool> hideAfter = readBool(QStringLiteral("HideAfterAnimation"), boolSetting(false));
    if (!hideAfter)
        return false;
    m_hideAfterAnimation = *hideAfter;
    // Kept for the next load or LanguageID change; the loaded character keeps its language.
    const QString languageText = readActive(QStringLiteral("LanguageID"), QStringLiteral("0"));
    const std::optional<qint32> languageId = settingToInt32(languageText);
    if (!languageId) {
        SetLastError(conversionError(languageText));
        return false;
    }
    m_languageId = *languageId;
    const std::optional<bool> wasVisible = readBool(QStringLiteral("Visible"), boolSetting(true));
    if (!wasVisible)
        return false;

    // A character that hides after every sentence waits hidden for its first one.
    if (*wasVisible && !m_hideAfterAnimation && failed(oChar->show(m_fastShowHide)))
        return false;
    return true;
}

void Agent::SaveAll()
{
    Log(QStringLiteral("SaveAll"));
    // A value the store refuses ends the save: the caller must not take it
    // for done, and the values after it would not last either.
    const auto storeAll = [this](const QList<std::pair<QString, QString>> &values) {
        for (const auto &[key, value] : values) {
            if (!storeActive(key, value)) {
                SetLastError(runtime::pathFileAccess());
                return false;
            }
        }
        return true;
    };
    if (!storeAll({{QStringLiteral("Volume"), intSetting(m_volume)},
                   {QStringLiteral("Pitch"), intSetting(m_pitch)},
                   {QStringLiteral("Speed"), intSetting(m_speed)}})
        || !characterOrFail())
        return;
    storeAll({{QStringLiteral("TTS"), oChar->ttsModeId()},
              {QStringLiteral("LanguageID"), intSetting(oChar->languageId())},
              {QStringLiteral("VoiceContext"), m_voiceContext},
              {QStringLiteral("VoiceChar"), m_voiceChar},
              {QStringLiteral("HideAfterAnimation"), boolSetting(m_hideAfterAnimation)},
              {QStringLiteral("Width"), intSetting(oChar->width())},
              {QStringLiteral("Height"), intSetting(oChar->height())},
              {QStringLiteral("Top"), intSetting(oChar->top())},
              {QStringLiteral("Left"), intSetting(oChar->left())},
              {QStringLiteral("Visible"), boolSetting(oChar->isVisible())},
              {QStringLiteral("ShowFast"), boolSetting(m_fastShowHide)},
              {QStringLiteral("Path"), m_charFile}});
}

void Agent::RestoreDefaults() { Log(QStringLiteral("RestoreDefaults")); }

QObject *Agent::GestureAt(qint16 x, qint16 y)
{
    Log(QStringLiteral("GestureAt: %1/%2").arg(x).arg(y));
    if (characterOrFail())
        failed(oChar->gestureAt(x, y));
    return nullptr;
}

void Agent::Think(QString &txt)
{
    Log(QStringLiteral("Think: ") + txt);
    if (!characterOrFail() || failed(showIfHidden()))
        return;
    emit EvSpeak(txt);
    if (!characterOrFail() || failed(oChar->think(txt)))
        return;
    hideAfterwards();
}

void Agent::MoveTo(qint16 left, qint16 top, const QVariant &speed)
{
    Log(QStringLiteral("MoveTo: %1/%2").arg(left).arg(top));
    if (!characterOrFail())
        return;
    std::optional<qint32> pace;
    if (speed.isValid() && !speed.isNull()) {
        bool isNumber = false;
        const qlonglong number = speed.toLongLong(&isNumber);
        if (!isNumber) {
            SetLastError(runtime::typeMismatch());
            return;
        }
        if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max()) {
            SetLastError(runtime::overflow());
            return;
        }
        pace = qint32(number);
    }
    failed(oChar->moveTo(left, top, pace));
}

QString Agent::MenuCaption() const { return oChar ? oChar->commands().caption() : QString(); }

void Agent::setMenuCaption(const QString &value)
{
    Log(QStringLiteral("let MenuCaption: ") + value);
    if (characterOrFail())
        oChar->commands().setCaption(value);
}

} // namespace tilvano
