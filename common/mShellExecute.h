#pragma once

#include "common/ErrorInfo.h"

#include <QString>

namespace tilvano {

// Show modes a caller may pass.
inline constexpr qint32 SW_HIDE = 0;
inline constexpr qint32 SW_SHOWNORMAL = 1;

// Asks the shell to perform `operation` ("open") on `file` with `parameters`
// (handed to a program as one argument) in `directory`. True when the shell
// accepted it. On failure the error is recorded in `errorState`, with the
// source "<deliverable>.GShell", and false comes back.
bool ShellOpen(const QString &file, qint32 showMode, const QString &parameters, const QString &directory,
               const QString &operation, ErrorInfo &errorState, const QString &deliverableName);

// The error a failing shell result maps to (number and description).
ErrorInfo ShellOpenError(int shellResult, const QString &deliverableName);

} // namespace tilvano
