#pragma once

#include <QString>

namespace tilvano::mail {

// Readable plain text from an HTML mail body: tags dropped, script and style
// contents dropped, block ends turned into line breaks, entities decoded,
// runs of blanks folded. One pass, linear in the input, whatever the input.
QString htmlToPlainText(const QString &html);

} // namespace tilvano::mail
