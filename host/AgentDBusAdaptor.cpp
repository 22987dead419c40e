#include "host/AgentDBusAdaptor.h"

#include "host/BusMacroQueue.h"
#include "host/BusNames.h"
#include "host/DialogGate.h"

#include "AgentCtl/Agent.h"

#include <QDBusConnection>
#include <QPointer>

#include <type_traits>

namespace tilvano::host {

namespace {

QString failureText(const ErrorInfo &error)
{
    return QStringLiteral("Fehler %1: %2").arg(error.number).arg(error.description);
}

} // namespace

AgentDBusAdaptor::AgentDBusAdaptor(Agent *agent, DialogGate *gate)
    : QObject(agent), m_agent(agent), m_gate(gate), m_macros(new BusMacroQueue(this))
{
    setObjectName(QStringLiteral("AgentDBusAdaptor"));
    if (m_gate)
        m_gate->setBeforeShowing([macros = QPointer<BusMacroQueue>(m_macros)] {
            if (macros)
                macros->answerRunningCaller();
        });
}

AgentDBusAdaptor::~AgentDBusAdaptor()
{
    if (m_gate)
        m_gate->setBeforeShowing({});
}

QDBusConnection::RegisterOptions AgentDBusAdaptor::exportFlags()
{
    return QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals | QDBusConnection::ExportAllProperties;
}

template<typename Operation>
auto AgentDBusAdaptor::serve(Operation operation)
{
    const DialogGate::BusCall noBoxes(m_gate);
    const Agent::CallRecord record(*m_agent, Agent::ErrorBoxes::RecordedInstead);
    const auto answerFailure = [this, &record] {
        if (record.failure() && calledFromDBus())
            sendErrorReply(busFailureName(), failureText(*record.failure()));
    };
    if constexpr (std::is_void_v<std::invoke_result_t<Operation>>) {
        operation();
        answerFailure();
    } else {
        auto result = operation();
        answerFailure();
        return result;
    }
}

bool AgentDBusAdaptor::runMacro(const std::function<bool()> &run)
{
    if (!calledFromDBus())
        return run();
    setDelayedReply(true);
    m_macros->enqueue(connection(), message(), [this, run](const QDBusMessage &call) {
        const Agent::CallRecord record(*m_agent, Agent::ErrorBoxes::Shown);
        const bool ran = run();
        if (!ran && record.failure())
            return call.createErrorReply(busFailureName(), failureText(*record.failure()));
        return call.createReply(QVariant(ran));
    });
    return false; // not sent: the queue answers
}

void AgentDBusAdaptor::relayEvents()
{
    if (m_relaying)
        return; // a second set of connections would send every event twice
    m_relaying = true;
    // The events' parameters are references that live only while the event is
    // delivered: they are copied into the bus signal right here.
    connect(m_agent, &Agent::MenuEvent, this, [this](QString &name) { emit MenuEvent(name); });
    connect(m_agent, &Agent::ShowEvent, this, [this](qint16 &cause) { emit ShowEvent(cause); });
    connect(m_agent, &Agent::HideEvent, this, [this](qint16 &cause) { emit HideEvent(cause); });
    connect(m_agent, &Agent::ClickEvent, this,
            [this](qint16 &button, qint16 &shift, qint16 &x, qint16 &y) { emit ClickEvent(button, shift, x, y); });
    connect(m_agent, &Agent::DblClickEvent, this, [this](qint16 &button, qint16 &shift, qint16 &x, qint16 &y) {
        emit DblClickEvent(button, shift, x, y);
    });
    connect(m_agent, &Agent::MoveEvent, this,
            [this](qint16 &x, qint16 &y, qint16 &cause) { emit MoveEvent(x, y, cause); });
    connect(m_agent, &Agent::BalloonShowEvent, this, &AgentDBusAdaptor::BalloonShowEvent);
    connect(m_agent, &Agent::BalloonHideEvent, this, &AgentDBusAdaptor::BalloonHideEvent);
    connect(m_agent, &Agent::EvSpeak, this, [this](QString &text) { emit EvSpeak(text); });
    connect(m_agent, &Agent::evPropertyChange, this, &AgentDBusAdaptor::evPropertyChange);
    connect(m_agent, &Agent::evIdleStart, this, &AgentDBusAdaptor::evIdleStart);
}

int AgentDBusAdaptor::LastErrorNumber() const { return m_agent->LastError().number; }
QString AgentDBusAdaptor::LastErrorSource() const { return m_agent->LastError().source; }
QString AgentDBusAdaptor::LastErrorDescription() const { return m_agent->LastError().description; }
void AgentDBusAdaptor::ClearLastError() { m_agent->putLastError(ErrorInfo{}); }

qint16 AgentDBusAdaptor::speed() const { return m_agent->speed(); }
void AgentDBusAdaptor::setSpeed(qint16 value) { m_agent->setSpeed(value); }
qint16 AgentDBusAdaptor::Pitch() const { return m_agent->Pitch(); }
void AgentDBusAdaptor::setPitch(qint16 value) { m_agent->setPitch(value); }
qint32 AgentDBusAdaptor::LanguageID() const { return m_agent->LanguageID(); }
void AgentDBusAdaptor::setLanguageID(qint32 value) { m_agent->setLanguageID(value); }
QString AgentDBusAdaptor::TTSModeID() const { return m_agent->TTSModeID(); }
void AgentDBusAdaptor::setTTSModeID(const QString &value) { m_agent->setTTSModeID(value); }
QStringList AgentDBusAdaptor::AnimationNames() const { return m_agent->AnimationNames(); }
bool AgentDBusAdaptor::FastShowHide() const { return m_agent->FastShowHide(); }
void AgentDBusAdaptor::setFastShowHide(bool value) { m_agent->setFastShowHide(value); }
bool AgentDBusAdaptor::visible() const { return m_agent->visible(); }
qint16 AgentDBusAdaptor::Width() const { return m_agent->Width(); }
void AgentDBusAdaptor::setWidth(qint16 value) { m_agent->setWidth(value); }
qint16 AgentDBusAdaptor::Height() const { return m_agent->Height(); }
void AgentDBusAdaptor::setHeight(qint16 value) { m_agent->setHeight(value); }
// A variant of any type cannot be promised to a bus client; its text can.
QString AgentDBusAdaptor::Description() const { return m_agent->Description().toString(); }
qint32 AgentDBusAdaptor::Volume() const { return m_agent->Volume(); }
void AgentDBusAdaptor::setVolume(qint32 value) { m_agent->setVolume(value); }
QString AgentDBusAdaptor::VoiceChar() const { return m_agent->VoiceChar(); }
void AgentDBusAdaptor::setVoiceChar(const QString &value) { m_agent->setVoiceChar(value); }
QString AgentDBusAdaptor::VoiceContext() const { return m_agent->VoiceContext(); }
void AgentDBusAdaptor::setVoiceContext(const QString &value) { m_agent->setVoiceContext(value); }
bool AgentDBusAdaptor::HideAfterAnimation() const { return m_agent->HideAfterAnimation(); }
void AgentDBusAdaptor::setHideAfterAnimation(bool value) { m_agent->setHideAfterAnimation(value); }
QString AgentDBusAdaptor::MenuCaption() const { return m_agent->MenuCaption(); }
void AgentDBusAdaptor::setMenuCaption(const QString &value) { m_agent->setMenuCaption(value); }

QString AgentDBusAdaptor::LoadChar(const QString &file)
{
    return serve([&] {
        QString loaded = file;
        m_agent->LoadChar(loaded);
        return loaded;
    });
}

bool AgentDBusAdaptor::SpeakIt(const QString &text)
{
    return serve([&] {
        QString spoken = text;
        return m_agent->SpeakIt(spoken);
    });
}

bool AgentDBusAdaptor::SpeakWave(const QString &fileName)
{
    return serve([&] { return m_agent->SpeakWave(fileName); });
}

bool AgentDBusAdaptor::PlayAni(const QString &animationName)
{
    return serve([&] { return m_agent->PlayAni(animationName); });
}

void AgentDBusAdaptor::Show()
{
    serve([&] { m_agent->Show(); });
}

void AgentDBusAdaptor::ShowFast(bool fast)
{
    serve([&] { m_agent->Show(QVariant(fast)); });
}

void AgentDBusAdaptor::Hide()
{
    serve([&] { m_agent->Hide(); });
}

void AgentDBusAdaptor::StopAll()
{
    serve([&] { m_agent->StopAll(); });
}

bool AgentDBusAdaptor::InitLastAgent()
{
    return serve([&] { return m_agent->InitLastAgent(); });
}

void AgentDBusAdaptor::SaveAll()
{
    serve([&] { m_agent->SaveAll(); });
}

void AgentDBusAdaptor::RestoreDefaults()
{
    serve([&] { m_agent->RestoreDefaults(); });
}

void AgentDBusAdaptor::GestureAt(qint16 x, qint16 y)
{
    serve([&] { m_agent->GestureAt(x, y); });
}

bool AgentDBusAdaptor::AddMenuItem(const QString &name, const QString &caption, const QString &voiceCommand,
                                   bool enabled, bool visible)
{
    return serve([&] { return m_agent->AddMenuItem(name, caption, voiceCommand, enabled, visible); });
}

bool AgentDBusAdaptor::RemoveMenuItem(const QString &name)
{
    return serve([&] { return m_agent->RemoveMenuItem(name); });
}

QString AgentDBusAdaptor::Think(const QString &text)
{
    return serve([&] {
        QString thought = text;
        m_agent->Think(thought);
        return thought;
    });
}

QStringList AgentDBusAdaptor::MacroNames()
{
    return serve([&] { return m_agent->MacroNames(); });
}

bool AgentDBusAdaptor::RunMacroByName(const QString &name)
{
    return runMacro([this, name] { return m_agent->RunMacroByName(name); });
}

bool AgentDBusAdaptor::RunMacroText(const QString &macroText)
{
    return runMacro([this, macroText] {
        QString text = macroText;
        return m_agent->RunMacroText(text);
    });
}

void AgentDBusAdaptor::MoveTo(qint16 left, qint16 top)
{
    serve([&] { m_agent->MoveTo(left, top); });
}

void AgentDBusAdaptor::MoveToAtSpeed(qint16 left, qint16 top, qint32 speed)
{
    serve([&] { m_agent->MoveTo(left, top, QVariant(speed)); });
}

} // namespace tilvano::host
