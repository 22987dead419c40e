#include "system/credentials/CredentialStore.h"

#include "system/Registry.h"
#include "system/SystemServices.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>

// GLib's headers name struct members "signals", which Qt defines as a word
// of its own.
#pragma push_macro("signals")
#undef signals
#include <libsecret/secret.h>
#pragma pop_macro("signals")

#include <functional>
#include <memory>
#include <optional>

namespace tilvano {

namespace {

enum class SecretOperation { Store, Lookup, Clear };

// One request to the secret store, carried to the worker thread by value.
struct SecretRequest {
    SecretOperation operation = SecretOperation::Lookup;
    QString service;
    QString user;
    // Store: the password. Lookup: a clear-text copy to move into the
    // secret store, when the settings store holds one.
    QString password;
};

struct SecretReply {
    bool serviceRuns = false;
    bool ok = false;
    bool found = false;
    QString password;
    QString error; // the secret store's own words
};

constexpr const char *secretServiceName = "org.freedesktop.secrets";

const SecretSchema *passwordSchema()
{
    static const SecretSchema schema = [] {
        SecretSchema s{};
        s.name = "org.lorvat.Tilvano.Password";
        s.flags = SECRET_SCHEMA_NONE;
        s.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"user", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &schema;
}

QString takeMessage(GError *error)
{
    const QString message = error ? QString::fromUtf8(error->message) : QString();
    if (error)
        g_error_free(error);
    return message;
}

// A call to the bus itself; null when it failed.
GVariant *askBus(GDBusConnection *bus, const char *method, GVariant *arguments, const char *replyType)
{
    return g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                       method, arguments, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE, -1,
                                       nullptr, nullptr);
}

bool secretServiceNameOwned(GDBusConnection *bus)
{
    GVariant *reply = askBus(bus, "NameHasOwner", g_variant_new("(s)", secretServiceName), "(b)");
    if (!reply)
        return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

bool secretServiceStarted(GDBusConnection *bus)
{
    GVariant *reply = askBus(bus, "StartServiceByName", g_variant_new("(su)", secretServiceName, 0u), "(u)");
    if (reply)
        g_variant_unref(reply);
    return reply != nullptr;
}

// Whether a secret store serves the session: some program owns its bus name,
// or the bus can start one. Asked before every request, so that only a
// missing store (never a failing one) leads to the settings store.
bool secretServiceRuns()
{
    GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return false;
    // The bus starts only services it has a file for, even when the name is
    // taken already; so ask who owns it first.
    const bool runs = secretServiceNameOwned(bus) || secretServiceStarted(bus);
    g_object_unref(bus);
    return runs;
}

bool storeSecret(const SecretRequest &request, QString *message)
{
    const QByteArray service = request.service.toUtf8();
    const QByteArray user = request.user.toUtf8();
    const QByteArray label = QStringLiteral("Tilvano: %1 (%2)").arg(request.user, request.service).toUtf8();
    const QByteArray password = request.password.toUtf8();
    GError *error = nullptr;
    const bool stored = secret_password_store_sync(passwordSchema(), SECRET_COLLECTION_DEFAULT, label.constData(),
                                                   password.constData(), nullptr, &error, "service",
                                                   service.constData(), "user", user.constData(), nullptr);
    *message = takeMessage(error);
    return stored;
}

// Runs on the worker thread: nothing here touches Qt objects or the
// settings store.
SecretReply askSecretService(const SecretRequest &request)
{
    SecretReply reply;
    reply.serviceRuns = secretServiceRuns();
    if (!reply.serviceRuns)
        return reply;

    const QByteArray service = request.service.toUtf8();
    const QByteArray user = request.user.toUtf8();
    GError *error = nullptr;
    switch (request.operation) {
    case SecretOperation::Store:
        reply.ok = storeSecret(request, &reply.error);
        return reply;
    case SecretOperation::Lookup: {
        if (!request.password.isEmpty()) {
            reply.ok = storeSecret(request, &reply.error);
            reply.found = reply.ok;
            reply.password = request.password;
            return reply;
        }
        gchar *password = secret_password_lookup_sync(passwordSchema(), nullptr, &error, "service",
                                                      service.constData(), "user", user.constData(), nullptr);
        reply.ok = error == nullptr;
        reply.error = takeMessage(error);
        reply.found = password != nullptr;
        if (password) {
            reply.password = QString::fromUtf8(password);
            secret_password_free(password);
        }
        return reply;
    }
    case SecretOperation::Clear:
        secret_password_clear_sync(passwordSchema(), nullptr, &error, "service", service.constData(), "user",
                                   user.constData(), nullptr);
        reply.ok = error == nullptr;
        reply.error = takeMessage(error);
        return reply;
    }
    return reply;
}

// One worker thread for the secret store. Never destroyed: a request the
// secret store holds up must not hold up the program's exit.
QThreadPool &secretWorker()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(1);
        return p;
    }();
    return *pool;
}

std::optional<QString> fallbackPassword(const CredentialKey &key)
{
    const std::optional<RegistryValue> stored =
        SystemServices::registry().value(key.fallbackKeyPath, key.fallbackValueName);
    if (!stored || stored->type != RegistryValue::String || stored->text.isEmpty())
        return std::nullopt;
    return stored->text;
}

void removeFallbackPassword(const CredentialKey &key)
{
    if (fallbackPassword(key))
        SystemServices::registry().deleteValue(key.fallbackKeyPath, key.fallbackValueName);
}

CredentialResult secretServiceFailure(const QString &what, const QString &message)
{
    CredentialResult result;
    result.location = CredentialLocation::SecretService;
    result.error = what + (message.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + message);
    return result;
}

CredentialResult afterStore(const CredentialKey &key, const QString &password, const SecretReply &reply)
{
    if (reply.serviceRuns && !reply.ok)
        return secretServiceFailure(QStringLiteral("Der Schlüsselbund hat das Passwort nicht angenommen"),
                                    reply.error);
    CredentialResult result;
    result.ok = true;
    if (reply.serviceRuns) {
        // No clear-text copy stays behind once the secret store has it.
        removeFallbackPassword(key);
        result.location = CredentialLocation::SecretService;
        return result;
    }
    Registry &registry = SystemServices::registry();
    result.ok = registry.setValue(key.fallbackKeyPath, key.fallbackValueName, RegistryValue::fromString(password));
    if (!result.ok)
        result.error = QStringLiteral("Das Passwort konnte nicht gespeichert werden: ") + registry.lastError();
    return result;
}

CredentialResult afterLookup(const CredentialKey &key, const std::optional<QString> &clearText,
                             const SecretReply &reply)
{
    CredentialResult result;
    result.ok = true;
    if (clearText && (!reply.serviceRuns || !reply.ok)) {
        // No secret store, or it would not take the password yet: the copy
        // stays where it is and still serves.
        result.found = true;
        result.password = *clearText;
        return result;
    }
    if (!reply.serviceRuns)
        return result; // nothing stored anywhere
    if (!reply.ok)
        return secretServiceFailure(QStringLiteral("Das Passwort konnte nicht aus dem Schlüsselbund gelesen werden"),
                                    reply.error);
    if (clearText)
        removeFallbackPassword(key); // moved into the secret store
    result.location = CredentialLocation::SecretService;
    result.found = reply.found;
    result.password = reply.password;
    return result;
}

CredentialResult afterClear(const CredentialKey &key, const SecretReply &reply)
{
    removeFallbackPassword(key);
    if (reply.serviceRuns && !reply.ok)
        return secretServiceFailure(QStringLiteral("Das Passwort konnte nicht aus dem Schlüsselbund gelöscht werden"),
                                    reply.error);
    CredentialResult result;
    result.ok = true;
    result.location = reply.serviceRuns ? CredentialLocation::SecretService : CredentialLocation::SettingsStore;
    return result;
}

// One request from start to end: what it asks the secret store (prepared on
// the settings store's thread when its turn comes), what it makes of the
// answer there, and who wants to hear the result.
struct CredentialRequest {
    std::function<SecretRequest()> prepare;
    std::function<CredentialResult(const SecretReply &)> finish;
    QPointer<QObject> receiver;
    CredentialStore::Callback done;
};

// Runs the requests of the process one whole request after another, the
// settings store's part included, so that a lookup made after a store sees
// the new password in either store. A request finishes (a password reaches
// the settings store) even when whoever asked is gone by then.
class CredentialQueue {
public:
    static CredentialQueue &instance()
    {
        static auto *queue = new CredentialQueue;
        return *queue;
    }

