#pragma once

#include <QDateTime>
#include <QString>

namespace tilvano {

// The tag prefix that sets the voice for one sentence. A negative number or an
// empty text leaves its tag out, so the service's defaults apply.
QString BuildSpeechTags(qint32 speed, qint32 pitch, qint32 volume, const QString &voiceChar,
                        const QString &voiceContext);

// Replaces, in this order and case-sensitively, "<NOW>" with the date and time
// in the general form (GeneralDateTimeText), "<DATE>" with dd.MM.yyyy and "<TIME>"
// with HH:mm:ss, all taken from `now`.
void ReplaceTimePlaceholders(QString &text, const QDateTime &now);

} // namespace tilvano
