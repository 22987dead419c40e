#include "ScriptError.h"

#include <QHash>

namespace tilvano::script {

QString errorText(qint32 number)
{
    static const QHash<qint32, QString> texts = {
        {5, QStringLiteral("Invalid procedure call or argument")},
        {6, QStringLiteral("Overflow")},
        {7, QStringLiteral("Out of memory")},
        {9, QStringLiteral("Subscript out of range")},
        {10, QStringLiteral("This array is fixed or temporarily locked")},
        {11, QStringLiteral("Division by zero")},
        {13, QStringLiteral("Type mismatch")},
        {28, QStringLiteral("Out of stack space")},
        {35, QStringLiteral("Sub or Function not defined")},
        {51, QStringLiteral("Internal error")},
        {70, QStringLiteral("Permission denied")},
        {91, QStringLiteral("Object variable not set")},
        {92, QStringLiteral("For loop not initialized")},
        {94, QStringLiteral("Invalid use of Null")},
        {424, QStringLiteral("Object required")},
        {429, QStringLiteral("ActiveX component can't create object")},
        {438, QStringLiteral("Object doesn't support this property or method")},
        {450, QStringLiteral("Wrong number of arguments or invalid property assignment")},
        {451, QStringLiteral("Object not a collection")},
        {500, QStringLiteral("Variable is undefined")},
        {501, QStringLiteral("Illegal assignment")},
        {1001, QStringLiteral("Out of memory")},
        {1002, QStringLiteral("Syntax error")},
        {1003, QStringLiteral("Expected ':'")},
        {1005, QStringLiteral("Expected '('")},
        {1006, QStringLiteral("Expected ')'")},
        {1010, QStringLiteral("Expected identifier")},
        {1011, QStringLiteral("Expected '='")},
        {1012, QStringLiteral("Expected 'If'")},
        {1013, QStringLiteral("Expected 'To'")},
        {1014, QStringLiteral("Expected 'End'")},
        {1015, QStringLiteral("Expected 'Function'")},
        {1016, QStringLiteral("Expected 'Sub'")},
        {1017, QStringLiteral("Expected 'Then'")},
        {1018, QStringLiteral("Expected 'Wend'")},
        {1019, QStringLiteral("Expected 'Loop'")},
        {1020, QStringLiteral("Expected 'Next'")},
        {1021, QStringLiteral("Expected 'Case'")},
        {1022, QStringLiteral("Expected 'Select'")},
        {1023, QStringLiteral("Expected expression")},
        {1024, QStringLiteral("Expected statement")},
        {1025, QStringLiteral("Expected end of statement")},
        {1026, QStringLiteral("Expected integer constant")},
        {1027, QStringLiteral("Expected 'While' or 'Until'")},
        {1032, QStringLiteral("Invalid character")},
        {1033, QStringLiteral("Unterminated string constant")},
        {1039, QStringLiteral("Invalid 'exit' statement")},
        {1041, QStringLiteral("Name redefined")},
        {1044, QStringLiteral("Cannot use parentheses when calling a Sub")},
        {1045, QStringLiteral("Expected literal constant")},
        {1046, QStringLiteral("Expected 'In'")},
        {errc::TimedOut, QStringLiteral("Script timed out")},
    };
    return texts.value(number, QStringLiteral("Unknown runtime error"));
}

void raiseError(qint32 number)
{
    throw ScriptException{number, errorText(number), runtimeErrorSource()};
}

void raiseError(qint32 number, const QString &description)
{
    throw ScriptException{number, description, runtimeErrorSource()};
}

} // namespace tilvano::script
