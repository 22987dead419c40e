#pragma once

#include <QObject>

class QSocketNotifier;

namespace tilvano::host {

// Turns SIGTERM and SIGINT (a session logging out, a service manager, Ctrl+C)
// into an orderly quit of the event loop, so the character is shut down and
// its state kept instead of the process simply vanishing. Only one instance
// may exist in a process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tilvano::host
