#include "system/SqliteRegistry.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QtDebug>

#include <sqlite3.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tilvano {

namespace {

constexpr int kBusyTimeoutMs = 10000;
constexpr qint64 kMoveCheckIntervalMs = 1000;

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

// Opening the store, and replacing a damaged one, is done by one process at a
// time: processes that start together must not see each other's half-made
// store, or one could take the other's fresh file for a damaged one and move it
// away. The lock is a file of its own, which SQLite never opens.
class OpeningLock {
public:
    explicit OpeningLock(const QString &storePath)
    {
        const QByteArray path = QFile::encodeName(storePath + QStringLiteral(".lock"));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
        if (m_fd >= 0)
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~OpeningLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    OpeningLock(const OpeningLock &) = delete;
    OpeningLock &operator=(const OpeningLock &) = delete;

private:
    int m_fd = -1;
};

// Makes the store file when there is none, private to the user from its first
// byte (SQLite gives its -wal and -shm files the mode of the store). O_EXCL: an
// existing file is never opened here, so no descriptor of a file that SQLite
// may hold locks on is ever closed behind its back.
void createPrivately(const QString &path)
{
    const QByteArray nativePath = QFile::encodeName(path);
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

} // namespace

SqliteRegistry::SqliteRegistry(const QString &path, ProblemObserver observer)
    : m_path(path), m_observer(std::move(observer))
{
    QMutexLocker lock(&m_mutex);
    open();
    // Reading the data version starts the cache's watch; the first turn's
    // reads need not ask again.
    dropValuesChangedElsewhere();
    m_checkedThisTurn.mark();
}

SqliteRegistry::~SqliteRegistry()
{
    disconnect();
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
    OpeningLock lock(m_path);
    return openLocked();
}

bool SqliteRegistry::openLocked()
{
    for (int round = 0; round < 2; ++round) {
        createPrivately(m_path);
        const int rc = connect();
        if (rc == SQLITE_OK)
            return true;
        const bool damaged = round == 0 && confirmedDamaged(rc);
        disconnect();
        if (!damaged || !moveAside())
            break;
    }
    m_openError = m_lastError;
    report(StoreProblem::NotWritable, m_lastError);
    return false;
}

int SqliteRegistry::connect()
{
    const auto failed = [this](const char *what, int rc) {
        fail(what, rc);
        return rc;
    };
    const QByteArray nativePath = QFile::encodeName(m_path);
    int rc = sqlite3_open_v2(nativePath.constData(), &m_db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
        return failed("open", rc);
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    // WAL lets readers and one writer work at once across processes. With
    // synchronous=NORMAL a committed write survives the crash or kill of any
    // process (it is in the WAL before the call returns); FULL would add an fsync
    // per write, which only matters for a power cut.
    const char *setup = "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;";
    if ((rc = sqlite3_exec(m_db, setup, nullptr, nullptr, nullptr)) != SQLITE_OK)
        return failed("configure", rc);
    if ((rc = sqlite3_exec(m_db, kSchema, nullptr, nullptr, nullptr)) != SQLITE_OK)
        return failed("create schema", rc);
    for (int i = 0; i < StatementCount; ++i) {
        rc = sqlite3_prepare_v3(m_db, kStatements[i], -1, SQLITE_PREPARE_PERSISTENT, &m_statements[i], nullptr);
        if (rc != SQLITE_OK)
            return failed("prepare", rc);
    }
    m_openError.clear();
    succeed();
    return SQLITE_OK;
}

void SqliteRegistry::disconnect()
{
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

bool SqliteRegistry::confirmedDamaged(int code)
{
    if (!isDamaged(code))
        return false;
    if (!m_db)
        return true;
    // SQLite's own check has the last word: a store it finds sound is not
    // moved aside on the strength of one error.
    sqlite3_stmt *check = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "PRAGMA quick_check(1)", -1, &check, nullptr);
    bool sound = false;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(check);
        sound = rc == SQLITE_ROW && columnText(check, 0) == QLatin1String("ok");
    }
    sqlite3_finalize(check);
    return !sound && (rc == SQLITE_ROW || isDamaged(rc));
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
    report(StoreProblem::MovedAside, target);
    return true;
}

bool SqliteRegistry::recoverFromDamage(int code)
{
    if (!confirmedDamaged(code))
        return false;
    OpeningLock lock(m_path);
    // Another process may have met the damage first and started a fresh store.
    const bool movedElsewhere = storeWasMoved();
    disconnect();
    const bool moved = movedElsewhere || moveAside();
    return openLocked() && moved;
}

void SqliteRegistry::report(StoreProblem::Kind kind, const QString &detail)
{
    if (m_observer)
        m_observer({kind, m_path, detail});
}

bool SqliteRegistry::storeWasMoved()
{
    int moved = 0;
    return m_db && sqlite3_file_control(m_db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
}

void SqliteRegistry::refresh(bool beforeWrite)
{
    if (!beforeWrite && m_checkedThisTurn.marked())
        return;
    m_checkedThisTurn.mark();
    // A store that could not be opened may be fine now; one that another
    // process moved aside (or the user deleted) is no longer the user's store.
    // That is asked by path, which costs more than the data version: reads
    // ask at most once a second, writes every time.
    const bool lookForMove = beforeWrite || !m_moveCheck.isValid() || m_moveCheck.hasExpired(kMoveCheckIntervalMs);
    if (lookForMove)
        m_moveCheck.start();
    if (!m_db || (lookForMove && storeWasMoved())) {
        disconnect();
        open();
    }
    dropValuesChangedElsewhere();
}

void SqliteRegistry::dropValuesChangedElsewhere()
{
    qint64 version = -1;
    if (sqlite3_stmt *stmt = statement(DataVersion)) {
        StatementScope scope{stmt};
        if (sqlite3_step(stmt) == SQLITE_ROW)
            version = sqlite3_column_int64(stmt, 0);
    }
    if (version != m_dataVersion || version < 0 || m_values.size() >= kMaxRememberedValues)
        m_values.clear();
    m_dataVersion = version;
}

bool SqliteRegistry::attempt(const char *what, const std::function<int()> &step, bool writes)
{
    int rc = SQLITE_CANTOPEN;
    if (m_db) {
        rc = step();
        if (isDamaged(rc) && recoverFromDamage(rc))
            rc = step();
    }
    if (rc == SQLITE_OK)
        return succeed();
    if (m_db)
        fail(what, rc);
    else
        m_lastError = QStringLiteral("%1 (%2): the store is not open: %3")
                          .arg(QLatin1String(what), m_path, m_openError);
    if (writes)
        report(StoreProblem::NotWritable, m_lastError);
    return false;
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

sqlite3_stmt *SqliteRegistry::statement(Statement which)
{
    return m_db ? m_statements[which] : nullptr;
}

bool SqliteRegistry::fail(const char *what, int code)
{
    m_lastError = QStringLiteral("%1 (%2): %3")
                      .arg(QLatin1String(what), m_path, QString::fromUtf8(sqlite3_errstr(code)));
    return false;
}

bool SqliteRegistry::succeed()
{
    if (!m_lastError.isEmpty())
        m_lastError.clear();
    return true;
}

int SqliteRegistry::ensureKey(const QString &path)
{
    const QString folded = fold(path);
    if (m_knownKeys.contains(folded))
        return SQLITE_OK;
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
        StatementScope scope{stmt};
        bindText(stmt, 1, currentFolded);
        bindText(stmt, 2, current);
        bindText(stmt, 3, parentOf(currentFolded));
        const int rc = sqlite3_step(stmt);
        if (rc != SQLITE_DONE)
            return rc;
        m_knownKeys.insert(currentFolded);
    }
    return SQLITE_OK;
}

bool SqliteRegistry::keyExists(const QString &keyPath)
{
    QMutexLocker lock(&m_mutex);
    refresh(false);
    const QString path = normalizedKeyPath(keyPath);
    if (path.isEmpty())
        return false;
    const QString folded = fold(path);
    if (m_knownKeys.contains(folded))
        return succeed();
    bool exists = false;
    const bool ok = attempt("read key", [&] {
        sqlite3_stmt *stmt = statement(SelectKey);
        StatementScope scope{stmt};
        bindText(stmt, 1, folded);
        const int rc = sqlite3_step(stmt);
        exists = rc == SQLITE_ROW;
        return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
    }, false);
    if (ok && exists)
        m_knownKeys.insert(folded);
    return ok && exists;
}

std::optional<RegistryValue> SqliteRegistry::value(const QString &keyPath, const QString &name)
{
    QMutexLocker lock(&m_mutex);
    refresh(false);
    const QString cacheKey = keyPath + QChar(0x1f) + name;
    const auto remembered = m_values.constFind(cacheKey);
    if (remembered != m_values.constEnd())
        return *remembered;
    const QString foldedPath = foldedKeyPath(keyPath);
    if (!underKnownRoot(foldedPath, keyPath))
        return std::nullopt;
    std::optional<RegistryValue> result;
    const bool ok = attempt("read value", [&] {
        sqlite3_stmt *stmt = statement(SelectValue);
        StatementScope scope{stmt};
        bindText(stmt, 1, foldedPath);
        bindText(stmt, 2, fold(name));
        const int rc = sqlite3_step(stmt);
        result.reset();
        if (rc == SQLITE_ROW)
            result = columnValue(stmt, 0);
        return rc == SQLITE_ROW || rc == SQLITE_DONE ? SQLITE_OK : rc;
    }, false);
    if (!ok)
        return std::nullopt;
    m_values.insert(cacheKey, result);
    return result;
}

// A key path that normalises to nothing names a root we do not keep; the
// caller answers as for a missing value, with the reason in lastError().
bool SqliteRegistry::underKnownRoot(const QString &normalized, const QString &keyPath)
{
    if (!normalized.isEmpty())
        return true;
    m_lastError = QStringLiteral("no such root key: %1").arg(keyPath);
    return false;
}

bool SqliteRegistry::setValue(const QString &keyPath, const QString &name, const RegistryValue &value)
{
    QMutexLocker lock(&m_mutex);
    const QString foldedPath = foldedKeyPath(keyPath);
    if (!underKnownRoot(foldedPath, keyPath))
        return false;
    refresh(true);
    m_values.clear();
    const QByteArray text = value.type == RegistryValue::DWord ? QByteArray() : value.text.toUtf8();
    return attempt("write value", [&] {
        if (const int rc = ensureKey(normalizedKeyPath(keyPath)); rc != SQLITE_OK)
            return rc;
        sqlite3_stmt *stmt = statement(UpsertValue);
        StatementScope scope{stmt};
        bindText(stmt, 1, foldedPath);
        bindText(stmt, 2, fold(name));
        bindText(stmt, 3, name);
        sqlite3_bind_int(stmt, 4, value.type);
        if (value.type == RegistryValue::DWord)
            sqlite3_bind_int64(stmt, 5, value.number);
        else
            sqlite3_bind_blob(stmt, 5, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(stmt);
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }, true);
}

bool SqliteRegistry::createKey(const QString &keyPath)
{
    QMutexLocker lock(&m_mutex);
    const QString path = normalizedKeyPath(keyPath);
    if (!underKnownRoot(path, keyPath))
        return false;
    refresh(true);
    return attempt("create key", [&] { return ensureKey(path); }, true);
}

bool SqliteRegistry::deleteValue(const QString &keyPath, const QString &name)
{
    QMutexLocker lock(&m_mutex);
    const QString path = normalizedKeyPath(keyPath);
    if (!underKnownRoot(path, keyPath))
        return false;
    refresh(true);
    m_values.clear();
    bool deleted = false;
    const bool ok = attempt("delete value", [&] {
        sqlite3_stmt *stmt = statement(DeleteValue);
        StatementScope scope{stmt};
        bindText(stmt, 1, fold(path));
        bindText(stmt, 2, fold(name));
        const int rc = sqlite3_step(stmt);
        deleted = rc == SQLITE_DONE && sqlite3_changes(m_db) > 0;
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }, true);
    return ok && deleted;
}

QStringList SqliteRegistry::subKeys(const QString &keyPath)
{
    QMutexLocker lock(&m_mutex);
    refresh(false);
    QStringList result;
    const QString path = normalizedKeyPath(keyPath);
    // An empty path lists the roots that hold anything.
    if (path.isEmpty() && !keyPath.trimmed().isEmpty())
        return result;
    attempt("list keys", [&] {
        result.clear();
        sqlite3_stmt *stmt = statement(SelectSubKeys);
        StatementScope scope{stmt};
        bindText(stmt, 1, fold(path));
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            result << columnText(stmt, 0).section(QLatin1Char('\\'), -1);
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }, false);
    return result;
}

QList<NamedRegistryValue> SqliteRegistry::values(const QString &keyPath)
{
    QMutexLocker lock(&m_mutex);
    refresh(false);
    QList<NamedRegistryValue> result;
    const QString path = normalizedKeyPath(keyPath);
    if (path.isEmpty())
        return result;
    attempt("list values", [&] {
        result.clear();
        sqlite3_stmt *stmt = statement(SelectValues);
        StatementScope scope{stmt};
        bindText(stmt, 1, fold(path));
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            result.append({columnText(stmt, 0), columnValue(stmt, 1)});
        return rc == SQLITE_DONE ? SQLITE_OK : rc;
    }, false);
    return result;
}

QString SqliteRegistry::lastError() const
{
    QMutexLocker lock(&m_mutex);
    return m_lastError;
}

} // namespace tilvano
