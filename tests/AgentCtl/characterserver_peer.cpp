// The session's character server on the bus, as the host serves it, but on a clock that moves
// only when the behavioural suite says so: the suite holds the bus client to the same
// behaviour as the in-process service.

#include "ComparedServiceOptions.h"

#include "host/CharacterServerBus.h"
#include "platform/agent/client/CharacterBusNames.h"
#include "platform/agent/server/CharacterServer.h"
#include "system/DiagnosticOptions.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTextStream>

using namespace tilvano;

namespace {

class ClockOnBus : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.lorvat.Tilvano.TestClock")

public:
    explicit ClockOnBus(agent::AgentClock &clock) : m_clock(clock) {}

public slots:
    // Answers once every timer due by then has fired, and with it every event sent.
    void Advance(int milliseconds) { m_clock.advance(milliseconds); }

private:
    agent::AgentClock &m_clock;
};

} // namespace

int main(int argc, char *argv[])
{
    // Started by the test with the switches in its environment, as a program is.
    DiagnosticOptions::install(DiagnosticOptions::fromEnvironment(QProcessEnvironment::systemEnvironment()));
    QApplication application(argc, argv);
    auto service = std::make_unique<agent::AgentService>(nullptr, test::comparedServiceOptions());
    ClockOnBus clock(service->clock());
    agent::CharacterServer server(std::move(service));
    QDBusConnection bus = QDBusConnection::sessionBus();
    host::CharacterServerBus exported(server, bus);
    if (!exported.exportObject() || !bus.registerObject(QStringLiteral("/TestClock"), &clock, QDBusConnection::ExportAllSlots)
        || !bus.registerService(agent::bus::serviceName())) {
        QTextStream(stderr) << "characterserver_peer: not on the bus: " << bus.lastError().message() << Qt::endl;
        return 1;
    }
    return application.exec();
}

#include "characterserver_peer.moc"
