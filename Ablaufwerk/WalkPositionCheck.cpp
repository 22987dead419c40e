#include "Ablaufwerk/WalkPositionCheck.h"

#include "common/SettingsStore.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace tilvano::ablaufwerk {

namespace {

const QString lineBreak = QStringLiteral("\r\n");

QString missingText(const QString &side)
{
    return QStringLiteral("Bitte geben Sie die Position von %1 ein oder ").arg(side) + lineBreak
        + QStringLiteral("bewegen den Freund an die gewünschte Position.");
}

std::optional<WalkPositionProblem> checkOne(WalkField field, const QString &text, int lowest, int extent)
{
    const bool isLeft = field == WalkField::Left;
    if (text.isEmpty())
        return WalkPositionProblem{field, missingText(isLeft ? QStringLiteral("links") : QStringLiteral("oben"))};
    if (!isWholeNumberText(text))
        return WalkPositionProblem{field, isLeft ? QStringLiteral("Die Position von links muss eine Zahl sein.")
                                                 : QStringLiteral("Die Position von oben muss eine Zahl sein.")};
    const std::optional<qint16> position = settingToInt16(text);
    if (!position || *position < lowest || *position > lowest + extent)
        return WalkPositionProblem{field, isLeft
                                              ? QStringLiteral("Die linke Position liegt außerhald des Bildschirms.")
                                              : QStringLiteral("Die Position von oben liegt außerhald des Bildschirms.")};
    return std::nullopt;
}

} // namespace

bool isWholeNumberText(const QString &text)
{
    const QString trimmed = text.trimmed();
    const qsizetype signLength = trimmed.startsWith(u'-') || trimmed.startsWith(u'+') ? 1 : 0;
    if (trimmed.size() == signLength)
        return false;
    // ASCII digits only: other scripts' digits are no number to the script engine.
    return std::all_of(trimmed.begin() + signLength, trimmed.end(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QRect desktopArea()
{
    QRect area;
    for (const QScreen *screen : QGuiApplication::screens())
        area = area.united(screen->geometry());
    return area;
}

std::optional<WalkPositionProblem> checkWalkPosition(const QString &left, const QString &top, const QRect &desktop)
{
    if (auto problem = checkOne(WalkField::Left, left, desktop.left(), desktop.width()))
        return problem;
    return checkOne(WalkField::Top, top, desktop.top(), desktop.height());
}

} // namespace tilvano::ablaufwerk
