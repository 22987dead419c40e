// Agent: what the character service reports, taken for our own character only,
// remembered where it concerns the character's place and visibility, and
// passed on to the clients.

#include "AgentCtl/Agent.h"

#include "common/RuntimeErrors.h"
#include "common/SettingsStore.h"

#include <QRandomGenerator>

#include <limits>

namespace tilvano {

namespace {

const QString kCharacterId = QStringLiteral("somebody");

void storeActive(const QString &key, const QString &value)
{
    SaveSetting(settingsApplication(), QStringLiteral("ActiveAgent"), key, value);
}

// The parameters of one event, taken by position. The first one that is
// missing or of the wrong kind marks the whole list as unusable.
class EventParameters {
public:
    explicit EventParameters(const QVariantList &values) : m_values(values) {}

    QString text(qsizetype index)
    {
        if (!present(index))
            return {};
        return m_values[index].toString();
    }

    qint16 number(qsizetype index)
    {
        if (!present(index))
            return 0;
        bool isNumber = false;
        const qlonglong value = m_values[index].toLongLong(&isNumber);
        if (!isNumber) {
            fail(runtime::typeMismatch());
            return 0;
        }
        if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max()) {
            fail(runtime::overflow());
            return 0;
        }
        return qint16(value);
    }

    std::optional<AgentUserInput> userInput(qsizetype index)
    {
        if (!present(index))
            return std::nullopt;
        if (m_values[index].metaType() != QMetaType::fromType<AgentUserInput>()) {
            fail(runtime::typeMismatch());
            return std::nullopt;
        }
        return m_values[index].value<AgentUserInput>();
    }

    const ErrorInfo &error() const { return m_error; }

private:
    bool present(qsizetype index)
    {
        if (index < m_values.size())
            return true;
        fail(runtime::subscriptOutOfRange());
        return false;
    }
    void fail(const ErrorInfo &error)
    {
        if (!m_error.isError())
            m_error = error;
    }

    const QVariantList &m_values;
    ErrorInfo m_error;
};

} // namespace

void Agent::connectControlEvents()
{
    // Every event goes through the one dispatcher, by name, as the service names it.
    AgentControl *control = oAgentCtl;
    connect(control, &AgentControl::propertiesChanged, this,
            [this] { DispatchControlEvent(QStringLiteral("AgentPropertyChange"), {}); });
    connect(control, &AgentControl::balloonHidden, this,
            [this](const QString &id) { DispatchControlEvent(QStringLiteral("BalloonHide"), {id}); });
    connect(control, &AgentControl::balloonShown, this,
            [this](const QString &id) { DispatchControlEvent(QStringLiteral("BalloonShow"), {id}); });
    connect(control, &AgentControl::clicked, this, [this](const QString &id, qint16 button, qint16 shift, qint16 x, qint16 y) {
        DispatchControlEvent(QStringLiteral("Click"), {id, button, shift, x, y});
    });
    connect(control, &AgentControl::doubleClicked, this,
            [this](const QString &id, qint16 button, qint16 shift, qint16 x, qint16 y) {
                DispatchControlEvent(QStringLiteral("DblClick"), {id, button, shift, x, y});
            });
    connect(control, &AgentControl::idleStarted, this,
            [this](const QString &id) { DispatchControlEvent(QStringLiteral("IdleStart"), {id}); });
    connect(control, &AgentControl::moved, this, [this](const QString &id, qint16 x, qint16 y, qint16 cause) {
        DispatchControlEvent(QStringLiteral("Move"), {id, x, y, cause});
    });
    connect(control, &AgentControl::hidden, this, [this](const QString &id, qint16 cause) {
        DispatchControlEvent(QStringLiteral("Hide"), {id, cause});
    });
    connect(control, &AgentControl::shown, this, [this](const QString &id, qint16 cause) {
        DispatchControlEvent(QStringLiteral("Show"), {id, cause});
    });
    connect(control, &AgentControl::commandChosen, this, [this](const AgentUserInput &input) {
        DispatchControlEvent(QStringLiteral("Command"), {QVariant::fromValue(input)});
    });
}

