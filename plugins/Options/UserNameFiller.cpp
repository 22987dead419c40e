#include "plugins/Options/UserNameFiller.h"

#include "AgentCtl/Agent.h"
#include "common/SettingsStore.h"

namespace tilvano::options {

UserNameFiller::UserNameFiller(QObject *parent)
    : QObject(parent)
{
}

void UserNameFiller::attach(Agent *kibo)
{
    disconnect(m_connection);
    if (!kibo)
        return;
    // Direct: the changed text must be back before the character speaks it.
    m_connection = connect(kibo, &Agent::EvSpeak, this, [](QString &txt) { fill(txt, storedName()); },
                           Qt::DirectConnection);
}

QString UserNameFiller::storedName()
{
    return GetSetting(settingsApplication(), QStringLiteral("Misc"), QStringLiteral("UserName"),
                      QStringLiteral("Meister"));
}

void UserNameFiller::fill(QString &text, const QString &name)
{
    // Unlike the other placeholders this one keeps its letter case: a macro
    // may mean "<username>" literally.
    text.replace(QStringLiteral("<USERNAME>"), name, Qt::CaseSensitive);
}

} // namespace tilvano::options
