#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace tilvano::test {

// A server program of a test's own that listens on loopback (the Dovecot and
// Prosody servers use it): started so that the kernel ends it should the test
// program die first, waited for until its port takes connections, stopped
// when the object goes. It can also be frozen, as a hung server or a dead
// link looks: its connections stay open but nothing answers.
class LoopbackServerProcess {
public:
    LoopbackServerProcess() = default;
    ~LoopbackServerProcess();
    LoopbackServerProcess(const LoopbackServerProcess &) = delete;
    LoopbackServerProcess &operator=(const LoopbackServerProcess &) = delete;

    // A port on 127.0.0.1 that nobody listens on right now; 0 when none was had.
    static quint16 freePort();
    // The end of a log file (its last 4000 bytes), for failure messages.
    static QString tailOf(const QString &logPath);

    // Starts the program (stopping one started before) and waits until it
    // accepts connections on the port. False when it did not start, ended,
    // or did not open the port in time; error() says which, with its output.
    bool start(const QString &program, const QStringList &arguments, quint16 port, int timeoutMs);
    // Thaws a frozen server first, asks it to end, and kills it when it does not.
    void stop();
    bool isRunning() const;
    bool freeze();
    bool resume();

    QString error() const { return m_error; }

private:
    std::unique_ptr<QProcess> m_process;
    QString m_error;
};

} // namespace tilvano::test