void Agent::DispatchControlEvent(const QString &eventName, const QVariantList &parameters)
{
    EventParameters p(parameters);
    // Reads the parameters in order and hands them on only when all were usable.
    auto run = [&](auto &&handler) {
        if (p.error().isError())
            SetLastError(p.error());
        else
            handler();
    };
    if (eventName == QLatin1String("AgentPropertyChange")) {
        emit evPropertyChange();
    } else if (eventName == QLatin1String("BalloonHide")) {
        const QString id = p.text(0);
        run([&] { oAgentCtl_BalloonHide(id); });
    } else if (eventName == QLatin1String("BalloonShow")) {
        const QString id = p.text(0);
        run([&] { oAgentCtl_BalloonShow(id); });
    } else if (eventName == QLatin1String("Click") || eventName == QLatin1String("DblClick")) {
        const QString id = p.text(0);
        const qint16 button = p.number(1), shift = p.number(2), x = p.number(3), y = p.number(4);
        if (eventName == QLatin1String("Click"))
            run([&] { oAgentCtl_Click(id, button, shift, x, y); });
        else
            run([&] { oAgentCtl_DblClick(id, button, shift, x, y); });
    } else if (eventName == QLatin1String("IdleStart")) {
        const QString id = p.text(0);
        run([&] { oAgentCtl_IdleStart(id); });
    } else if (eventName == QLatin1String("Move")) {
        const QString id = p.text(0);
        const qint16 x = p.number(1), y = p.number(2), cause = p.number(3);
        run([&] { oAgentCtl_Move(id, x, y, cause); });
    } else if (eventName == QLatin1String("Hide") || eventName == QLatin1String("Show")) {
        const QString id = p.text(0);
        const qint16 cause = p.number(1);
        if (eventName == QLatin1String("Hide"))
            run([&] { oAgentCtl_Hide(id, cause); });
        else
            run([&] { oAgentCtl_Show(id, cause); });
    } else if (eventName == QLatin1String("Command")) {
        const std::optional<AgentUserInput> input = p.userInput(0);
        run([&] { oAgentCtl_Command(*input); });
    }
}

void Agent::oAgentCtl_BalloonHide(const QString &characterId)
{
    Log(QStringLiteral("oAgentCtl_BalloonHide"));
    if (characterId == kCharacterId)
        emit BalloonHideEvent();
}

void Agent::oAgentCtl_BalloonShow(const QString &characterId)
{
    Log(QStringLiteral("oAgentCtl_BalloonShow"));
    if (characterId == kCharacterId)
        emit BalloonShowEvent();
}

void Agent::oAgentCtl_Click(const QString &characterId, qint16 button, qint16 shift, qint16 x, qint16 y)
{
    Log(QStringLiteral("oAgentCtl_Click"));
    if (characterId == kCharacterId)
        emit ClickEvent(button, shift, x, y);
}

void Agent::oAgentCtl_DblClick(const QString &characterId, qint16 button, qint16 shift, qint16 x, qint16 y)
{
    Log(QStringLiteral("oAgentCtl_DblClick"));
    if (characterId != kCharacterId)
        return;
    // Whatever the character was doing ends before the clients hear of the double click.
    StopAll();
    emit DblClickEvent(button, shift, x, y);
}

void Agent::oAgentCtl_IdleStart(const QString &characterId)
{
    Log(QStringLiteral("oAgentCtl_IdleStart"));
    if (characterId == kCharacterId)
        emit evIdleStart();
}

void Agent::oAgentCtl_Move(const QString &characterId, qint16 x, qint16 y, qint16 cause)
{
    Log(QStringLiteral("oAgentCtl_Move: %1/%2").arg(x).arg(y));
    if (characterId != kCharacterId)
        return;
    storeActive(QStringLiteral("Left"), intSetting(x));
    storeActive(QStringLiteral("Top"), intSetting(y));
    // A hidden character that was moved stays hidden: playing would show it again.
    if (oChar && oChar->isVisible())
        PlayAni(QStringLiteral("Blink"));
    emit MoveEvent(x, y, cause);
}

void Agent::oAgentCtl_Hide(const QString &characterId, qint16 cause)
{
    Log(QStringLiteral("oAgentCtl_Hide"));
    if (characterId != kCharacterId || !oChar)
        return;
    storeActive(QStringLiteral("Left"), intSetting(oChar->left()));
    storeActive(QStringLiteral("Top"), intSetting(oChar->top()));
    storeActive(QStringLiteral("Visible"), boolSetting(false));
    emit HideEvent(cause);
}

void Agent::oAgentCtl_Show(const QString &characterId, qint16 cause)
{
    Log(QStringLiteral("oAgentCtl_Show"));
    if (characterId != kCharacterId)
        return;
    storeActive(QStringLiteral("Visible"), boolSetting(true));
    emit ShowEvent(cause);
}

void Agent::PlayRandomAnimation()
{
    Log(QStringLiteral("PlayRandomAnimation"));
    if (!characterOrFail())
        return;
    const QStringList names = oChar->animationNames();
    StopAll();
    if (names.isEmpty()) {
        SetLastError(runtime::subscriptOutOfRange());
        return;
    }
    // The system generator is seeded from the operating system, not a fixed value.
    QString name = names.at(QRandomGenerator::global()->bounded(qsizetype(names.size())));
    Think(name);
    PlayAni(name);
}

} // namespace tilvano