    void add(CredentialRequest request)
    {
        m_waiting.append(std::move(request));
        if (!m_busy)
            startNext();
    }

private:
    void startNext()
    {
        m_busy = !m_waiting.isEmpty();
        if (!m_busy)
            return;
        auto request = std::make_shared<CredentialRequest>(m_waiting.takeFirst());
        auto *watcher = new QFutureWatcher<SecretReply>(&m_context);
        QObject::connect(watcher, &QFutureWatcherBase::finished, &m_context, [this, watcher, request] {
            watcher->deleteLater();
            const CredentialResult result = request->finish(watcher->result());
            // Through the receiver's own event queue, so that a receiver may
            // delete itself or ask again from inside its callback.
            if (request->receiver)
                QMetaObject::invokeMethod(
                    request->receiver, [done = request->done, result] { done(result); }, Qt::QueuedConnection);
            startNext();
        });
        watcher->setFuture(ask(request->prepare()));
    }

    static QFuture<SecretReply> ask(const SecretRequest &request)
    {
        auto promise = std::make_shared<QPromise<SecretReply>>();
        QFuture<SecretReply> future = promise->future();
        promise->start();
        secretWorker().start([promise, request] {
            promise->addResult(askSecretService(request));
            promise->finish();
        });
        return future;
    }

