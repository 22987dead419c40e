#include "tools/kibo/KiboClient.h"

#include "host/BusNames.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace tilvano::kibo {

using namespace tilvano::host;

namespace {

// The host answers a macro call when the macro ends (or before it shows a
// box); give a long macro time.
constexpr int kMacroTimeoutMs = 10 * 60 * 1000;

const char *const kEventNames[] = {"MenuEvent", "ShowEvent", "HideEvent", "ClickEvent",
                                   "DblClickEvent", "MoveEvent", "BalloonShowEvent", "BalloonHideEvent",
                                   "EvSpeak", "evPropertyChange", "evIdleStart"};

// One event per line, even when a text holds line breaks.
QString oneLine(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    line.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    line.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return line;
}

} // namespace

KiboClient::KiboClient(QTextStream &out, QTextStream &err)
    : m_bus(QDBusConnection::sessionBus()), m_out(out), m_err(err)
{
}

QString KiboClient::notRunningMessage() { return QStringLiteral("Tilvano läuft nicht. Starten Sie es mit tilvano."); }

bool KiboClient::hostIsRunning() const
{
    return m_bus.isConnected() && m_bus.interface() && m_bus.interface()->isServiceRegistered(busServiceName());
}

std::optional<QDBusMessage> KiboClient::call(const QString &member, const QVariantList &arguments, int timeoutMs)
{
    QDBusMessage request
        = QDBusMessage::createMethodCall(busServiceName(), busObjectPath(), busInterfaceName(), member);
    request.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(request, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return reply;
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        m_err << notRunningMessage() << Qt::endl;
    else
        m_err << QStringLiteral("kibo: %1 ist fehlgeschlagen: %2").arg(member, reply.errorMessage()) << Qt::endl;
    return std::nullopt;
}

std::optional<QVariant> KiboClient::property(const QString &name)
{
    QDBusMessage request = QDBusMessage::createMethodCall(busServiceName(), busObjectPath(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
    request.setArguments({busInterfaceName(), name});
    const QDBusReply<QDBusVariant> reply = m_bus.call(request);
    if (!reply.isValid())
        return std::nullopt;
    return reply.value().variant();
}

QString KiboClient::lastErrorText() { return property(QStringLiteral("LastErrorDescription")).value_or(QVariant()).toString(); }

void KiboClient::clearLastError()
{
    // LastError outlives the call that set it; without this a failure that
    // records nothing would be explained by an older one.
    QDBusMessage request = QDBusMessage::createMethodCall(busServiceName(), busObjectPath(), busInterfaceName(),
                                                          QStringLiteral("ClearLastError"));
    m_bus.call(request);
}

int KiboClient::expectTrue(const QString &member, const QVariantList &arguments, int timeoutMs)
{
    clearLastError();
    const auto reply = call(member, arguments, timeoutMs);
    if (!reply)
        return 1;
    if (!reply->arguments().isEmpty() && reply->arguments().first().toBool())
        return 0;
    const QString why = lastErrorText();
    m_err << QStringLiteral("kibo: %1 ist fehlgeschlagen").arg(member)
          << (why.isEmpty() ? QString() : QStringLiteral(": ") + why) << Qt::endl;
    return 1;
}

int KiboClient::run(const KiboCommand &command)
{
    if (!hostIsRunning()) {
        m_err << notRunningMessage() << Qt::endl;
        return 1;
    }
    using Kind = KiboCommand::Kind;
    switch (command.kind) {
    case Kind::Help:
        return 0;
    case Kind::Speak:
        return expectTrue(QStringLiteral("SpeakIt"), {command.text});
    case Kind::Think:
        return call(QStringLiteral("Think"), {command.text}) ? 0 : 1;
    case Kind::Play:
        return expectTrue(QStringLiteral("PlayAni"), {command.text});
    case Kind::Move:
        return call(QStringLiteral("MoveTo"), {QVariant::fromValue(command.x), QVariant::fromValue(command.y)}) ? 0
                                                                                                                : 1;
    case Kind::Show:
        return call(QStringLiteral("Show")) ? 0 : 1;
    case Kind::Hide:
        return call(QStringLiteral("Hide")) ? 0 : 1;
    case Kind::Stop:
        return call(QStringLiteral("StopAll")) ? 0 : 1;
    case Kind::Animations: {
        const auto names = property(QStringLiteral("AnimationNames"));
        if (!names) {
            m_err << QStringLiteral("kibo: Die Animationen der Figur sind nicht zu erfahren.") << Qt::endl;
            return 1;
        }
        for (const QString &name : names->toStringList())
            m_out << name << '\n';
        m_out.flush();
        return 0;
    }
    case Kind::Macros: {
        clearLastError();
        const auto reply = call(QStringLiteral("MacroNames"));
        if (!reply)
            return 1;
        const QStringList names = reply->arguments().value(0).toStringList();
        for (const QString &name : names)
            m_out << name << '\n';
        m_out.flush();
        if (names.isEmpty()) {
            // An empty list is also how a store with two macros of one name answers.
            const QString why = lastErrorText();
            if (!why.isEmpty()) {
                m_err << QStringLiteral("kibo: MacroNames ist fehlgeschlagen: ") << why << Qt::endl;
                return 1;
            }
        }
        return 0;
    }
    case Kind::Run:
        return expectTrue(QStringLiteral("RunMacroByName"), {command.text}, kMacroTimeoutMs);
    case Kind::RunText:
        return expectTrue(QStringLiteral("RunMacroText"), {command.text}, kMacroTimeoutMs);
    case Kind::Watch:
        return watch();
    }
    return 2;
}

int KiboClient::watch()
{
    for (const char *name : kEventNames) {
        if (!m_bus.connect(busServiceName(), busObjectPath(), busInterfaceName(), QString::fromLatin1(name), this,
                           SLOT(printEvent(QDBusMessage)))) {
            m_err << QStringLiteral("kibo: Ereignis %1 kann nicht empfangen werden: %2")
                         .arg(QString::fromLatin1(name), m_bus.lastError().message())
                  << Qt::endl;
            return 1;
        }
    }
    QDBusServiceWatcher watcher(busServiceName(), m_bus, QDBusServiceWatcher::WatchForUnregistration);
    connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        m_err << QStringLiteral("Tilvano wurde beendet.") << Qt::endl;
        QCoreApplication::quit();
    });
    // The host may have gone between the check and the connections.
    if (!hostIsRunning()) {
        m_err << notRunningMessage() << Qt::endl;
        return 1;
    }
    return QCoreApplication::exec();
}

void KiboClient::printEvent(const QDBusMessage &message)
{
    QString line = message.member();
    for (const QVariant &argument : message.arguments())
        line += QLatin1Char(' ') + oneLine(argument.toString());
    m_out << line << '\n';
    m_out.flush(); // a pipe or a log must see each event as it happens
}

} // namespace tilvano::kibo
