#include "host/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tilvano::host {

namespace {

constexpr int kHandledSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_requested = 0;

// Only async-signal-safe calls in here.
void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    if (g_requested) {
        // Asked again: the orderly end is not coming, so end the plain way.
        struct sigaction plain = {};
        plain.sa_handler = SIG_DFL;
        sigemptyset(&plain.sa_mask);
        ::sigaction(signalNumber, &plain, nullptr);
        ::raise(signalNumber);
        errno = savedErrno;
        return;
    }
    g_requested = 1;
    const char byte = 1;
    // Non-blocking: a full pipe already holds a request.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    ::alarm(TerminationSignals::gracePeriodSeconds);
    errno = savedErrno;
}

void setDisposition(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return; // without the pipe the default (end at once) stays in force
    }
    g_requested = 0;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::takeRequest);
    // The grace period's alarm must end the process, even if whoever started
    // us chose to ignore it.
    setDisposition(SIGALRM, SIG_DFL);
    for (const int signalNumber : kHandledSignals)
        setDisposition(signalNumber, onTerminationSignal);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (const int signalNumber : kHandledSignals)
        setDisposition(signalNumber, SIG_DFL);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void TerminationSignals::takeRequest()
{
    char bytes[16];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (m_reported)
        return;
    m_reported = true;
    emit terminationRequested();
}

} // namespace tilvano::host
