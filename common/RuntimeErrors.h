#pragma once

#include "common/ErrorInfo.h"

#include <QString>

namespace tilvano::runtime {

// The failures our own code raises, with the numbers scripts and the log have
// always shown for them and the texts the classic run time gives them. The
// German deliverables show the texts of a German system, in their German
// error boxes; the character viewer, whose interface is English, the English ones.
enum Number : qint32 {
    InvalidArgument = 5,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    TypeMismatch = 13,
    OutOfStackSpace = 28,
    PathFileAccess = 75,      // a file (the settings store among them) that cannot be read or written
    ObjectNotSet = 91,        // a call on a character, control or application that is not there
    CannotCreateObject = 429, // a service or component that cannot be started
    KeyInUse = 457,
};

enum class Language { German, English };

inline QString text(Number number, Language language = Language::German)
{
    const bool german = language == Language::German;
    switch (number) {
    case InvalidArgument:
        return german ? QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument")
                      : QStringLiteral("Invalid procedure call or argument");
    case Overflow:
        return german ? QStringLiteral("Überlauf") : QStringLiteral("Overflow");
    case SubscriptOutOfRange:
        return german ? QStringLiteral("Index außerhalb des gültigen Bereichs") : QStringLiteral("Subscript out of range");
    case TypeMismatch:
        return german ? QStringLiteral("Typen unverträglich") : QStringLiteral("Type mismatch");
    case OutOfStackSpace:
        return german ? QStringLiteral("Nicht genügend Stapelspeicher") : QStringLiteral("Out of stack space");
    case PathFileAccess:
        return german ? QStringLiteral("Fehler beim Zugriff auf Pfad/Datei") : QStringLiteral("Path/File access error");
    case ObjectNotSet:
        return german ? QStringLiteral("Objektvariable oder With-Blockvariable nicht festgelegt")
                      : QStringLiteral("Object variable or With block variable not set");
    case CannotCreateObject:
        return german ? QStringLiteral("Objekterstellung durch ActiveX-Komponente nicht möglich")
                      : QStringLiteral("ActiveX component can't create object");
    case KeyInUse:
        return german ? QStringLiteral("Dieser Schlüssel ist bereits einem Element dieser Auflistung zugeordnet")
                      : QStringLiteral("This key is already associated with an element of this collection");
    }
    return QString();
}

// The source our character core reports its failures under.
inline QString defaultSource() { return QStringLiteral("Tilvano"); }

inline ErrorInfo error(Number number, const QString &source = defaultSource(), Language language = Language::German)
{
    return ErrorInfo{number, source, text(number, language), 0};
}

inline ErrorInfo invalidArgument() { return error(InvalidArgument); }
inline ErrorInfo overflow() { return error(Overflow); }
inline ErrorInfo subscriptOutOfRange() { return error(SubscriptOutOfRange); }
inline ErrorInfo typeMismatch() { return error(TypeMismatch); }
inline ErrorInfo outOfStackSpace() { return error(OutOfStackSpace); }
inline ErrorInfo objectNotSet(const QString &source = defaultSource()) { return error(ObjectNotSet, source); }
inline ErrorInfo pathFileAccess() { return error(PathFileAccess); }
inline ErrorInfo keyInUse() { return error(KeyInUse); }

} // namespace tilvano::runtime
