// Account passwords against a real secret store (GNOME Keyring on a bus of the
// test's own, checked with an independent client) and, in other processes,
// without one: on a bus where no secret store runs, and with no bus at all.
#include "support/PrivateSessionBus.h"
#include "support/IsolatedHome.h"

#include "system/credentials/CredentialStore.h"
#include "system/Registry.h"
#include "system/SystemServices.h"

#include <QtTest>

#include <cstdio>

using namespace tilvano;
using test::PrivateSessionBus;

namespace {

constexpr int waitMs = 20000;

const CredentialKey alice{QStringLiteral("xmpp"), QStringLiteral("alice@example.org"),
                          QStringLiteral("HKEY_CURRENT_USER\\Software\\Lorvat\\Messenger"),
                          QStringLiteral("Password")};
const CredentialKey aliceMail{QStringLiteral("imap"), QStringLiteral("alice@example.org"),
                              QStringLiteral("HKEY_CURRENT_USER\\Software\\Lorvat\\Mail"),
                              QStringLiteral("ImapPassword")};

QString locationName(CredentialLocation location)
{
    return location == CredentialLocation::SecretService ? QStringLiteral("SecretService")
                                                         : QStringLiteral("SettingsStore");
}

// Runs one request and waits for its answer; the answer must come later,
// never inside the call.
CredentialResult await(const std::function<void(CredentialStore &, CredentialStore::Callback)> &request)
{
    CredentialStore store;
    std::optional<CredentialResult> answer;
    bool returned = false;
    request(store, [&](const CredentialResult &result) {
        answer = result;
        if (!returned)
            answer->error = QStringLiteral("answered inside the call");
    });
    returned = true;
    if (!QTest::qWaitFor([&] { return answer.has_value(); }, waitMs))
        return CredentialResult{false, false, {}, CredentialLocation::SettingsStore, QStringLiteral("no answer")};
    return *answer;
}

CredentialResult storePassword(const CredentialKey &key, const QString &password)
{
    return await([&](CredentialStore &s, CredentialStore::Callback done) { s.store(key, password, done); });
}

CredentialResult lookupPassword(const CredentialKey &key)
{
    return await([&](CredentialStore &s, CredentialStore::Callback done) { s.lookup(key, done); });
}

CredentialResult clearPassword(const CredentialKey &key)
{
    return await([&](CredentialStore &s, CredentialStore::Callback done) { s.clear(key, done); });
}

std::optional<QString> clearTextCopy(const CredentialKey &key)
{
    const auto value = SystemServices::registry().value(key.fallbackKeyPath, key.fallbackValueName);
    return value ? std::optional<QString>(value->text) : std::nullopt;
}

// The other process's side: one request for alice's chat password, its
// answer on standard output as "ok found location password". A store is
// followed at once by a lookup, whose answer is printed.
int runPeer(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    CredentialResult result;
    if (args.value(2) == QLatin1String("store")) {
        CredentialStore store;
        std::optional<CredentialResult> stored, found;
        store.store(alice, args.value(3), [&](const CredentialResult &r) { stored = r; });
        store.lookup(alice, [&](const CredentialResult &r) { found = r; });
        if (QTest::qWaitFor([&] { return found.has_value(); }, waitMs) && stored && stored->ok)
            result = *found;
    } else if (args.value(2) == QLatin1String("lookup")) {
        result = lookupPassword(alice);
    } else {
        result = clearPassword(alice);
    }
    std::printf("%d %d %s %s\n", int(result.ok), int(result.found), qPrintable(locationName(result.location)),
                qPrintable(result.password));
    return 0;
}

} // namespace

class TestCredentialStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_home = std::make_unique<test::IsolatedHome>();
        m_bus = std::make_unique<PrivateSessionBus>(PrivateSessionBus::SecretStore::Keyring);
        QVERIFY2(m_bus->isReady(), qPrintable(m_bus->error()));
    }

    void cleanupTestCase()
    {
        m_bus.reset();
        m_home.reset();
    }

    void keepsPasswordsInTheKeyringOnly()
    {
        const QString password = QStringLiteral("gé\"heim ' $(rm) \\n");
        CredentialResult stored = storePassword(alice, password);
        QVERIFY2(stored.ok, qPrintable(stored.error));
        QCOMPARE(stored.location, CredentialLocation::SecretService);
        // Another client of the keyring finds it; the settings hold no copy.
        QCOMPARE(m_bus->secretTool({QStringLiteral("lookup"), QStringLiteral("service"), QStringLiteral("xmpp"),
                                    QStringLiteral("user"), QStringLiteral("alice@example.org")}),
                 std::optional<QString>(password));
        QCOMPARE(clearTextCopy(alice), std::nullopt);

        CredentialResult found = lookupPassword(alice);
        QVERIFY(found.ok && found.found);
        QCOMPARE(found.password, password);
        QCOMPARE(found.location, CredentialLocation::SecretService);
        // Accounts are told apart by service and user.
        found = lookupPassword(aliceMail);
        QVERIFY(found.ok);
        QVERIFY(!found.found);
        QVERIFY(found.password.isEmpty());

        stored = storePassword(alice, QStringLiteral("neu"));
        QVERIFY(stored.ok);
        QCOMPARE(lookupPassword(alice).password, QStringLiteral("neu"));

        // An empty password forgets the stored one.
        QVERIFY(storePassword(alice, QString()).ok);
        QVERIFY(!lookupPassword(alice).found);
        QVERIFY(storePassword(alice, QStringLiteral("wieder")).ok);
        QVERIFY(clearPassword(alice).ok);
        QCOMPARE(m_bus->secretTool({QStringLiteral("lookup"), QStringLiteral("service"), QStringLiteral("xmpp"),
                                    QStringLiteral("user"), QStringLiteral("alice@example.org")}),
                 std::nullopt);
    }

    void clearTextPasswordMovesIntoTheKeyring()
    {
        // As an older version, or a session without a keyring, left it.
        SystemServices::registry().setValue(aliceMail.fallbackKeyPath, aliceMail.fallbackValueName,
                                            RegistryValue::fromString(QStringLiteral("alt")));
        const CredentialResult found = lookupPassword(aliceMail);
        QVERIFY2(found.ok, qPrintable(found.error));
        QVERIFY(found.found);
        QCOMPARE(found.password, QStringLiteral("alt"));
        QCOMPARE(found.location, CredentialLocation::SecretService);
        QCOMPARE(clearTextCopy(aliceMail), std::nullopt);
        QCOMPARE(m_bus->secretTool({QStringLiteral("lookup"), QStringLiteral("service"), QStringLiteral("imap"),
                                    QStringLiteral("user"), QStringLiteral("alice@example.org")}),
                 std::optional<QString>(QStringLiteral("alt")));
    }

    void requestsCompleteButAnswersNeverReachAStoreThatIsGone()
    {
        bool called = false;
        {
            CredentialStore store;
            store.store(aliceMail, QStringLiteral("kurzlebig"), [&](const CredentialResult &) { called = true; });
            store.lookup(aliceMail, [&](const CredentialResult &) { called = true; });
        }
        // Requests run in order: the next one sees what the first stored.
        QCOMPARE(lookupPassword(aliceMail).password, QStringLiteral("kurzlebig"));
        QCoreApplication::processEvents();
        QVERIFY(!called);
    }

    void fallsBackToTheSettingsOnlyWithoutASecretStore_data()
    {
        QTest::addColumn<bool>("withBus");
        QTest::newRow("bus without a secret store") << true;
        QTest::newRow("no session bus") << false;
    }

    void fallsBackToTheSettingsOnlyWithoutASecretStore()
    {
        QFETCH(bool, withBus);
        std::unique_ptr<PrivateSessionBus> bus;
        QString address = QStringLiteral("unix:path=") + m_home->runtimeDir() + QStringLiteral("/no-bus-here");
        if (withBus) {
            bus = std::make_unique<PrivateSessionBus>(PrivateSessionBus::SecretStore::None);
            QVERIFY2(bus->isReady(), qPrintable(bus->error()));
            address = bus->address();
        }

        QCOMPARE(peer(address, {QStringLiteral("store"), QStringLiteral("geheim")}),
                 QStringLiteral("1 1 SettingsStore geheim"));
        QCOMPARE(clearTextCopy(alice), std::optional<QString>(QStringLiteral("geheim")));
        QCOMPARE(peer(address, {QStringLiteral("lookup")}), QStringLiteral("1 1 SettingsStore geheim"));
        QCOMPARE(peer(address, {QStringLiteral("clear")}), QStringLiteral("1 0 SettingsStore"));
        QCOMPARE(clearTextCopy(alice), std::nullopt);
        QCOMPARE(peer(address, {QStringLiteral("lookup")}), QStringLiteral("1 0 SettingsStore"));
    }

    // Last: the keyring stays locked.
    void lockedKeyringIsAFailureNotAReasonForClearText()
    {
        QVERIFY(storePassword(alice, QStringLiteral("vorher")).ok);
        QVERIFY(m_bus->lockKeyring());

        const CredentialResult stored = storePassword(alice, QStringLiteral("geheim"));
        QVERIFY(!stored.ok);
        QCOMPARE(stored.location, CredentialLocation::SecretService);
        QVERIFY2(stored.error.startsWith(QStringLiteral("Der Schlüsselbund hat das Passwort nicht angenommen")),
                 qPrintable(stored.error));
        QCOMPARE(clearTextCopy(alice), std::nullopt);

        // A clear-text copy that cannot be moved yet still serves, and stays.
        SystemServices::registry().setValue(aliceMail.fallbackKeyPath, aliceMail.fallbackValueName,
                                            RegistryValue::fromString(QStringLiteral("alt")));
        const CredentialResult found = lookupPassword(aliceMail);
        QVERIFY(found.ok && found.found);
        QCOMPARE(found.password, QStringLiteral("alt"));
        QCOMPARE(found.location, CredentialLocation::SettingsStore);
        QCOMPARE(clearTextCopy(aliceMail), std::optional<QString>(QStringLiteral("alt")));
    }

private:
    // This program again, as another process on the given bus, in the
    // current home.
    QString peer(const QString &busAddress, const QStringList &request)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        env.remove(QStringLiteral("DISPLAY"));
        process.setProcessEnvironment(env);
        process.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--peer")} + request);
        if (!process.waitForFinished(waitMs))
            return QStringLiteral("<no end>");
        const QString answer = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
        return process.exitCode() == 0 ? answer : answer + QString::fromUtf8(process.readAllStandardError());
    }

    std::unique_ptr<test::IsolatedHome> m_home;
    std::unique_ptr<PrivateSessionBus> m_bus;
};

int main(int argc, char *argv[])
{
    if (argc >= 2 && qstrcmp(argv[1], "--peer") == 0)
        return runPeer(argc, argv);
    QCoreApplication app(argc, argv);
    TestCredentialStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_credentialstore.moc"
