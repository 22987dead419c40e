#include "AgentService.h"

#include "AgentSettingsStore.h"
#include "CharacterSession.h"
#include "PropertySheet.h"

#include "platform/acs/AcsReader.h"
#include "platform/speech/SpeechSynthesizer.h"
#include "system/ServiceRegistry.h"
#include "system/SystemServices.h"
#include "system/WindowsDirectory.h"

#include <QFileInfo>
#include <QWidget>

namespace tilvano::agent {

namespace {
ErrorInfo agentFailure(qint32 number, const QString &description)
{
    return ErrorInfo{number, QStringLiteral("AgentControl"), description, 0};
}

QString pointText(int value) { return QString::number(value); }

// What the user reads in the German error box when a character file cannot be loaded.
QString loadFailureText(acs::AcsErrorCode code, const QString &path)
{
    switch (code) {
    case acs::AcsErrorCode::FileNotFound:
        return QStringLiteral("Die Figurendatei \"%1\" wurde nicht gefunden.").arg(path);
    case acs::AcsErrorCode::AccessDenied:
        return QStringLiteral("Die Figurendatei \"%1\" darf nicht gelesen werden.").arg(path);
    case acs::AcsErrorCode::ReadFault:
        return QStringLiteral("Die Figurendatei \"%1\" ließ sich nicht ganz lesen.").arg(path);
    case acs::AcsErrorCode::NotACharacterFile:
        return QStringLiteral("Die Datei \"%1\" ist keine Figurendatei.").arg(path);
    case acs::AcsErrorCode::UnsupportedVersion15:
        return QStringLiteral("Die Figurendatei \"%1\" hat das alte Format 1.5, das nicht unterstützt wird.").arg(path);
    case acs::AcsErrorCode::UnsupportedVersion:
        return QStringLiteral("Die Figurendatei \"%1\" hat eine Version, die nicht unterstützt wird.").arg(path);
    default:
        return QStringLiteral("Die Figurendatei \"%1\" ist beschädigt.").arg(path);
    }
}
} // namespace

AgentService::AgentService(QWidget *host, AgentServiceOptions options)
    : m_host(host)
    , m_clock(options.clockMode)
    , m_random(options.randomSeed ? RandomSource(*options.randomSeed) : RandomSource())
    , m_idle(options.idle)
    , m_settings(options.settings.value_or(AgentSettings{}))
    , m_keepSettings(!options.settings)
    , m_synthesizer(std::make_unique<speech::SpeechSynthesizer>())
{
    if (m_keepSettings)
        m_settings = AgentSettingsStore(SystemServices::registry()).load();
    qRegisterMetaType<tilvano::AgentUserInput>();
}

AgentService::~AgentService()
{
    // Characters go before the synthesizer and the clock they use.
    const QList<CharacterSession *> sessions = m_sessions.values();
    m_sessions.clear();
    qDeleteAll(sessions);
    delete m_propertySheet;
}

std::optional<acs::AcsReader> AgentService::readCharacterFile(const QString &file, ErrorInfo &failure) const
{
    const QString path = characterPath(file);
    if (file.isEmpty() || !QFileInfo(path).isFile()) {
        failure = agentFailure(AgentErrorFileNotFound, loadFailureText(acs::AcsErrorCode::FileNotFound, path));
        return std::nullopt;
    }
    acs::AcsError error;
    std::optional<acs::AcsReader> reader = acs::AcsReader::open(path, &error);
    if (!reader)
        failure = agentFailure(qint32(error.number()), loadFailureText(error.code, path));
    return reader;
}

ErrorInfo AgentService::load(const QString &characterId, const QString &file)
{
    m_trace.record(QStringLiteral("Load"), characterId, {file});
    if (characterId.isEmpty())
        return agentFailure(qint32(0x80070057u), QStringLiteral("Eine Figur braucht eine Kennung."));
    if (m_sessions.contains(keyOf(characterId)))
        return agentFailure(AgentErrorAlreadyLoaded, QStringLiteral("Die Kennung \"%1\" ist schon vergeben.").arg(characterId));
    ErrorInfo failure;
    std::optional<acs::AcsReader> reader = readCharacterFile(file, failure);
    if (!reader)
        return failure;
    startSession(characterId, std::move(*reader));
    return {};
}

ErrorInfo AgentService::replace(const QString &characterId, const QString &file)
{
    if (!m_sessions.contains(keyOf(characterId)))
        return load(characterId, file);
    m_trace.record(QStringLiteral("Replace"), characterId, {file});
    ErrorInfo failure;
    std::optional<acs::AcsReader> reader = readCharacterFile(file, failure);
    if (!reader)
        return failure; // the character that is there stays
    delete m_sessions.take(keyOf(characterId));
    startSession(characterId, std::move(*reader));
    return {};
}

void AgentService::startSession(const QString &characterId, acs::AcsReader reader)
{
    const CharacterServices services{m_clock, m_random, *m_synthesizer, m_trace, m_settings, m_idle};
    auto *session = new CharacterSession(characterId, std::move(reader), services);
    relayReports(session, characterId);
    m_sessions.insert(keyOf(characterId), session);
}

QString AgentService::characterPath(const QString &file)
{
    return file.contains(QLatin1Char('/')) ? file : WindowsDirectory::characterFolder() + file;
}

ErrorInfo AgentService::unload(const QString &characterId)
{
    m_trace.record(QStringLiteral("Unload"), characterId);
    delete m_sessions.take(keyOf(characterId));
    return {};
}

AgentCharacter *AgentService::character(const QString &characterId) { return session(characterId); }

CharacterSession *AgentService::session(const QString &characterId) { return m_sessions.value(keyOf(characterId)); }

PropertySheet *AgentService::propertySheet()
{
    if (!m_propertySheet) {
        m_propertySheet = new PropertySheet(m_host);
        m_propertySheet->setSettings(m_settings);
        connect(m_propertySheet, &PropertySheet::settingsChanged, this, &AgentService::setSettings);
    }
    return m_propertySheet;
}

bool AgentService::isPropertySheetVisible() const { return m_propertySheet && m_propertySheet->isVisible(); }

void AgentService::setPropertySheetVisible(bool visible)
{
    m_trace.record(QStringLiteral("PropertySheet.Visible"), QString(), {visible ? QStringLiteral("True") : QStringLiteral("False")});
    if (!visible) {
        if (m_propertySheet)
            m_propertySheet->hide();
        return;
    }
    PropertySheet *sheet = propertySheet();
    sheet->setSettings(m_settings);
    sheet->show();
    sheet->raise();
}

qint16 AgentService::propertySheetLeft() const { return m_propertySheet ? qint16(m_propertySheet->x()) : 0; }

qint16 AgentService::propertySheetTop() const { return m_propertySheet ? qint16(m_propertySheet->y()) : 0; }

void AgentService::setSettings(const AgentSettings &settings)
{
    if (settings == m_settings)
        return;
    m_settings = settings;
    if (m_keepSettings)
        AgentSettingsStore(SystemServices::registry()).save(settings);
    for (CharacterSession *session : std::as_const(m_sessions))
        session->settingsChanged();
    m_trace.record(QStringLiteral("AgentPropertyChange"), QString());
    emit propertiesChanged();
}

speech::SpeechSynthesizer &AgentService::synthesizer() { return *m_synthesizer; }

void AgentService::relayReports(CharacterSession *session, const QString &id)
{
    connect(session, &CharacterSession::shown, this, [this, id](qint16 cause) { reportShown(id, cause); });
    connect(session, &CharacterSession::hidden, this, [this, id](qint16 cause) { reportHidden(id, cause); });
    connect(session, &CharacterSession::moved, this,
            [this, id](QPoint position, qint16 cause) { reportMoved(id, position, cause); });
    connect(session, &CharacterSession::clicked, this, [this, id](qint16 button, qint16 shift, QPoint position) {
        reportClicked(id, button, shift, position);
    });
    connect(session, &CharacterSession::doubleClicked, this,
            [this, id](qint16 button, qint16 shift, QPoint position) {
                reportDoubleClicked(id, button, shift, position);
            });
    connect(session, &CharacterSession::balloonShown, this, [this, id]() { reportBalloonShown(id); });
    connect(session, &CharacterSession::balloonHidden, this, [this, id]() { reportBalloonHidden(id); });
    connect(session, &CharacterSession::idleStarted, this, [this, id]() { reportIdleStarted(id); });
    connect(session, &CharacterSession::commandChosen, this, &AgentService::reportCommand);
}

void AgentService::reportShown(const QString &id, qint16 cause)
{
    m_trace.record(QStringLiteral("Show"), id, {QString::number(cause)});
    emit shown(id, cause);
}

void AgentService::reportHidden(const QString &id, qint16 cause)
{
    m_trace.record(QStringLiteral("Hide"), id, {QString::number(cause)});
    emit hidden(id, cause);
}

void AgentService::reportMoved(const QString &id, QPoint position, qint16 cause)
{
    m_trace.record(QStringLiteral("Move"), id, {pointText(position.x()), pointText(position.y()), QString::number(cause)});
    emit moved(id, qint16(position.x()), qint16(position.y()), cause);
}

void AgentService::reportClicked(const QString &id, qint16 button, qint16 shift, QPoint position)
{
    m_trace.record(QStringLiteral("Click"), id,
                   {QString::number(button), QString::number(shift), pointText(position.x()), pointText(position.y())});
    emit clicked(id, button, shift, qint16(position.x()), qint16(position.y()));
}

void AgentService::reportDoubleClicked(const QString &id, qint16 button, qint16 shift, QPoint position)
{
    m_trace.record(QStringLiteral("DblClick"), id,
                   {QString::number(button), QString::number(shift), pointText(position.x()), pointText(position.y())});
    emit doubleClicked(id, button, shift, qint16(position.x()), qint16(position.y()));
}

void AgentService::reportBalloonShown(const QString &id)
{
    m_trace.record(QStringLiteral("BalloonShow"), id);
    emit balloonShown(id);
}

void AgentService::reportBalloonHidden(const QString &id)
{
    m_trace.record(QStringLiteral("BalloonHide"), id);
    emit balloonHidden(id);
}

void AgentService::reportIdleStarted(const QString &id)
{
    m_trace.record(QStringLiteral("IdleStart"), id);
    emit idleStarted(id);
}

void AgentService::reportCommand(const AgentUserInput &input)
{
    m_trace.record(QStringLiteral("Command"), input.characterId,
                   {input.name, QString::number(input.confidence), input.alt1Name, QString::number(input.alt1Confidence)});
    emit commandChosen(input);
}

void installAgentService()
{
    ServiceRegistry::installDefault<AgentControlFactory>([] {
        return std::make_unique<AgentControlFactory>(
            [](QWidget *host) -> std::unique_ptr<AgentControl> { return std::make_unique<AgentService>(host); });
    });
}

} // namespace tilvano::agent
