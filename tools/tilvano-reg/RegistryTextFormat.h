#pragma once

#include "system/Registry.h"

#include <QString>
#include <QTextStream>

namespace tilvano {

// A readable text form of registry keys, for export and import:
//
//   Tilvano Registry Export 1
//
//   [HKEY_CURRENT_USER\Software\Lorvat\Misc]
//   "UserName"="Meister"
//   "Count"=dword:00000005
//
// In quoted texts \\ \" \n \r \t and \0 stand for themselves; lines that
// start with ; or # are comments.
class RegistryTextFormat {
public:
    static QString header();
    // Writes the key and all keys below it (all roots when keyPath is empty).
    static void write(Registry &registry, const QString &keyPath, QTextStream &out);
    // Reads the form back into the registry. False with a message naming the
    // line on the first error; nothing after that line is imported.
    static bool read(QTextStream &in, Registry &registry, QString *error);

    // Passwords (values whose name ends in "Password") are never shown in
    // clear text: exports leave them out with a comment line, so importing
    // the text keeps the stored password instead of overwriting it.
    static bool isPassword(const QString &valueName);
    static QString maskedPassword() { return QStringLiteral("********"); }

    static QString quote(const QString &text);
    static bool unquote(const QString &quoted, QString *text, qsizetype *consumed);
};

} // namespace tilvano
