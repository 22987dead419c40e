#include "platform/system/SqliteRegistry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QtDebug>

#include <sqlite3.h>

#include <atomic>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tilvano {

namespace {

constexpr int kBusyTimeoutMs = 10000;

const char *const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS registry_keys(
    folded TEXT PRIMARY KEY,
    path   TEXT NOT NULL,
    parent TEXT NOT NULL
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS registry_keys_by_parent ON registry_keys(parent);
CREATE TABLE IF NOT EXISTS registry_values(
    key         TEXT NOT NULL,
    folded_name TEXT NOT NULL,
    name        TEXT NOT NULL,
    type        INTEGER NOT NULL,
    data        BLOB,
    PRIMARY KEY(key, folded_name)
) WITHOUT ROWID;
)sql";

const char *const kStatements[] = {
    "SELECT type, data FROM registry_values WHERE key = ?1 AND folded_name = ?2",
    "INSERT INTO registry_values(key, folded_name, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, folded_name) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM registry_values WHERE key = ?1 AND folded_name = ?2",
    "INSERT OR IGNORE INTO registry_keys(folded, path, parent) VALUES(?1, ?2, ?3)",
    "SELECT 1 FROM registry_keys WHERE folded = ?1",
    "SELECT path FROM registry_keys WHERE parent = ?1 ORDER BY folded",
    "SELECT name, type, data FROM registry_values WHERE key = ?1 ORDER BY folded_name",
    "PRAGMA data_version",
};
static_assert(std::size(kStatements) == 8);

constexpr qsizetype kMaxRememberedValues = 16384;

QString fold(const QString &s) { return s.toCaseFolded(); }

QString parentOf(const QString &foldedPath)
{
    const qsizetype cut = foldedPath.lastIndexOf(QLatin1Char('\\'));
    return cut < 0 ? QString() : foldedPath.left(cut);
}

void bindText(sqlite3_stmt *stmt, int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString columnText(sqlite3_stmt *stmt, int column)
{
    const auto *data = static_cast<const char *>(sqlite3_column_blob(stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(stmt, column));
}

RegistryValue columnValue(sqlite3_stmt *stmt, int typeColumn)
{
    if (sqlite3_column_int(stmt, typeColumn) == RegistryValue::DWord)
        return RegistryValue::fromDWord(qint32(sqlite3_column_int64(stmt, typeColumn + 1)));
    return RegistryValue::fromString(columnText(stmt, typeColumn + 1));
}

// Resets a statement when the scope ends, so no read transaction stays open.
struct StatementScope {
    sqlite3_stmt *stmt;
    ~StatementScope()
    {
        if (stmt) {
            sqlite3_reset(stmt);
            sqlite3_clear_bindings(stmt);
        }
    }
};

bool isDamaged(int code)
{
    const int primary = code & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

} // namespace

SqliteRegistry::SqliteRegistry(const QString &path) : m_path(path)
{
    open();
}

SqliteRegistry::~SqliteRegistry()
{
    close();
}

QString SqliteRegistry::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/tilvano/registry.sqlite3");
}

bool SqliteRegistry::open()
{
    const QFileInfo info(m_path);
    if (!QDir(info.absolutePath()).exists() && QDir().mkpath(info.absolutePath()))
        QFile::setPermissions(info.absolutePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Processes that start together must not see each other's half-made store:
    // one could take the other's fresh file for a damaged one and move it away.
    // Opening (creating, configuring, recovering) is therefore done one at a time.
    const QByteArray lockPath = QFile::encodeName(m_path + QStringLiteral(".lock"));
    const int lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd >= 0)
        ::flock(lockFd, LOCK_EX);
    const bool opened = openUnderLock();
    if (lockFd >= 0) {
        ::flock(lockFd, LOCK_UN);
        ::close(lockFd);
    }
    return opened;
}

bool SqliteRegistry::openUnderLock()
{
    // Created by us first so that the store (and the -wal/-shm files SQLite gives
    // the same mode) is private to the user from its first byte.
    const QByteArray nativePath = QFile::encodeName(m_path);
    const int fd = ::open(nativePath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);

    if (openAndPrepare())
        return true;
    const bool damaged = m_db && isDamaged(sqlite3_extended_errcode(m_db)) && !looksLikeADatabase();
    close();
    if (!damaged || !moveAside())
        return false;
    if (openAndPrepare())
        return true;
    close();
    return false;
}

bool SqliteRegistry::looksLikeADatabase() const
{
    // An empty file is a store not yet written; a file with SQLite's header is a
    // store, whatever the error said. Only anything else is moved aside.
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray head = file.read(16);
    return head.isEmpty() || head == QByteArray("SQLite format 3", 16);
}

bool SqliteRegistry::openAndPrepare()
{
    const QByteArray nativePath = QFile::encodeName(m_path);
    if (sqlite3_open_v2(nativePath.constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
        != SQLITE_OK) {
        return fail("open");
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    // WAL lets readers and one writer work at once across processes. With
    // synchronous=NORMAL a committed write survives the crash or kill of any
    // process (it is in the WAL before the call returns); FULL would add an fsync
    // per write, which only matters for a power cut.
    const char *setup = "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;";
    if (sqlite3_exec(m_db, setup, nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail("configure");
    if (sqlite3_exec(m_db, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail("create schema");
    for (int i = 0; i < StatementCount; ++i) {
        if (sqlite3_prepare_v3(m_db, kStatements[i], -1, SQLITE_PREPARE_PERSISTENT,
                               &m_statements[i], nullptr)
            != SQLITE_OK)
            return fail("prepare");
    }
    return succeed();
}

void SqliteRegistry::close()
{
    unmapWalIndex();
    for (sqlite3_stmt *&stmt : m_statements) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_knownKeys.clear();
    m_values.clear();
    m_dataVersion = -1;
}

bool SqliteRegistry::moveAside()
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString target = m_path + QStringLiteral(".damaged-") + stamp;
    if (!QFile::rename(m_path, target)) {
        m_lastError = QStringLiteral("cannot move the damaged store %1 aside").arg(m_path);
        return false;
    }
    // The journal files belong to the damaged store, not to the fresh one.
    for (const char *suffix : {"-wal", "-shm"}) {
        const QString side = m_path + QLatin1String(suffix);
        if (QFile::exists(side))
            QFile::rename(side, target + QLatin1String(suffix));
    }
    m_movedAside = target;
    qWarning("tilvano: the settings store %s was damaged; it was moved to %s and a new one was started",
             qPrintable(m_path), qPrintable(target));
    const QByteArray nativePath = QFile::encodeName(m_path);
    const int fd = ::open(nativePath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    return true;
}

QString SqliteRegistry::foldedKeyPath(const QString &keyPath)
{
    constexpr qsizetype kMaxRemembered = 4096;
    const auto found = m_foldedPaths.constFind(keyPath);
    if (found != m_foldedPaths.constEnd())
        return *found;
    const QString folded = fold(normalizedKeyPath(keyPath));
    if (m_foldedPaths.size() >= kMaxRemembered)
        m_foldedPaths.clear();
    m_foldedPaths.insert(keyPath, folded);
    return folded;
}

// Length of the WAL-index header that a commit rewrites: change counter, frame
// count, salts and checksums (SQLite's documented WAL-index layout).
constexpr qsizetype kWalIndexHeadLength = 48;
constexpr size_t kWalIndexMapLength = 4096;

void SqliteRegistry::mapWalIndex()
{
    if (m_walIndex || !m_db)
        return;
    const QByteArray shmPath = QFile::encodeName(m_path + QStringLiteral("-shm"));
    const int fd = ::open(shmPath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && size_t(st.st_size) >= kWalIndexMapLength) {
        void *map = ::mmap(nullptr, kWalIndexMapLength, PROT_READ, MAP_SHARED, fd, 0);
        if (map != MAP_FAILED)
            m_walIndex = static_cast<const uchar *>(map);
    }
    ::close(fd);
}

void SqliteRegistry::unmapWalIndex()
{
    if (m_walIndex)
        ::munmap(const_cast<uchar *>(m_walIndex), kWalIndexMapLength);
    m_walIndex = nullptr;
    m_walIndexHead.clear();
}

void SqliteRegistry::dropValuesChangedElsewhere()
{
    QByteArray head;
    if (m_walIndex) {
        head = QByteArray(reinterpret_cast<const char *>(m_walIndex), kWalIndexHeadLength);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (!m_walIndexHead.isEmpty() && head == m_walIndexHead && m_values.size() < kMaxRememberedValues)
            return;
    }
    sqlite3_stmt *stmt = statement(DataVersion);
    qint64 version = -1;
    if (stmt) {
        StatementScope scope{stmt};
        if (sqlite3_step(stmt) == SQLITE_ROW)
            version = sqlite3_column_int64(stmt, 0);
    }
    if (version != m_dataVersion || version < 0 || m_values.size() >= kMaxRememberedValues)
        m_values.clear();
    m_dataVersion = version;
    // The head read before asking: a commit after that read changes it again.
    m_walIndexHead = version < 0 ? QByteArray() : head;
    if (!m_walIndex)
        mapWalIndex();
}

sqlite3_stmt *SqliteRegistry::statement(Statement which)
{
    return m_db ? m_statements[which] : nullptr;
}

bool SqliteRegistry::fail(const char *what)
{
    m_lastError = QStringLiteral("%1 (%2): %3")
                      .arg(QLatin1String(what), m_path,
                           m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                : QStringLiteral("not open"));
    return false;
}

bool SqliteRegistry::succeed()
{
    if (!m_lastError.isEmpty())
        m_lastError.clear();
    return true;
}

bool SqliteRegistry::ensureKey(const QString &path)
{
    const QString folded = fold(path);
    if (m_knownKeys.contains(folded))
        return true;
    // Create the key and every missing ancestor, root first, so that listing
    // sub-keys finds them; the original spelling of each part is kept.
    const QStringList parts = path.split(QLatin1Char('\\'));
    QString current;
    for (const QString &part : parts) {
        current = current.isEmpty() ? part : current + QLatin1Char('\\') + part;
        const QString currentFolded = fold(current);
        if (m_knownKeys.contains(currentFolded))
            continue;
        sqlite3_stmt *stmt = statement(InsertKey);
        if (!stmt)
            return fail("create key");
        StatementScope scope{stmt};
        bindText(stmt, 1, currentFolded);
        bindText(stmt, 2, current);
        bindText(stmt, 3, parentOf(currentFolded));
        if (sqlite3_step(stmt) != SQLITE_DONE)
            return fail("create key");
        m_knownKeys.insert(currentFolded);
    }
    return true;
}

bool SqliteRegistry::keyExists(const QString &keyPath)
{
    QMutexLocker lock(&m_mutex);
    const QString path = normalizedKeyPath(keyPath);
    if (path.isEmpty())
        return false;
    if (m_knownKeys.contains(fold(path)))
        return true;
    sqlite3_stmt *stmt = statement(SelectKey);
    if (!stmt)
        return fail("read key");
    StatementScope scope{stmt};
    bindText(stmt, 1, fold(path));
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
        m_knownKeys.insert(fold(path));
        return succeed();
    }
    if (rc != SQLITE_DONE)
        fail("read key");
    return false;
}

std::optional<RegistryValue> SqliteRegistry::value(const QString &keyPath, const QString &name)
{
    QMutexLocker lock(&m_mutex);
    dropValuesChangedElsewhere();
    const QString cacheKey = keyPath + QChar(0x1f) + name;
    const auto remembered = m_values.constFind(cacheKey);
    if (remembered != m_values.constEnd())
        return *remembered;
    const QString foldedPath = foldedKeyPath(keyPath);
    sqlite3_stmt *stmt = statement(SelectValue);
    if (foldedPath.isEmpty() || !stmt) {
        fail("read value");
        return std::nullopt;
    }
    StatementScope scope{stmt};
    bindText(stmt, 1, foldedPath);
    bindText(stmt, 2, fold(name));
    const int rc = sqlite3_step(stmt);
    std::optional<RegistryValue> result;
    if (rc == SQLITE_ROW)
        result = columnValue(stmt, 0);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        fail("read value");
        return std::nullopt;
    }
    succeed();
    m_values.insert(cacheKey, result);
    return result;
}

bool SqliteRegistry::setValue(const QString &keyPath, const QString &name, const RegistryValue &value)
{
    QMutexLocker lock(&m_mutex);
    const QString foldedPath = foldedKeyPath(keyPath);
    if (foldedPath.isEmpty()) {
        m_lastError = QStringLiteral("no such root key: %1").arg(keyPath);
        return false;
    }
    m_values.clear();
    if (!m_knownKeys.contains(foldedPath) && !ensureKey(normalizedKeyPath(keyPath)))
        return false;
    sqlite3_stmt *stmt = statement(UpsertValue);
    if (!stmt)
        return fail("write value");
    StatementScope scope{stmt};
    bindText(stmt, 1, foldedPath);
    bindText(stmt, 2, fold(name));
    bindText(stmt, 3, name);
    sqlite3_bind_int(stmt, 4, value.type);
    if (value.type == RegistryValue::DWord) {
        sqlite3_bind_int64(stmt, 5, value.number);
    } else {
        const QByteArray utf8 = value.text.toUtf8();
        sqlite3_bind_blob(stmt, 5, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    if (sqlite3_step(stmt) != SQLITE_DONE)
        return fail("write value");
    return succeed();
}

bool SqliteRegistry::createKey(const QString &keyPath)
{
    QMutexLocker lock(&m_mutex);
    const QString path = normalizedKeyPath(keyPath);
    if (path.isEmpty()) {
        m_lastError = QStringLiteral("no such root key: %1").arg(keyPath);
        return false;
    }
    return ensureKey(path) && succeed();
}

bool SqliteRegistry::deleteValue(const QString &keyPath, const QString &name)
{
    QMutexLocker lock(&m_mutex);
    m_values.clear();
    const QString path = normalizedKeyPath(keyPath);
    sqlite3_stmt *stmt = statement(DeleteValue);
    if (path.isEmpty() || !stmt)
        return fail("delete value");
    StatementScope scope{stmt};
    bindText(stmt, 1, fold(path));
    bindText(stmt, 2, fold(name));
    if (sqlite3_step(stmt) != SQLITE_DONE)
        return fail("delete value");
    succeed();
    return sqlite3_changes(m_db) > 0;
}

QStringList SqliteRegistry::subKeys(const QString &keyPath)
{
    QMutexLocker lock(&m_mutex);
    QStringList result;
    const QString path = normalizedKeyPath(keyPath);
    // An empty path lists the roots that hold anything.
    const bool listRoots = keyPath.trimmed().isEmpty();
    sqlite3_stmt *stmt = statement(SelectSubKeys);
    if (!stmt || (path.isEmpty() && !listRoots))
        return result;
    StatementScope scope{stmt};
    bindText(stmt, 1, fold(path));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        result << columnText(stmt, 0).section(QLatin1Char('\\'), -1);
    if (rc != SQLITE_DONE)
        fail("list keys");
    return result;
}

QList<NamedRegistryValue> SqliteRegistry::values(const QString &keyPath)
{
    QMutexLocker lock(&m_mutex);
    QList<NamedRegistryValue> result;
    const QString path = normalizedKeyPath(keyPath);
    sqlite3_stmt *stmt = statement(SelectValues);
    if (path.isEmpty() || !stmt)
        return result;
    StatementScope scope{stmt};
    bindText(stmt, 1, fold(path));
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        result.append({columnText(stmt, 0), columnValue(stmt, 1)});
    if (rc != SQLITE_DONE)
        fail("list values");
    return result;
}

QString SqliteRegistry::lastError() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastError;
}

} // namespace tilvano
