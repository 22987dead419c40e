#pragma once

#include <QString>

namespace tilvano {

// A value from an outside program (a mail's sender, a chat message, a file
// name) made safe to stand inside a quoted string of a macro script: double
// quotes are doubled, and line breaks (CR, LF and the stored line-break
// marker "<!!BR!!>") become blanks, since a break would end the string and
// the script would no longer run.
QString EscapeQuotes(const QString &value);

// Replaces every occurrence of placeholder in script, without regard to
// letter case.
QString ReplacePlaceholder(const QString &script, const QString &placeholder, const QString &value);

} // namespace tilvano
