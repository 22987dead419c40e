#include "plugins/Sprache/VoiceStyle.h"

namespace tilvano::voice {

QStringList VoiceStyle::characterNames()
{
    return {QStringLiteral("Monoton"), QStringLiteral("Flüstern")};
}

QStringList VoiceStyle::contextNames()
{
    return {QStringLiteral("Adresse"), QStringLiteral("E-Mail")};
}

QString VoiceStyle::characterAt(int position)
{
    return position == 0 ? QStringLiteral("Monotone") : QStringLiteral("Whisper");
}

QString VoiceStyle::contextAt(int position)
{
    return position == 0 ? QStringLiteral("Address") : QStringLiteral("Email");
}

int VoiceStyle::characterPosition(const QString &value)
{
    return value.compare(QStringLiteral("whisper"), Qt::CaseInsensitive) == 0 ? 1 : -1;
}

int VoiceStyle::contextPosition(const QString &value)
{
    return value.compare(QStringLiteral("email"), Qt::CaseInsensitive) == 0 ? 1 : -1;
}

} // namespace tilvano::voice
