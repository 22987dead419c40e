#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace tilvano::test {

// A D-Bus session bus of the test's own (dbus-daemon), so that tests running
// side by side and the user's own session never meet on one. Two kinds:
//
// - For this process: a bus that starts no service by itself, optionally with
//   a real secret store on it (GNOME Keyring, its keyring made and unlocked
//   with a throw-away password, kept in the bus's own folder). Points
//   DBUS_SESSION_BUS_ADDRESS at it for its lifetime, so it must exist before
//   anything in the process first connects to the session bus: the desktop's
//   own bus and secret store are never touched.
// - For programs the test starts: a bus whose address the test hands to them
//   itself; this process's environment stays as it is.
//
// Its processes end with it, and with the test program should that die first.
class PrivateSessionBus {
public:
    enum class SecretStore { None, Keyring };

    explicit PrivateSessionBus(SecretStore secretStore);
    // A plain session bus for programs the test starts.
    PrivateSessionBus() : PrivateSessionBus(QString(), QProcessEnvironment::systemEnvironment()) {}
    // configFile: a bus configuration of the build's, such as one that starts this build's
    // programs when a client asks for them; empty: a plain session bus. The programs the bus
    // starts run with `environment`.
    PrivateSessionBus(const QString &configFile, const QProcessEnvironment &environment);
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    // False (and error() says why) when the bus or the keyring did not come up.
    bool isReady() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }
    QString address() const { return m_address; }

    // Locks the keyring again, as a screen lock or a timeout does; unlocking
    // would then need a prompt, which nobody here can answer.
    bool lockKeyring();
    // Runs secret-tool (an independent client) on this bus: its output, or
    // nullopt when it failed or found nothing.
    std::optional<QString> secretTool(const QStringList &arguments, const QByteArray &input = {}) const;

private:
    bool startBus(const QString &configuration, const QProcessEnvironment &environment);
    bool startKeyring();
    QProcessEnvironment environment() const;
    std::unique_ptr<QProcess> startChild(const QString &program, const QStringList &arguments,
                                         const QProcessEnvironment &environment);

    QTemporaryDir m_dir;
    QString m_address;
    // Whether this process's DBUS_SESSION_BUS_ADDRESS points here, and what it was before.
    bool m_ownsAddress = false;
    QByteArray m_previousAddress;
    bool m_hadAddress = false;
    std::unique_ptr<QProcess> m_bus;
    std::unique_ptr<QProcess> m_keyring;
    QString m_error;
};

} // namespace tilvano::test
