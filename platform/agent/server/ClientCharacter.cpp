#include "ClientCharacter.h"

#include "ServerClient.h"
#include "SharedCharacter.h"

#include "platform/agent/CharacterSession.h"

namespace tilvano::agent {

ClientCharacter::ClientCharacter(ServerClient &client, const QString &id, SharedCharacter &shared, quint64 owner)
    : DescribedCharacter(nullptr)
    , m_client(client)
    , m_id(id)
    , m_shared(shared)
    , m_owner(owner)
    , m_commands(this)
{
    m_shared.attach(this);
}

// A client that lets go of the character takes its waiting requests along. It hears nothing
// of what stopping them does: it is on its way out.
ClientCharacter::~ClientCharacter()
{
    m_shared.detach(this);
    asOwner([this]() { return session().stopAll(); });
}

CharacterSession &ClientCharacter::session() const { return m_shared.session(); }

template <typename Request>
ErrorInfo ClientCharacter::asOwner(Request request)
{
    CharacterSession &character = session();
    character.setRequestOwner(m_owner);
    const ErrorInfo result = request();
    character.setRequestOwner(0);
    return result;
}

ErrorInfo ClientCharacter::show(bool fast)
{
    return asOwner([&]() { return session().show(fast); });
}

ErrorInfo ClientCharacter::hide(bool fast)
{
    return asOwner([&]() { return session().hide(fast); });
}

ErrorInfo ClientCharacter::speak(const QString &text, const QString &soundFile)
{
    return asOwner([&]() { return session().speak(text, soundFile); });
}

ErrorInfo ClientCharacter::think(const QString &text)
{
    return asOwner([&]() { return session().think(text); });
}

ErrorInfo ClientCharacter::play(const QString &animation)
{
    return asOwner([&]() { return session().play(animation); });
}

ErrorInfo ClientCharacter::moveTo(qint16 x, qint16 y, std::optional<qint32> speed)
{
    return asOwner([&]() { return session().moveTo(x, y, speed); });
}

ErrorInfo ClientCharacter::gestureAt(qint16 x, qint16 y)
{
    return asOwner([&]() { return session().gestureAt(x, y); });
}

ErrorInfo ClientCharacter::stop()
{
    return asOwner([&]() { return session().stop(); });
}

ErrorInfo ClientCharacter::stopAll()
{
    return asOwner([&]() { return session().stopAll(); });
}

bool ClientCharacter::isVisible() const { return session().isVisible(); }
qint16 ClientCharacter::left() const { return session().left(); }
void ClientCharacter::setLeft(qint16 left) { session().setLeft(left); }
qint16 ClientCharacter::top() const { return session().top(); }
void ClientCharacter::setTop(qint16 top) { session().setTop(top); }
qint16 ClientCharacter::width() const { return session().width(); }
void ClientCharacter::setWidth(qint16 width) { session().setWidth(width); }
qint16 ClientCharacter::height() const { return session().height(); }
void ClientCharacter::setHeight(qint16 height) { session().setHeight(height); }
qint32 ClientCharacter::speed() const { return session().speed(); }
qint32 ClientCharacter::pitch() const { return session().pitch(); }
qint32 ClientCharacter::languageId() const { return session().languageId(); }
ErrorInfo ClientCharacter::setLanguageId(qint32 languageId) { return session().setLanguageId(languageId); }
QString ClientCharacter::ttsModeId() const { return session().ttsModeId(); }
ErrorInfo ClientCharacter::setTtsModeId(const QString &modeId) { return session().setTtsModeId(modeId); }
QString ClientCharacter::description() const { return session().description(); }
QStringList ClientCharacter::animationNames() const { return session().animationNames(); }
bool ClientCharacter::idleOn() const { return session().idleOn(); }
void ClientCharacter::setIdleOn(bool on) { session().setIdleOn(on); }

QString ClientCharacter::name() const { return session().name(); }
QString ClientCharacter::guid() const { return session().guid(); }
QString ClientCharacter::version() const { return session().version(); }
QString ClientCharacter::extraData() const { return session().extraData(); }
bool ClientCharacter::soundEffectsOn() const { return session().soundEffectsOn(); }
bool ClientCharacter::hasOtherClients() const { return m_shared.isSharedBeyond(m_client); }
QString ClientCharacter::srModeId() const { return session().srModeId(); }
int ClientCharacter::originalWidth() const { return session().originalWidth(); }
int ClientCharacter::originalHeight() const { return session().originalHeight(); }

} // namespace tilvano::agent
