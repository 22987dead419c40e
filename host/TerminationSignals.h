#pragma once

#include <QObject>

class QSocketNotifier;

namespace tilvano::host {

// Turns SIGTERM, SIGINT and SIGHUP (a session logging out, a service manager,
// Ctrl+C, a closed terminal) into one signal on the event loop, so that the
// companion can end in order instead of simply vanishing.
//
// The handler only writes a byte to a pipe. Whatever event loop runs then,
// the main one or that of an open box, reads it and emits
// terminationRequested once. Should the thread be stuck where no loop turns,
// a second signal, or the grace period after the first, ends the process the
// plain way: a logout must not wait for us. Only one instance may exist in a
// process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // How long the orderly end may take before the process is ended anyway.
    static constexpr unsigned gracePeriodSeconds = 30;

    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    void takeRequest();

    QSocketNotifier *m_notifier = nullptr;
    bool m_reported = false;
};

} // namespace tilvano::host
