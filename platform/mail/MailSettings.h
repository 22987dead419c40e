#pragma once

#include <QString>

namespace tilvano::mail {

// Where the mail application finds its store, read from section "Mail" of the
// Lorvat settings. Paths may start with "~"; relative paths are taken from the
// home folder, as a user typing them would expect.
struct MailSettings {
    QString maildir;       // the inbox; Maildir++ subfolders live inside it
    QString sentFolder;    // relative to maildir unless absolute
    QString calendarDir;   // a vdir: one folder per calendar, one .ics per event
    QString syncCommand;   // run by send-and-receive; empty: only re-read

    static MailSettings load();
    void save() const;

    QString maildirPath() const;
    QString sentFolderPath() const;
    QString calendarPath() const;

    static QString expandHome(const QString &path);
};

} // namespace tilvano::mail
