#include "plugins/Sprache/TestTagPrefix.h"

namespace tilvano::voice {

namespace {

QString numberTag(const char *name, int value)
{
    return u'\\' + QLatin1String(name) + u'=' + QString::number(value) + u'\\';
}

QString quotedTag(const char *name, const QString &value)
{
    return u'\\' + QLatin1String(name) + QStringLiteral("=\"") + value + QStringLiteral("\"\\");
}

} // namespace

QString TestTagPrefix::text() const
{
    QString prefix;
    if (speed)
        prefix += numberTag("Spd", *speed);
    if (pitch)
        prefix += numberTag("Pit", *pitch);
    if (volume)
        prefix += numberTag("Vol", *volume);
    if (character)
        prefix += quotedTag("Chr", *character);
    if (context)
        prefix += quotedTag("Ctx", *context);
    return prefix;
}

} // namespace tilvano::voice
