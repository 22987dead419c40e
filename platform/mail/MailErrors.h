#pragma once

#include "common/ErrorInfo.h"

#include <QString>

namespace tilvano::mail {

// Error numbers the mail application reports, chosen from the classic
// automation numbers so a page can show them next to its other errors.
enum class MailError : qint32 {
    IndexOutOfRange = 9,
    StoreUnreadable = 57,
    CannotCreate = 429,
    SyncFailed = 440,
};

ErrorInfo mailError(MailError number, const QString &description);

// The German descriptions, one per occasion.
ErrorInfo maildirMissing(const QString &path);
ErrorInfo notAMaildir(const QString &path);
ErrorInfo folderUnreadable(const QString &path);
ErrorInfo messageUnreadable(const QString &path);
ErrorInfo noSuchItem(int index, int count);

} // namespace tilvano::mail
