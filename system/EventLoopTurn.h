#pragma once

#include <QObject>

#include <atomic>

namespace tilvano {

// Tells whether the event loop of the thread that made this object has turned
// since the last mark. A cache that is re-checked once per turn instead of once
// per use stays as fresh as the program can notice: nothing that happens while
// one event is being handled can reach that handler except through the loop.
//
// Where no event loop runs (a command-line tool, a plain worker thread, code
// called before exec()), there are no turns to wait for, and every use counts
// as a new turn.
class EventLoopTurn {
public:
    EventLoopTurn();

    // True when the mark of this turn still stands.
    bool marked() const;
    // Marks the current turn; the mark falls when the loop next handles events.
    void mark();

private:
    bool inOwnLoop() const;

    QObject m_receiver; // lives in the owning thread; takes the queued clear
    std::atomic<bool> m_marked = false;
};

} // namespace tilvano
