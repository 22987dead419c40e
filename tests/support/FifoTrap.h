#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tilvano::test {

// A FIFO for code that must never wait on one. A plain open() of a FIFO
// without a writer blocks for good; should the code under test do that, the
// trap's watchdog opens the writing end after a while, so that the test goes
// on and can fail (hadToRelease()) instead of hanging until it is killed.
class FifoTrap {
public:
    explicit FifoTrap(const QString &path, std::chrono::milliseconds patience = std::chrono::seconds(5))
        : m_path(QFile::encodeName(path))
    {
        m_made = ::mkfifo(m_path.constData(), 0600) == 0;
        m_watchdog = std::thread([this, patience] {
            std::unique_lock lock(m_mutex);
            while (!m_stopping) {
                if (m_wake.wait_for(lock, patience, [this] { return m_stopping; }))
                    break;
                // Succeeds only when a reader is waiting in open().
                const int writer = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (writer >= 0) {
                    m_released = true;
                    ::close(writer);
                }
            }
        });
    }

    ~FifoTrap()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_watchdog.join();
        ::unlink(m_path.constData());
    }

    FifoTrap(const FifoTrap &) = delete;
    FifoTrap &operator=(const FifoTrap &) = delete;

    bool isMade() const { return m_made; }
    // True when something waited in open() on the FIFO until the watchdog let it go.
    bool hadToRelease() const { return m_released; }

private:
    QByteArray m_path;
    bool m_made = false;
    std::atomic<bool> m_released{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_watchdog;
};

} // namespace tilvano::test
