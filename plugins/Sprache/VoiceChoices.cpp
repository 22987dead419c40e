#include "plugins/Sprache/VoiceChoices.h"

#include "platform/speech/VoiceCatalogue.h"

#include <QUuid>

namespace tilvano::voice {

namespace {

QString modeIdText(const QUuid &id)
{
    return id.toString(QUuid::WithBraces).toUpper();
}

} // namespace

QStringList VoiceChoices::names()
{
    return {QStringLiteral("(keine Auswahl)"), QStringLiteral("Stefan"), QStringLiteral("Anna")};
}

QString VoiceChoices::modeIdAt(int position)
{
    switch (position) {
    case Stefan:
        return modeIdText(speech::VoiceCatalogue::stefanModeId());
    case Anna:
        return modeIdText(speech::VoiceCatalogue::annaModeId());
    default:
        return QString();
    }
}

int VoiceChoices::positionOf(const QString &modeId)
{
    const QString trimmed = modeId.trimmed();
    if (trimmed.isEmpty())
        return -1;
    const QUuid id = QUuid::fromString(trimmed.startsWith(u'{') ? trimmed : u'{' + trimmed + u'}');
    if (id.isNull())
        return -1;
    if (id == speech::VoiceCatalogue::stefanModeId())
        return Stefan;
    if (id == speech::VoiceCatalogue::annaModeId())
        return Anna;
    return -1;
}

} // namespace tilvano::voice
