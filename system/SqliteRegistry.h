#pragma once

#include "system/EventLoopTurn.h"
#include "system/Registry.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>

#include <functional>

struct sqlite3;
struct sqlite3_stmt;

namespace tilvano {

// Something about the store that the user has to know, because settings are
// lost or will not last.
struct StoreProblem {
    enum Kind {
        MovedAside,  // the store was damaged; detail: where it went, a new one was started
        NotWritable, // the store cannot be opened or written; detail: why
    };
    Kind kind;
    QString path; // the store
    QString detail;
};

// The registry kept in one SQLite database per user (WAL mode, so several
// processes read and write at once). A damaged store (one that SQLite reports
// as corrupt or as no database, at opening or at any later statement, and that
// fails SQLite's own check) is moved aside with a time stamp and a fresh store
// is started; the statement that found the damage is then tried once more.
//
// Nothing here opens, maps or closes SQLite's files itself while a connection
// to them is open: closing any descriptor of a file drops every POSIX lock the
// process holds on it, SQLite's own included, and the next process would then
// rebuild the shared WAL index under our feet.
class SqliteRegistry final : public Registry {
public:
    using ProblemObserver = std::function<void(const StoreProblem &)>;

    // Opens (creating when missing, mode 0600) the store at `path`. The
    // observer hears of every problem, from within the call that met it; it
    // must not call back into this registry.
    explicit SqliteRegistry(const QString &path, ProblemObserver observer = {});
    ~SqliteRegistry() override;
    SqliteRegistry(const SqliteRegistry &) = delete;
    SqliteRegistry &operator=(const SqliteRegistry &) = delete;

    // $XDG_CONFIG_HOME/tilvano/registry.sqlite3
    static QString defaultPath();

    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }
    // Where a damaged store was last moved to by this object; empty when none was.
    QString recoveredFrom() const { return m_movedAside; }

    bool keyExists(const QString &keyPath) override;
    std::optional<RegistryValue> value(const QString &keyPath, const QString &name) override;
    bool setValue(const QString &keyPath, const QString &name, const RegistryValue &value) override;
    bool createKey(const QString &keyPath) override;
    bool deleteValue(const QString &keyPath, const QString &name) override;
    QStringList subKeys(const QString &keyPath) override;
    QList<NamedRegistryValue> values(const QString &keyPath) override;
    QString lastError() const override;

private:
    enum Statement { SelectValue, UpsertValue, DeleteValue, InsertKey, SelectKey, SelectSubKeys,
                     SelectValues, DataVersion, StatementCount };

    // Opening, one process at a time (see open()).
    bool open();
    bool openLocked();
    int connect(); // SQLITE_OK or the failing result code
    void disconnect();
    bool moveAside();
    bool underKnownRoot(const QString &normalized, const QString &keyPath);
    void report(StoreProblem::Kind kind, const QString &detail);

    // Brings the connection up to date before an operation: reopens a store
    // that could not be opened or that another process moved aside, and forgets
    // values that another connection has changed. Reads do this once per turn
    // of the event loop, writes every time.
    void refresh(bool beforeWrite);
    bool storeWasMoved(); // renamed or deleted since the connection opened it
    void dropValuesChangedElsewhere();

    // Runs one attempt of an operation (returning SQLITE_OK on success or the
    // failing result code); a damaged store is moved aside and the attempt
    // made once more on the fresh one. False, with lastError set, on failure.
    bool attempt(const char *what, const std::function<int()> &step, bool writes);
    bool recoverFromDamage(int code);
    bool confirmedDamaged(int code);

    int ensureKey(const QString &path); // path already normalized
    sqlite3_stmt *statement(Statement which);
    // The normalized, case-folded form of a key path as callers spell it; reads
    // ask for the same few paths over and over, so the answer is kept.
    QString foldedKeyPath(const QString &keyPath);
    bool fail(const char *what, int code);
    bool succeed();

    QString m_path;
    QString m_movedAside;
    ProblemObserver m_observer;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statements[StatementCount] = {};
    QString m_openError;     // why the store could not be opened, while it cannot
    QSet<QString> m_knownKeys; // folded paths known to exist; keys are never deleted
    QHash<QString, QString> m_foldedPaths;
    // Values as last read, by key path and name as the caller spelt them. Our
    // own writes clear it; others' writes show in the database's data version,
    // which is asked once per turn of the event loop.
    QHash<QString, std::optional<RegistryValue>> m_values;
    qint64 m_dataVersion = -1;
    EventLoopTurn m_checkedThisTurn;
    QElapsedTimer m_moveCheck;
    QString m_lastError;
    mutable QMutex m_mutex;
};

} // namespace tilvano
