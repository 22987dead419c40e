#pragma once

#include <QStringList>

class QWidget;

namespace tilvano::test {

// The labels, check boxes and buttons shown under `root` whose text is wider
// than the room they give it with their font, one line each (object name, text,
// the room needed and the room there is): a line wider than its control, or
// a word-wrapped text taller than its label. Buttons that show only an icon
// are left out.
QStringList cutTexts(const QWidget &root);

} // namespace tilvano::test