    QObject m_context;
    QList<CredentialRequest> m_waiting;
    bool m_busy = false;
};

} // namespace

CredentialStore::CredentialStore(QObject *parent)
    : QObject(parent)
{
}

CredentialStore::~CredentialStore() = default;

void CredentialStore::store(const CredentialKey &key, const QString &password, Callback done)
{
    if (password.isEmpty()) {
        clear(key, std::move(done));
        return;
    }
    CredentialQueue::instance().add(
        {[key, password] { return SecretRequest{SecretOperation::Store, key.service, key.user, password}; },
         [key, password](const SecretReply &reply) { return afterStore(key, password, reply); }, this,
         std::move(done)});
}

void CredentialStore::lookup(const CredentialKey &key, Callback done)
{
    // The clear-text copy is read when the request's turn comes, and shared
    // by its two halves.
    auto clearText = std::make_shared<std::optional<QString>>();
    CredentialQueue::instance().add(
        {[key, clearText] {
             *clearText = fallbackPassword(key);
             return SecretRequest{SecretOperation::Lookup, key.service, key.user, clearText->value_or(QString())};
         },
         [key, clearText](const SecretReply &reply) { return afterLookup(key, *clearText, reply); }, this,
         std::move(done)});
}

void CredentialStore::clear(const CredentialKey &key, Callback done)
{
    CredentialQueue::instance().add(
        {[key] { return SecretRequest{SecretOperation::Clear, key.service, key.user, QString()}; },
         [key](const SecretReply &reply) { return afterClear(key, reply); }, this, std::move(done)});
}

QString CredentialStore::describe(CredentialLocation location)
{
    switch (location) {
    case CredentialLocation::SecretService:
        return QStringLiteral("im Schlüsselbund des Desktops");
    case CredentialLocation::SettingsStore:
        return QStringLiteral("in den privaten Einstellungen (kein Schlüsselbund gefunden)");
    }
    return QString();
}

} // namespace tilvano
