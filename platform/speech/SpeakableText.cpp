#include "SpeakableText.h"

#include <QList>

#include <array>

namespace tilvano::speech {

namespace {

struct NativeScripts {
    const char *language; // espeak-ng language code or its base
    std::array<QChar::Script, 3> scripts;
};

constexpr auto None = QChar::Script_Unknown;

constexpr std::array kNativeScripts = {
    NativeScripts{"el", {QChar::Script_Greek, None, None}},
    NativeScripts{"grc", {QChar::Script_Greek, None, None}},
    NativeScripts{"ru", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"uk", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"be", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"bg", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"mk", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"sr", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"kk", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"ky", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"tt", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"ba", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"cv", {QChar::Script_Cyrillic, None, None}},
    NativeScripts{"he", {QChar::Script_Hebrew, None, None}},
    NativeScripts{"ar", {QChar::Script_Arabic, None, None}},
    NativeScripts{"fa", {QChar::Script_Arabic, None, None}},
    NativeScripts{"ur", {QChar::Script_Arabic, None, None}},
    NativeScripts{"sd", {QChar::Script_Arabic, None, None}},
    NativeScripts{"ug", {QChar::Script_Arabic, None, None}},
    NativeScripts{"hy", {QChar::Script_Armenian, None, None}},
    NativeScripts{"hyw", {QChar::Script_Armenian, None, None}},
    NativeScripts{"ka", {QChar::Script_Georgian, None, None}},
    NativeScripts{"hi", {QChar::Script_Devanagari, None, None}},
    NativeScripts{"mr", {QChar::Script_Devanagari, None, None}},
    NativeScripts{"ne", {QChar::Script_Devanagari, None, None}},
    NativeScripts{"kok", {QChar::Script_Devanagari, None, None}},
    NativeScripts{"bn", {QChar::Script_Bengali, None, None}},
    NativeScripts{"as", {QChar::Script_Bengali, None, None}},
    NativeScripts{"bpy", {QChar::Script_Bengali, None, None}},
    NativeScripts{"pa", {QChar::Script_Gurmukhi, None, None}},
    NativeScripts{"gu", {QChar::Script_Gujarati, None, None}},
    NativeScripts{"or", {QChar::Script_Oriya, None, None}},
    NativeScripts{"ta", {QChar::Script_Tamil, None, None}},
    NativeScripts{"te", {QChar::Script_Telugu, None, None}},
    NativeScripts{"kn", {QChar::Script_Kannada, None, None}},
    NativeScripts{"ml", {QChar::Script_Malayalam, None, None}},
    NativeScripts{"si", {QChar::Script_Sinhala, None, None}},
    NativeScripts{"th", {QChar::Script_Thai, None, None}},
    NativeScripts{"shn", {QChar::Script_Myanmar, None, None}},
    NativeScripts{"my", {QChar::Script_Myanmar, None, None}},
    NativeScripts{"am", {QChar::Script_Ethiopic, None, None}},
    NativeScripts{"chr", {QChar::Script_Cherokee, None, None}},
    NativeScripts{"ja", {QChar::Script_Han, QChar::Script_Hiragana, QChar::Script_Katakana}},
    NativeScripts{"ko", {QChar::Script_Hangul, QChar::Script_Han, None}},
    NativeScripts{"cmn", {QChar::Script_Han, QChar::Script_Bopomofo, None}},
    NativeScripts{"yue", {QChar::Script_Han, None, None}},
    NativeScripts{"hak", {QChar::Script_Han, None, None}},
};

// Languages whose alphabet Latin-1 covers entirely.
constexpr std::array kLatin1Languages = {"de", "en", "nl", "it", "es", "pt", "da", "sv", "nb", "is", "lb", "af"};

QString baseLanguage(const QString &language)
{
    const qsizetype dash = language.indexOf(u'-');
    return (dash < 0 ? language : language.left(dash)).toLower();
}

QList<QChar::Script> nativeScriptsOf(const QString &language)
{
    const QString base = baseLanguage(language);
    for (const NativeScripts &entry : kNativeScripts) {
        if (base == QLatin1String(entry.language)) {
            QList<QChar::Script> scripts;
            for (QChar::Script s : entry.scripts) {
                if (s != None)
                    scripts.append(s);
            }
            return scripts;
        }
    }
    return {};
}

bool writesLatin1Only(const QString &language)
{
    const QString base = baseLanguage(language);
    return std::any_of(kLatin1Languages.begin(), kLatin1Languages.end(),
                       [&base](const char *l) { return base == QLatin1String(l); });
}

// The Latin-1 base letter of a Latin letter (ń -> n, Ł has none), or a null QChar.
QChar latin1Base(QChar ch)
{
    const QString decomposed = QString(ch).normalized(QString::NormalizationForm_KD);
    if (!decomposed.isEmpty() && decomposed.front().unicode() < 0x100 && decomposed.front().isLetter())
        return decomposed.front();
    return {};
}

} // namespace

QString SpeakableText::prepare(QStringView text, const QString &espeakLanguage)
{
    const QList<QChar::Script> native = nativeScriptsOf(espeakLanguage);
    const bool foldLatin = writesLatin1Only(espeakLanguage);
    QString out = text.toString();
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar ch = out[i];
        if (ch.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate()) {
            const uint codePoint = QChar::surrogateToUcs4(ch, out[i + 1]);
            const QChar::Script script = QChar::script(codePoint);
            if (script != QChar::Script_Common && !native.contains(script))
                out[i] = out[i + 1] = u' ';
            ++i;
            continue;
        }
        if (ch.isSurrogate() || (ch.category() == QChar::Other_Control && ch != u'\n' && ch != u'\t')) {
            out[i] = u' ';
            continue;
        }
        if (ch.unicode() < 0x100)
            continue;
        const QChar::Script script = ch.script();
        if (script == QChar::Script_Common)
            continue;
        if (script == QChar::Script_Latin) {
            if (foldLatin) {
                const QChar base = latin1Base(ch);
                out[i] = base.isNull() ? QChar(u' ') : base;
            }
        } else if (script == QChar::Script_Inherited ? foldLatin : !native.contains(script)) {
            out[i] = u' ';
        }
    }
    return out;
}

} // namespace tilvano::speech
