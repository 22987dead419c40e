// tilvano-reg: reads and changes the per-user settings store from the command line.

#include "RegistryTextFormat.h"
#include "common/SettingsStore.h"
#include "system/RunKeyMirror.h"
#include "system/ServiceRegistry.h"
#include "system/SqliteRegistry.h"
#include "system/StandardOptions.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

using namespace tilvano;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

const StandardOptions &standardOptions()
{
    static const StandardOptions options(QStringLiteral("tilvano-reg"), QStringLiteral(
        "Aufruf: tilvano-reg BEFEHL [ARGUMENTE]\n"
        "  oder: tilvano-reg OPTION\n"
        "Liest und ändert die Einstellungen von Tilvano, die alle Programme teilen.\n"
        "\n"
        "  get ANW ABSCHNITT SCHLÜSSEL [VORGABE]  zeigt eine Einstellung (VORGABE, wenn sie fehlt)\n"
        "  set ANW ABSCHNITT SCHLÜSSEL WERT       speichert eine Einstellung\n"
        "  list [ANW [ABSCHNITT]]                 listet Anwendungen, Abschnitte oder Einstellungen\n"
        "  query SCHLÜSSELPFAD [NAME]             zeigt die Werte eines Schlüssels oder einen Wert\n"
        "  add SCHLÜSSELPFAD NAME REG_SZ|REG_DWORD DATEN\n"
        "                                         speichert einen Wert dieses Typs\n"
        "  delete SCHLÜSSELPFAD NAME              löscht einen Wert\n"
        "  export [SCHLÜSSELPFAD]                 gibt Schlüssel und Werte als Text aus\n"
        "  import DATEI                           liest diesen Text wieder ein ('-': Standardeingabe)\n"), QStringLiteral(
        "ANW ist die Anwendung, für Tilvano Lorvat. Ein SCHLÜSSELPFAD beginnt mit dem\n"
        "Hauptschlüssel, etwa HKCU\\Software\\Lorvat\\Misc. Gespeicherte Passwörter\n"
        "werden nur maskiert gezeigt.\n"
        "\n"
        "Rückgabewerte: 0 Erfolg, 1 Fehler (Meldung auf der Standardfehlerausgabe),\n"
        "2 falscher Aufruf.\n"));
    return options;
}

int usage() { return standardOptions().refuseUsage(); }

int failure(const QString &message)
{
    err() << "tilvano-reg: " << message << '\n';
    err().flush();
    return kExitFailure;
}

QString typeName(const RegistryValue &value)
{
    return value.type == RegistryValue::DWord ? QStringLiteral("REG_DWORD") : QStringLiteral("REG_SZ");
}

// A value as the tool shows it: a stored password only as a mask.
QString shownText(const QString &name, const QString &text)
{
    return RegistryTextFormat::isPassword(name) && !text.isEmpty() ? RegistryTextFormat::maskedPassword() : text;
}

void printValue(const QString &name, const RegistryValue &value)
{
    out() << "    " << (name.isEmpty() ? QStringLiteral("(Default)") : name) << "    " << typeName(value) << "    ";
    if (value.type == RegistryValue::DWord)
        out() << "0x" << QString::number(quint32(value.number), 16);
    else
        out() << shownText(name, value.text);
    out() << '\n';
}

