#include "AgentCtl/SpeechText.h"

#include <QLocale>

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

QString GeneralDateTimeText(const QDateTime &moment)
{
    const QLocale locale = QLocale::system();
    // The long time format with its zone dropped is the time with seconds.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    return locale.toString(moment.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + locale.toString(moment.time(), timeFormat.trimmed());
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
