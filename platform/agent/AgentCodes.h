#pragma once

#include "common/ErrorInfo.h"

#include <QtGlobal>

namespace tilvano::agent {

// Result codes of the service beyond those of the interface and the file reader.
inline constexpr qint32 AgentErrorInvalidArgument = qint32(0x80070057u);
inline constexpr qint32 AgentErrorUnknownAnimation = qint32(0x80041101u);
inline constexpr qint32 AgentErrorCommandExists = qint32(0x80041102u);
inline constexpr qint32 AgentErrorUnknownCommand = qint32(0x80041103u);
inline constexpr qint32 AgentErrorNoVoice = qint32(0x80041104u);
// The character server that a program shares the character through has ended.
inline constexpr qint32 AgentErrorServerGone = qint32(0x80010108u);

// A failure of the control (loading, identifiers, the server) as its callers receive it.
inline ErrorInfo controlFailure(qint32 number, const QString &description)
{
    return ErrorInfo{number, QStringLiteral("AgentControl"), description, 0};
}

// The failure of every request once the character server has ended.
inline ErrorInfo serverGoneFailure()
{
    return controlFailure(AgentErrorServerGone, QStringLiteral("Der Figurendienst läuft nicht mehr."));
}

// Why a character became visible or hidden, as the Show and Hide events report it.
namespace VisibilityCause {
inline constexpr qint16 UserHid = 1;
inline constexpr qint16 UserShowed = 2;
inline constexpr qint16 ProgramHid = 3;
inline constexpr qint16 ProgramShowed = 4;
inline constexpr qint16 UserHidViaMenu = 7;
} // namespace VisibilityCause

// Why a character moved, as the Move event reports it.
namespace MoveCause {
inline constexpr qint16 UserMoved = 1;
inline constexpr qint16 ProgramMoved = 2;
} // namespace MoveCause

// Mouse buttons and modifier keys as the Click events report them.
namespace MouseButtonCode {
inline constexpr qint16 Left = 1;
inline constexpr qint16 Right = 2;
inline constexpr qint16 Middle = 4;
} // namespace MouseButtonCode
namespace ShiftCode {
inline constexpr qint16 Shift = 1;
inline constexpr qint16 Control = 2;
inline constexpr qint16 Alt = 4;
} // namespace ShiftCode

} // namespace tilvano::agent
