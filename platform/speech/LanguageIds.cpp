#include "LanguageIds.h"

#include <array>

namespace tilvano::speech {

namespace {

struct Entry {
    int languageId;
    const char *espeak;
};

// First entry per identifier is the preferred voice; for the reverse direction the first
// identifier listed for a language code wins (the main country of that language).
constexpr std::array kTable = {
    Entry{0x0407, "de"},      Entry{0x0807, "de"},      Entry{0x0C07, "de"},      Entry{0x1007, "lb"},
    Entry{0x0409, "en-us"},   Entry{0x0809, "en-gb"},   Entry{0x0809, "en"},      Entry{0x0C09, "en-gb"},
    Entry{0x1009, "en-us"},   Entry{0x040C, "fr-fr"},   Entry{0x040C, "fr"},      Entry{0x080C, "fr-be"},
    Entry{0x100C, "fr-ch"},   Entry{0x0C0C, "fr-fr"},   Entry{0x0410, "it"},      Entry{0x0C0A, "es"},
    Entry{0x040A, "es"},      Entry{0x080A, "es-419"},  Entry{0x0816, "pt"},      Entry{0x0416, "pt-br"},
    Entry{0x0413, "nl"},      Entry{0x0813, "nl"},      Entry{0x0406, "da"},      Entry{0x041D, "sv"},
    Entry{0x0414, "nb"},      Entry{0x0814, "nb"},      Entry{0x040B, "fi"},      Entry{0x040F, "is"},
    Entry{0x0415, "pl"},      Entry{0x0405, "cs"},      Entry{0x041B, "sk"},      Entry{0x0424, "sl"},
    Entry{0x041A, "hr"},      Entry{0x081A, "sr"},      Entry{0x0C1A, "sr"},      Entry{0x141A, "bs"},
    Entry{0x040E, "hu"},      Entry{0x0418, "ro"},      Entry{0x0402, "bg"},      Entry{0x042F, "mk"},
    Entry{0x0419, "ru"},      Entry{0x0422, "uk"},      Entry{0x0423, "be"},      Entry{0x0408, "el"},
    Entry{0x041F, "tr"},      Entry{0x0401, "ar"},      Entry{0x040D, "he"},      Entry{0x0429, "fa"},
    Entry{0x0439, "hi"},      Entry{0x0420, "ur"},      Entry{0x041E, "th"},      Entry{0x042A, "vi"},
    Entry{0x0421, "id"},      Entry{0x043E, "ms"},      Entry{0x0411, "ja"},      Entry{0x0412, "ko"},
    Entry{0x0804, "cmn"},     Entry{0x0404, "cmn"},     Entry{0x0C04, "yue"},     Entry{0x0403, "ca"},
    Entry{0x042D, "eu"},      Entry{0x0425, "et"},      Entry{0x0426, "lv"},      Entry{0x0427, "lt"},
    Entry{0x041C, "sq"},      Entry{0x042B, "hy"},      Entry{0x0437, "ka"},      Entry{0x043F, "kk"},
    Entry{0x0441, "sw"},      Entry{0x0436, "af"},      Entry{0x0452, "cy"},      Entry{0x083C, "ga"},
    Entry{0x043A, "mt"},      Entry{0x0445, "bn"},      Entry{0x0449, "ta"},      Entry{0x044A, "te"},
    Entry{0x044E, "mr"},      Entry{0x0447, "gu"},      Entry{0x044B, "kn"},      Entry{0x044C, "ml"},
    Entry{0x0446, "pa"},      Entry{0x0461, "ne"},      Entry{0x042C, "az"},      Entry{0x0443, "uz"},
};

constexpr int kPrimaryMask = 0x3FF;

} // namespace

QStringList LanguageIds::espeakLanguagesFor(int languageId)
{
    QStringList exact;
    QStringList primary;
    for (const Entry &e : kTable) {
        if (e.languageId == languageId)
            exact.append(QLatin1String(e.espeak));
        else if ((e.languageId & kPrimaryMask) == (languageId & kPrimaryMask) && languageId != 0)
            primary.append(QLatin1String(e.espeak));
    }
    exact.append(primary);
    exact.removeDuplicates();
    return exact;
}

int LanguageIds::languageIdFor(const QString &espeakLanguage)
{
    QString code = espeakLanguage.toLower();
    while (!code.isEmpty()) {
        for (const Entry &e : kTable) {
            if (code == QLatin1String(e.espeak))
                return e.languageId;
        }
        const qsizetype dash = code.lastIndexOf(u'-');
        code.truncate(dash < 0 ? 0 : dash);
    }
    return 0;
}

} // namespace tilvano::speech
