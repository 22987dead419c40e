#include "Ablaufwerk/EditorSettings.h"

#include "common/SettingsStore.h"

namespace tilvano::ablaufwerk {

namespace {

QString storedValuesSection() { return QStringLiteral("StoredValues"); }

QString stored(const QString &key) { return GetSetting(settingsApplication(), storedValuesSection(), key); }

void store(const QString &key, const QString &value)
{
    SaveSetting(settingsApplication(), storedValuesSection(), key, value);
}

int storedNumber(const QString &key, int fallback) { return settingToInt32(stored(key)).value_or(fallback); }

} // namespace

QRect EditorSettings::placement(const QRect &design)
{
    const int left = storedNumber(QStringLiteral("Editor_Left"), design.left());
    const int top = storedNumber(QStringLiteral("Editor_Top"), design.top());
    const int width = storedNumber(QStringLiteral("Editor_Width"), design.width());
    const int height = storedNumber(QStringLiteral("Editor_Height"), design.height());
    return {left, top, width, height};
}

bool EditorSettings::helpingCharacter(bool current)
{
    const QString text = GetSetting(settingsApplication(), storedValuesSection(), QStringLiteral("AblaufwerkHelp"),
                                    boolSetting(true));
    return settingToBool(text).value_or(current);
}

void EditorSettings::saveAtClose(const QRect &windowTwips, bool helpingCharacter, const QString &programPath)
{
    store(QStringLiteral("MacroEditor"), programPath);
    store(QStringLiteral("Editor_Left"), intSetting(windowTwips.left()));
    store(QStringLiteral("Editor_Top"), intSetting(windowTwips.top()));
    store(QStringLiteral("Editor_Width"), intSetting(windowTwips.width()));
    store(QStringLiteral("Editor_Height"), intSetting(windowTwips.height()));
    store(QStringLiteral("AblaufwerkHelp"), boolSetting(helpingCharacter));
}

} // namespace tilvano::ablaufwerk
