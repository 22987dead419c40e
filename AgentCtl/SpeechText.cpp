#include "AgentCtl/SpeechText.h"

#include "common/ErrorLog.h"

namespace tilvano {

QString BuildSpeechTags(qint32 speed, qint32 pitch, qint32 volume, const QString &voiceChar,
                        const QString &voiceContext)
{
    QString tags;
    if (speed >= 0)
        tags += QStringLiteral("\\Spd=%1\\").arg(speed);
    if (pitch >= 0)
        tags += QStringLiteral("\\Pit=%1\\").arg(pitch);
    if (volume >= 0)
        tags += QStringLiteral("\\Vol=%1\\").arg(volume);
    if (!voiceChar.isEmpty())
        tags += QStringLiteral("\\Chr=\"") + voiceChar + QStringLiteral("\"\\");
    if (!voiceContext.isEmpty())
        tags += QStringLiteral("\\Ctx=\"") + voiceContext + QStringLiteral("\"\\");
    return tags;
}

void ReplaceTimePlaceholders(QString &text, const QDateTime &now)
{
    if (text.contains(QLatin1String("<NOW>")))
        text.replace(QStringLiteral("<NOW>"), GeneralDateTimeText(now));
    if (text.contains(QLatin1String("<DATE>")))
        text.replace(QStringLiteral("<DATE>"), now.date().toString(QStringLiteral("dd.MM.yyyy")));
    if (text.contains(QLatin1String("<TIME>")))
        text.replace(QStringLiteral("<TIME>"), now.time().toString(QStringLiteral("HH:mm:ss")));
}

} // namespace tilvano
