#pragma once

#include <QString>

namespace tilvano::script {

// What a failed run leaves behind: the language's error number and texts, and
// where in the executed text it happened (1-based line and column).
struct ScriptError {
    qint32 number = 0;
    QString source;
    QString description;
    int line = 0;
    int column = 0;

    bool isError() const { return number != 0; }
};

inline const QString &compileErrorSource()
{
    static const QString text = QStringLiteral("Microsoft VBScript compilation error");
    return text;
}

inline const QString &runtimeErrorSource()
{
    static const QString text = QStringLiteral("Microsoft VBScript runtime error");
    return text;
}

// Error numbers the engine raises, named so that code reads as what went wrong.
namespace errc {
constexpr qint32 InvalidCall = 5;
constexpr qint32 Overflow = 6;
constexpr qint32 OutOfMemory = 7;
constexpr qint32 SubscriptOutOfRange = 9;
constexpr qint32 ArrayFixed = 10;
constexpr qint32 DivisionByZero = 11;
constexpr qint32 TypeMismatch = 13;
constexpr qint32 OutOfStack = 28;
constexpr qint32 SubNotDefined = 35;
constexpr qint32 PermissionDenied = 70;
constexpr qint32 ObjectNotSet = 91;
constexpr qint32 InvalidUseOfNull = 94;
constexpr qint32 ObjectRequired = 424;
constexpr qint32 CannotCreateObject = 429;
constexpr qint32 MemberNotSupported = 438;
constexpr qint32 WrongArgumentCount = 450;
constexpr qint32 NotACollection = 451;
constexpr qint32 VariableUndefined = 500;
constexpr qint32 IllegalAssignment = 501;
constexpr qint32 SyntaxError = 1002;
constexpr qint32 ExpectedLeftParen = 1005;
constexpr qint32 ExpectedRightParen = 1006;
constexpr qint32 ExpectedIdentifier = 1010;
constexpr qint32 ExpectedEquals = 1011;
constexpr qint32 ExpectedIf = 1012;
constexpr qint32 ExpectedTo = 1013;
constexpr qint32 ExpectedEnd = 1014;
constexpr qint32 ExpectedFunction = 1015;
constexpr qint32 ExpectedSub = 1016;
constexpr qint32 ExpectedThen = 1017;
constexpr qint32 ExpectedWend = 1018;
constexpr qint32 ExpectedLoop = 1019;
constexpr qint32 ExpectedNext = 1020;
constexpr qint32 ExpectedCase = 1021;
constexpr qint32 ExpectedSelect = 1022;
constexpr qint32 ExpectedExpression = 1023;
constexpr qint32 ExpectedStatement = 1024;
constexpr qint32 ExpectedEndOfStatement = 1025;
constexpr qint32 ExpectedIntegerConstant = 1026;
constexpr qint32 ExpectedWhileOrUntil = 1027;
constexpr qint32 InvalidCharacter = 1032;
constexpr qint32 UnterminatedString = 1033;
constexpr qint32 InvalidExit = 1039;
constexpr qint32 NameRedefined = 1041;
constexpr qint32 ParenthesesOnSubCall = 1044;
constexpr qint32 ExpectedLiteral = 1045;
constexpr qint32 ExpectedIn = 1046;
// A run stopped from outside the language: the host's time limit.
constexpr qint32 TimedOut = qint32(0x80004004u);
} // namespace errc

// The language's own English text for an error number; "Unknown runtime error"
// for numbers it does not know.
QString errorText(qint32 number);

// Thrown inside the engine for every error a script can see (and trap with
// On Error Resume Next). line/column stay 0 until the statement that was
// running fills them in.
struct ScriptException {
    qint32 number;
    QString description;
    QString source;
    int line = 0;
    int column = 0;
};

[[noreturn]] void raiseError(qint32 number);
[[noreturn]] void raiseError(qint32 number, const QString &description);

} // namespace tilvano::script
