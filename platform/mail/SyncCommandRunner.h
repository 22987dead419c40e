#pragma once

#include "common/ErrorInfo.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace tilvano::mail {

// Runs the user's mail synchronisation command (mbsync -a, offlineimap,
// fetchmail, ...) in the background. The command line is split into program
// and arguments as a shell user would expect (quotes group, a leading "~"
// is the home folder) but never handed to a shell, so nothing else in it is
// expanded. A command that cannot start, crashes, exits with a non-zero
// code or outlives the time limit is a failure, with a German description.
class SyncCommandRunner : public QObject {
    Q_OBJECT
public:
    explicit SyncCommandRunner(int timeoutMs = 120000, QObject *parent = nullptr);
    ~SyncCommandRunner() override;

    // Starts the command; finished() follows, also for an empty command
    // line (which does nothing and succeeds). Fails, with nothing to follow,
    // while one still runs or when the program is not there to be run.
    ErrorInfo start(const QString &commandLine);
    bool isRunning() const { return m_running; }
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    static QStringList splitCommandLine(const QString &commandLine);

signals:
    void finished(const tilvano::ErrorInfo &result);

private:
    void processFinished(int exitCode, QProcess::ExitStatus status);
    void finish(const ErrorInfo &result);

    int m_timeoutMs;
    bool m_running = false;
    bool m_timedOut = false;
    QString m_program;
    std::unique_ptr<QProcess> m_process;
    QTimer m_deadline;
};

} // namespace tilvano::mail
