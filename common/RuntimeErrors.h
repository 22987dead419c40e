#pragma once

#include "common/ErrorInfo.h"

#include <QString>

namespace tilvano::runtime {

// The failures our own code raises, with the numbers scripts and the log have
// always shown for them, and the texts of a German system: they end up in the
// German error boxes.
inline ErrorInfo error(qint32 number, const char *description)
{
    return ErrorInfo{number, QStringLiteral("Tilvano"), QString::fromUtf8(description), 0};
}

inline ErrorInfo invalidArgument() { return error(5, "Ungültiger Prozeduraufruf oder ungültiges Argument"); }
inline ErrorInfo overflow() { return error(6, "Überlauf"); }
inline ErrorInfo subscriptOutOfRange() { return error(9, "Index außerhalb des gültigen Bereichs"); }
inline ErrorInfo typeMismatch() { return error(13, "Typen unverträglich"); }
inline ErrorInfo outOfStackSpace() { return error(28, "Nicht genügend Stapelspeicher"); }
// A call on a character or control that is not there.
inline ErrorInfo objectNotSet() { return error(91, "Objektvariable oder With-Blockvariable nicht festgelegt"); }
// A file (the settings store among them) that cannot be read or written.
inline ErrorInfo pathFileAccess() { return error(75, "Fehler beim Zugriff auf Pfad/Datei"); }
inline ErrorInfo keyInUse() { return error(457, "Dieser Schlüssel ist bereits einem Element dieser Auflistung zugeordnet"); }

} // namespace tilvano::runtime