int run(const QStringList &args, Registry &registry)
{
    if (args.isEmpty())
        return usage();
    const QString command = args.first().toLower();
    const qsizetype count = args.size() - 1;
    auto storeFailed = [&] { return failure(QStringLiteral("the settings store failed: ") + registry.lastError()); };

    if (command == QLatin1String("get") && (count == 3 || count == 4)) {
        out() << shownText(args[3], GetSetting(args[1], args[2], args[3], count == 4 ? args[4] : QString())) << '\n';
        return kExitOk;
    }
    if (command == QLatin1String("set") && count == 4) {
        SaveSetting(args[1], args[2], args[3], args[4]);
        return registry.lastError().isEmpty() ? kExitOk : storeFailed();
    }
    if (command == QLatin1String("list") && count <= 2) {
        QString path = QStringLiteral("HKEY_CURRENT_USER\\Software");
        for (qsizetype i = 1; i <= count; ++i)
            path += QLatin1Char('\\') + args[i];
        if (count < 2) {
            for (const QString &key : registry.subKeys(path))
                out() << key << '\n';
        } else {
            for (const NamedRegistryValue &v : registry.values(path))
                out() << v.name << '=' << shownText(v.name, v.value.toDisplayText()) << '\n';
        }
        return registry.lastError().isEmpty() ? kExitOk : storeFailed();
    }
    if (command == QLatin1String("query") && (count == 1 || count == 2)) {
        const QString path = normalizedKeyPath(args[1]);
        if (path.isEmpty())
            return failure(QStringLiteral("not a key path: ") + args[1]);
        if (count == 2) {
            const auto value = registry.value(path, args[2]);
            if (!value)
                return failure(QStringLiteral("no value %1 in %2").arg(args[2], path));
            out() << path << '\n';
            printValue(args[2], *value);
            return kExitOk;
        }
        if (!registry.keyExists(path))
            return failure(QStringLiteral("no such key: ") + path);
        out() << path << '\n';
        for (const NamedRegistryValue &v : registry.values(path))
            printValue(v.name, v.value);
        for (const QString &key : registry.subKeys(path))
            out() << path << '\\' << key << '\n';
        return kExitOk;
    }
    if (command == QLatin1String("add") && count == 4) {
        const QString path = normalizedKeyPath(args[1]);
        if (path.isEmpty())
            return failure(QStringLiteral("not a key path: ") + args[1]);
        RegistryValue value;
        if (args[3].compare(QLatin1String("REG_SZ"), Qt::CaseInsensitive) == 0) {
            value = RegistryValue::fromString(args[4]);
        } else if (args[3].compare(QLatin1String("REG_DWORD"), Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const qint64 number = args[4].startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                                      ? args[4].mid(2).toLongLong(&ok, 16)
                                      : args[4].toLongLong(&ok, 10);
            if (!ok || number < -2147483648LL || number > 4294967295LL)
                return failure(QStringLiteral("REG_DWORD takes a 32-bit number: ") + args[4]);
            value = RegistryValue::fromDWord(qint32(quint32(number)));
        } else {
            return usage();
        }
        return registry.setValue(path, args[2], value) ? kExitOk : storeFailed();
    }
    if (command == QLatin1String("delete") && count == 2) {
        const QString path = normalizedKeyPath(args[1]);
        if (path.isEmpty())
            return failure(QStringLiteral("not a key path: ") + args[1]);
        if (!registry.deleteValue(path, args[2]))
            return registry.lastError().isEmpty()
                       ? failure(QStringLiteral("no value %1 in %2").arg(args[2], path))
                       : storeFailed();
        return kExitOk;
    }
    if (command == QLatin1String("export") && count <= 1) {
        const QString path = count == 1 ? normalizedKeyPath(args[1]) : QString();
        if (count == 1 && path.isEmpty())
            return failure(QStringLiteral("not a key path: ") + args[1]);
        out() << RegistryTextFormat::header() << '\n';
        RegistryTextFormat::write(registry, path, out());
        return registry.lastError().isEmpty() ? kExitOk : storeFailed();
    }
    if (command == QLatin1String("import") && count == 1) {
        QFile file;
        const bool opened = args[1] == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                          : (file.setFileName(args[1]), file.open(QIODevice::ReadOnly));
        if (!opened)
            return failure(QStringLiteral("cannot read %1: %2").arg(args[1], file.errorString()));
        QTextStream in(&file);
        QString error;
        if (!RegistryTextFormat::read(in, registry, &error))
            return failure(args[1] + QStringLiteral(", ") + error);
        return kExitOk;
    }
    return usage();
}

} // namespace

int main(int argc, char *argv[])
{
    if (const auto status = standardOptions().answer(argc, argv))
        return *status;
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("-h"))
        return usage();

    // The store may find its damage at opening or at the first statement.
    auto store = std::make_unique<SqliteRegistry>(SqliteRegistry::defaultPath(), [](const StoreProblem &problem) {
        if (problem.kind == StoreProblem::MovedAside)
            err() << "tilvano-reg: the settings store was damaged; it was moved to " << problem.detail
                  << " and a new, empty store was started\n";
        err().flush();
    });
    SqliteRegistry *sqlite = store.get();
    RunKeyMirror registry(std::move(store));
    if (!sqlite->isOpen())
        return failure(QStringLiteral("cannot open the settings store: ") + sqlite->lastError());
    ServiceRegistry::replace<Registry>(&registry);
    const int status = run(args, registry);
    out().flush();
    ServiceRegistry::replace<Registry>(nullptr);
    return status;
}
