#include "support/RecordingAgentCharacter.h"

namespace tilvano::test {

namespace {
QString flag(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }
} // namespace

RecordingAgentCharacter::RecordingAgentCharacter(const QString &characterId, const CharacterProfile &profile,
                                                 QStringList *log, QObject *parent)
    : AgentCharacter(parent), m_characterId(characterId), m_profile(profile), m_log(log),
      m_commands(characterId, log)
{
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
    if (!result.isError())
        m_visible = true;
    return result;
}

ErrorInfo RecordingAgentCharacter::hide(bool fast)
{
    ErrorInfo result = request(QStringLiteral("Hide"), {flag(fast)});
    if (!result.isError())
        m_visible = false;
    return result;
}

ErrorInfo RecordingAgentCharacter::speak(const QString &text, const QString &soundFile)
{
    return request(QStringLiteral("Speak"), {text, soundFile});
}

ErrorInfo RecordingAgentCharacter::think(const QString &text) { return request(QStringLiteral("Think"), {text}); }

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
    if (!result.isError())
        placeAt(x, y);
    return result;
}

ErrorInfo RecordingAgentCharacter::gestureAt(qint16 x, qint16 y)
{
    return request(QStringLiteral("GestureAt"), {QString::number(x), QString::number(y)});
}

ErrorInfo RecordingAgentCharacter::stop() { return request(QStringLiteral("Stop"), {}); }
ErrorInfo RecordingAgentCharacter::stopAll() { return request(QStringLiteral("StopAll"), {}); }

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
    if (!result.isError())
        m_profile.ttsModeId = modeId;
    return result;
}

void RecordingAgentCharacter::setIdleOn(bool on)
{
    request(QStringLiteral("IdleOn"), {flag(on)});
    m_idleOn = on;
}

} // namespace tilvano::test
