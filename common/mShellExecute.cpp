#include "common/mShellExecute.h"

#include "system/ShellExecutor.h"
#include "system/SystemServices.h"

namespace tilvano {

ErrorInfo ShellOpenError(int shellResult, const QString &deliverableName)
{
    ErrorInfo error;
    error.source = deliverableName + QStringLiteral(".GShell");
    error.number = qint32(quint32(shellResult) + 0x80040418u);
    switch (shellResult) {
    case 0: error.number = 7; error.description = QStringLiteral("Out of memory"); break;
    case 2: error.number = 53; error.description = QStringLiteral("File not found"); break;
    case 3: error.number = 76; error.description = QStringLiteral("Path not found"); break;
    case 5: error.number = 75; error.description = QStringLiteral("Path/file access error"); break;
    case 8: error.number = 7; error.description = QStringLiteral("Out of memory"); break;
    case 11: error.description = QStringLiteral("The executable file is invalid or corrupt"); break;
    case 26: error.number = 75; error.description = QStringLiteral("A sharing violation occurred."); break;
    case 27:
        error.description = QStringLiteral("This file type does not have a valid file association.");
        break;
    case 28:
        error.number = 286;
        error.description =
            QStringLiteral("The file could not be opened due to time out.  Please try again in a moment.");
        break;
    case 29:
        error.number = 285;
        error.description = QStringLiteral(
            "The file could not be opened because the DDE transaction failed.  Please try again in a moment.");
        break;
    case 30:
        error.number = 285;
        error.description = QStringLiteral("The file could not be opened because the target application is "
                                           "busy.  Please try again in a moment.");
        break;
    case 31: error.description = QStringLiteral("No application is associated with this file type."); break;
    case 32:
        error.number = 48;
        error.description = QStringLiteral("The specified dynamic-link library was not found.");
        break;
    default:
        error.description =
            QStringLiteral("An error occurred occurred whilst trying to open or print the selected file.");
        break;
    }
    return error;
}

bool ShellOpen(const QString &file, qint32 showMode, const QString &parameters, const QString &directory,
               const QString &operation, ErrorInfo &errorState, const QString &deliverableName)
{
    if (file.toUpper().contains(QLatin1String(".EXE")))
        showMode = SW_HIDE;
    if (parameters.isEmpty() && directory.isEmpty())
        showMode = SW_SHOWNORMAL;
    const int result = SystemServices::shell().execute(operation, file, parameters, directory, showMode);
    if (result > 32 || result < 0)
        return true;
    errorState = ShellOpenError(result, deliverableName);
    return false;
}

} // namespace tilvano
