#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QQueue>

#include <functional>
#include <optional>

namespace tilvano::host {

// Runs the macros that programs on the session bus ask for: one after another,
// and never inside the call that asked. A macro may show a box; inside the call,
// the box's event loop would let the next call in, with the next macro and its
// box nested in the first, until the stack runs out.
//
// Each caller is answered when its macro ends, or, when the macro shows a box,
// just before the box appears (with true: the macro runs). A box may wait for
// the user far longer than a caller waits for an answer; a failure after that
// is left in LastError.
class BusMacroQueue : public QObject {
    Q_OBJECT
public:
    // Runs the macro and gives the reply to the call.
    using Run = std::function<QDBusMessage(const QDBusMessage &call)>;

    explicit BusMacroQueue(QObject *parent = nullptr);
    // Waiting callers learn that their macro will not run.
    ~BusMacroQueue() override;

    // Takes over answering call, which must have been set to a delayed reply.
    void enqueue(const QDBusConnection &connection, const QDBusMessage &call, Run run);
    // The running macro is about to show a box: its caller gets its answer now.
    void answerRunningCaller();
    // Starts no more macros; the waiting callers learn that Tilvano is ending.
    void close();

    int waitingCount() const { return int(m_waiting.size()); }
    bool isRunning() const { return m_running.has_value(); }

private:
    struct Request {
        QDBusConnection connection;
        QDBusMessage call;
        Run run;
        bool answered = false;
    };

    void scheduleNext();
    void runNext();
    void refuseWaiting();

    QQueue<Request> m_waiting;
    std::optional<Request> m_running;
    bool m_closed = false;
};

} // namespace tilvano::host
