#pragma once

#include "platform/system/Registry.h"

#include <QHash>
#include <QMutex>
#include <QSet>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace tilvano {

// The registry kept in one SQLite database per user (WAL mode, so several
// processes read and write at once). A file at the path that is no database is
// moved aside with a time stamp and a fresh store is started.
class SqliteRegistry final : public Registry {
public:
    // Opens (creating when missing, mode 0600) the store at `path`.
    explicit SqliteRegistry(const QString &path);
    ~SqliteRegistry() override;
    SqliteRegistry(const SqliteRegistry &) = delete;
    SqliteRegistry &operator=(const SqliteRegistry &) = delete;

    // $XDG_CONFIG_HOME/tilvano/registry.sqlite3
    static QString defaultPath();

    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }
    // Where a damaged store was moved to when this object opened; empty when none was.
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

    bool open();
    bool openUnderLock();
    bool looksLikeADatabase() const;
    bool openAndPrepare();
    void close();
    bool moveAside();
    bool ensureKey(const QString &path); // path already normalized
    sqlite3_stmt *statement(Statement which);
    // The normalized, case-folded form of a key path as callers spell it; reads
    // ask for the same few paths over and over, so the answer is kept.
    QString foldedKeyPath(const QString &keyPath);
    // Drops the remembered values when another connection (of this or another
    // process) has committed since they were read.
    void dropValuesChangedElsewhere();
    void mapWalIndex();
    void unmapWalIndex();
    bool fail(const char *what);
    bool succeed();

    QString m_path;
    QString m_movedAside;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statements[StatementCount] = {};
    QSet<QString> m_knownKeys; // folded paths known to exist; keys are never deleted
    QHash<QString, QString> m_foldedPaths;
    // Values as last read, by key path and name as the caller spelt them. Our
    // own writes clear it; others' writes show in the database's data version.
    QHash<QString, std::optional<RegistryValue>> m_values;
    qint64 m_dataVersion = -1;
    // The head of the WAL index that every commit rewrites, mapped from the
    // -shm file, and its bytes at the last check: while they are unchanged no
    // other connection has committed, and the remembered values hold without
    // asking the database at all.
    const uchar *m_walIndex = nullptr;
    QByteArray m_walIndexHead;
    QString m_lastError;
    mutable QMutex m_mutex;
};

} // namespace tilvano
