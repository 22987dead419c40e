#include "support/RecordingAgentCharacter.h"

#include "platform/agent/AgentCodes.h"
#include "platform/speech/SpeechTagParser.h"

#include <QPointer>
#include <QUuid>

#include <utility>

namespace tilvano::test {

namespace {
QString flag(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

// "{3A1FB761-...}" for any spelling of a mode id; empty for what is no id.
QString canonicalModeId(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QUuid id = QUuid::fromString(trimmed.startsWith(u'{') ? trimmed : u'{' + trimmed + u'}');
    return id.isNull() ? QString() : id.toString(QUuid::WithBraces).toUpper();
}
} // namespace

RecordingAgentCharacter::RecordingAgentCharacter(const QString &characterId, const CharacterProfile &profile,
                                                 QStringList *log, AgentControl *events, QObject *parent)
    : AgentCharacter(parent), m_characterId(characterId), m_profile(profile), m_log(log), m_events(events),
      m_commands(characterId, log)
{
}

void RecordingAgentCharacter::queue(std::function<bool()> change, std::function<void()> report, bool startsAtOnce)
{
    Queued request{std::move(change), std::move(report), startsAtOnce, std::nullopt};
    if (startsAtOnce && m_queued.isEmpty())
        request.changed = request.change();
    m_queued.append(std::move(request));
}

void RecordingAgentCharacter::runQueuedRequests()
{
    // Reports may queue more (a client answering an event); they run too. A client may also
    // unload the character in between.
    const QPointer<RecordingAgentCharacter> self(this);
    while (self && !m_queued.isEmpty()) {
        Queued next = m_queued.takeFirst();
        const bool changed = next.changed ? *next.changed : next.change();
        if (changed && next.report)
            next.report();
    }
}

void RecordingAgentCharacter::sayInBalloon(const QString &text)
{
    // The balloon shows the words without their speech tags, and only on a visible character.
    if (speech::SpeechTagParser::parse(text).isSilent())
        return;
    queue([this] { return m_visibleNow; },
           [this] {
               emit m_events->balloonShown(m_characterId);
               emit m_events->balloonHidden(m_characterId);
           });
}

ErrorInfo RecordingAgentCharacter::request(const QString &name, const QStringList &arguments)
{
    m_log->append(QStringLiteral("%1.%2(%3)").arg(m_characterId, name, arguments.join(QStringLiteral(", "))));
    const qint32 code = m_failures.value(name, 0);
    if (code == 0)
        return {};
    return ErrorInfo{code, QStringLiteral("Agent.Control"), name + QStringLiteral(" failed"), 0};
}

void RecordingAgentCharacter::failRequest(const QString &request, qint32 code) { m_failures[request] = code; }

ErrorInfo RecordingAgentCharacter::show(bool fast)
{
    ErrorInfo result = request(QStringLiteral("Show"), {flag(fast)});
    if (result.isError())
        return result;
    m_visibleWhenDone = true;
    // Showing a visible character does nothing.
    queue([this] { return !std::exchange(m_visibleNow, true); },
           [this] { emit m_events->shown(m_characterId, agent::VisibilityCause::ProgramShowed); }, true);
    return result;
}

ErrorInfo RecordingAgentCharacter::hide(bool fast)
{
    ErrorInfo result = request(QStringLiteral("Hide"), {flag(fast)});
    if (result.isError())
        return result;
    m_visibleWhenDone = false;
    // Without its animation, a hide is over before anything else can happen.
    queue([this] { return std::exchange(m_visibleNow, false); },
           [this] { emit m_events->hidden(m_characterId, agent::VisibilityCause::ProgramHid); }, fast);
    return result;
}

ErrorInfo RecordingAgentCharacter::speak(const QString &text, const QString &soundFile)
{
    ErrorInfo result = request(QStringLiteral("Speak"), {text, soundFile});
    if (!result.isError())
        sayInBalloon(text);
    return result;
}

ErrorInfo RecordingAgentCharacter::think(const QString &text)
{
    ErrorInfo result = request(QStringLiteral("Think"), {text});
    if (!result.isError())
        sayInBalloon(text);
    return result;
}

ErrorInfo RecordingAgentCharacter::play(const QString &animation)
{
    return request(QStringLiteral("Play"), {animation});
}

ErrorInfo RecordingAgentCharacter::moveTo(qint16 x, qint16 y, std::optional<qint32> speed)
{
    QStringList arguments{QString::number(x), QString::number(y)};
    if (speed)
        arguments.append(QString::number(*speed));
    ErrorInfo result = request(QStringLiteral("MoveTo"), arguments);
    if (result.isError())
        return result;
    placeAt(x, y);
    queue([] { return true; },
           [this, x, y] { emit m_events->moved(m_characterId, x, y, agent::MoveCause::ProgramMoved); });
    return result;
}

ErrorInfo RecordingAgentCharacter::gestureAt(qint16 x, qint16 y)
{
    return request(QStringLiteral("GestureAt"), {QString::number(x), QString::number(y)});
}

ErrorInfo RecordingAgentCharacter::stop() { return request(QStringLiteral("Stop"), {}); }

ErrorInfo RecordingAgentCharacter::stopAll()
{
    ErrorInfo result = request(QStringLiteral("StopAll"), {});
    // What has not started never will; what has, is reported.
    m_queued.removeIf([](const Queued &request) { return !request.changed; });
    m_visibleWhenDone = m_visibleNow;
    return result;
}

void RecordingAgentCharacter::setLeft(qint16 left)
{
    request(QStringLiteral("Left"), {QString::number(left)});
    m_profile.left = left;
}

void RecordingAgentCharacter::setTop(qint16 top)
{
    request(QStringLiteral("Top"), {QString::number(top)});
    m_profile.top = top;
}

void RecordingAgentCharacter::setWidth(qint16 width)
{
    request(QStringLiteral("Width"), {QString::number(width)});
    m_profile.width = width;
}

void RecordingAgentCharacter::setHeight(qint16 height)
{
    request(QStringLiteral("Height"), {QString::number(height)});
    m_profile.height = height;
}

ErrorInfo RecordingAgentCharacter::setLanguageId(qint32 languageId)
{
    ErrorInfo result = request(QStringLiteral("LanguageID"), {QString::number(languageId)});
    if (!result.isError())
        m_profile.languageId = languageId;
    return result;
}

ErrorInfo RecordingAgentCharacter::setTtsModeId(const QString &modeId)
{
    ErrorInfo result = request(QStringLiteral("TTSModeID"), {modeId});
    if (result.isError())
        return result;
    const QString canonical = canonicalModeId(modeId);
    if (modeId.isEmpty() || canonical == canonicalModeId(m_profile.ttsModeId)) {
        m_chosenVoice.clear();
        return result;
    }
    if (canonical.isEmpty() || !m_profile.voices.contains(canonical, Qt::CaseInsensitive))
        return ErrorInfo{agent::AgentErrorNoVoice, QStringLiteral("AgentCharacter"),
                         QStringLiteral("Es gibt keine Stimme \"%1\".").arg(modeId), 0};
    m_chosenVoice = canonical;
    return result;
}

void RecordingAgentCharacter::setIdleOn(bool on)
{
    request(QStringLiteral("IdleOn"), {flag(on)});
    m_idleOn = on;
}

} // namespace tilvano::test
