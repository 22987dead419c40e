#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tilvano::kibo {

// One request from the shell, read from kibo's arguments.
struct KiboCommand {
    enum class Kind { Help, Speak, Think, Play, Move, Show, Hide, Stop, Animations, Macros, Run, RunText, Watch };
    Kind kind = Kind::Help;
    QString text; // what to speak or think, the animation, the macro's name or script
    qint16 x = 0;
    qint16 y = 0;
};

// Reads the arguments after the program name. Texts given as several words
// are joined with blanks, so `kibo speak Guten Morgen` needs no quotes.
// Nothing (bad usage) when the command is unknown, an argument is missing or
// a coordinate is not a whole number the character's screen can hold.
std::optional<KiboCommand> parseKiboCommand(const QStringList &arguments);

// The usage text with the commands, and what the exit statuses mean; German
// like the rest of the program.
QString kiboUsage();
QString kiboExitStatuses();

} // namespace tilvano::kibo
