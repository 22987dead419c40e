#include "tools/kibo/KiboCommandLine.h"

#include <limits>

namespace tilvano::kibo {

namespace {

std::optional<qint16> coordinate(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(value);
}

struct CommandWord {
    const char *word;
    KiboCommand::Kind kind;
    enum { NoText, OneWord, Text } takes;
};

constexpr CommandWord kCommands[] = {
    {"speak", KiboCommand::Kind::Speak, CommandWord::Text},
    {"think", KiboCommand::Kind::Think, CommandWord::Text},
    {"play", KiboCommand::Kind::Play, CommandWord::OneWord},
    {"show", KiboCommand::Kind::Show, CommandWord::NoText},
    {"hide", KiboCommand::Kind::Hide, CommandWord::NoText},
    {"stop", KiboCommand::Kind::Stop, CommandWord::NoText},
    {"animations", KiboCommand::Kind::Animations, CommandWord::NoText},
    {"macros", KiboCommand::Kind::Macros, CommandWord::NoText},
    {"run", KiboCommand::Kind::Run, CommandWord::Text},
    {"run-text", KiboCommand::Kind::RunText, CommandWord::Text},
    {"watch", KiboCommand::Kind::Watch, CommandWord::NoText},
};

} // namespace

std::optional<KiboCommand> parseKiboCommand(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return std::nullopt;
    const QString &word = arguments.first();
    const QStringList rest = arguments.mid(1);
    KiboCommand command;
    if (word == QLatin1String("help") || word == QLatin1String("--help") || word == QLatin1String("-h")) {
        if (!rest.isEmpty())
            return std::nullopt;
        command.kind = KiboCommand::Kind::Help;
        return command;
    }
    if (word == QLatin1String("move")) {
        if (rest.size() != 2)
            return std::nullopt;
        const auto x = coordinate(rest[0]);
        const auto y = coordinate(rest[1]);
        if (!x || !y)
            return std::nullopt;
        command.kind = KiboCommand::Kind::Move;
        command.x = *x;
        command.y = *y;
        return command;
    }
    for (const CommandWord &known : kCommands) {
        if (word != QLatin1String(known.word))
            continue;
        command.kind = known.kind;
        switch (known.takes) {
        case CommandWord::NoText:
            if (!rest.isEmpty())
                return std::nullopt;
            break;
        case CommandWord::OneWord:
            if (rest.size() != 1 || rest.first().isEmpty())
                return std::nullopt;
            command.text = rest.first();
            break;
        case CommandWord::Text:
            command.text = rest.join(QLatin1Char(' '));
            if (command.text.trimmed().isEmpty())
                return std::nullopt;
            break;
        }
        return command;
    }
    return std::nullopt;
}

QString kiboUsage()
{
    return QStringLiteral(
        "Aufruf: kibo BEFEHL [ARGUMENTE]\n"
        "Steuert die Figur eines laufenden Tilvano.\n"
        "\n"
        "  speak TEXT         spricht den Text\n"
        "  think TEXT         denkt den Text in einer Gedankenblase\n"
        "  play ANIMATION     spielt eine Animation (z.B. Wave)\n"
        "  move X Y           geht zur Bildschirmposition X, Y\n"
        "  show               zeigt die Figur\n"
        "  hide               versteckt die Figur\n"
        "  stop               bricht alles ab, was die Figur gerade tut\n"
        "  animations         listet die Animationen der Figur\n"
        "  macros             listet die gespeicherten Makros\n"
        "  run MAKRONAME      führt ein gespeichertes Makro aus\n"
        "  run-text SKRIPT    führt ein Makroskript aus\n"
        "  watch              gibt die Ereignisse der Figur aus, eines je Zeile\n"
        "  help               zeigt diese Hilfe\n");
}

QString kiboExitStatuses()
{
    return QStringLiteral(
        "Rückgabewerte: 0 Erfolg, 1 Tilvano nicht erreichbar oder Befehl fehlgeschlagen,\n"
        "2 falscher Aufruf.\n");
}

} // namespace tilvano::kibo
