#include "SpeechTagParser.h"

#include <algorithm>
#include <array>

namespace tilvano::speech {

namespace {

// Longest tag we look for; keeps a text full of backslashes linear to scan.
constexpr qsizetype kMaxTagLength = 256;
constexpr int kMaxPauseMs = 60000;

// Control tags a speech engine understands. Only those we act on change anything; the others
// are removed so that they are never read out.
constexpr std::array kKnownNames = {"Chr", "Com", "Ctx", "Dem", "Emp", "Eng", "Mrk", "Pau", "Pit", "Pra",
                                    "Prn", "Pro", "Prt", "Rst", "RmS", "RmW", "RPit", "RSpd", "Spd", "Vce",
                                    "Vol"};
// Tags that stand alone, without "=value".
constexpr std::array kBareNames = {"Dem", "Emp", "Rst"};

template<std::size_t N>
bool contains(const std::array<const char *, N> &names, QStringView name)
{
    return std::any_of(names.begin(), names.end(), [name](const char *known) {
        return name.compare(QLatin1StringView(known), Qt::CaseInsensitive) == 0;
    });
}

struct Tag {
    QStringView name;
    QStringView value;
    bool hasValue = false;
    qsizetype end = 0; // index just past the closing backslash
};

// Reads a tag starting at text[at] == '\'; nullopt when there is none.
std::optional<Tag> readTag(QStringView text, qsizetype at)
{
    const qsizetype limit = std::min(text.size(), at + kMaxTagLength);
    qsizetype i = at + 1;
    while (i < limit && text[i].isLetter())
        ++i;
    Tag tag;
    tag.name = text.sliced(at + 1, i - at - 1);
    if (tag.name.isEmpty() || !contains(kKnownNames, tag.name) || i >= limit)
        return std::nullopt;
    if (text[i] == u'\\') {
        if (!contains(kBareNames, tag.name))
            return std::nullopt;
        tag.end = i + 1;
        return tag;
    }
    if (text[i] != u'=')
        return std::nullopt;
    ++i;
    tag.hasValue = true;
    if (i < limit && text[i] == u'"') {
        const qsizetype close = text.first(limit).indexOf(u'"', i + 1);
        if (close < 0 || close + 1 >= limit || text[close + 1] != u'\\')
            return std::nullopt;
        tag.value = text.sliced(i + 1, close - i - 1);
        tag.end = close + 2;
        return tag;
    }
    const qsizetype close = text.first(limit).indexOf(u'\\', i);
    if (close < 0)
        return std::nullopt;
    tag.value = text.sliced(i, close - i).trimmed();
    tag.end = close + 1;
    return tag;
}

std::optional<int> number(QStringView value, int low, int high)
{
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low)
        return std::nullopt;
    return std::min(n, high);
}

// What a tag does to the settings that follow it.
struct TagEffect {
    SpeechSettings settings;
    bool reset = false;
    int pauseMs = 0;
};

TagEffect effectOf(const Tag &tag)
{
    TagEffect effect;
    auto is = [&tag](const char *name) { return tag.name.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0; };
    if (is("Spd"))
        effect.settings.wordsPerMinute = number(tag.value, 1, 10000);
    else if (is("Pit"))
        effect.settings.pitchHz = number(tag.value, 1, 10000);
    else if (is("Vol"))
        effect.settings.volume = number(tag.value, 0, 65535);
    else if (is("Chr"))
        effect.settings.voiceCharacter = tag.value.trimmed().toString();
    else if (is("Ctx"))
        effect.settings.context = tag.value.trimmed().toString();
    else if (is("Pau"))
        effect.pauseMs = number(tag.value, 0, kMaxPauseMs).value_or(0);
    else if (is("Rst"))
        effect.reset = true;
    return effect;
}

} // namespace

SpeechSettings TaggedText::leadingSettings() const
{
    return segments.isEmpty() ? SpeechSettings{} : segments.first().settings;
}

TaggedText SpeechTagParser::parse(QStringView text)
{
    TaggedText result;
    result.text.reserve(text.size());
    SpeechSegment current;
    qsizetype copiedUpTo = 0;

    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\')
            continue;
        const std::optional<Tag> tag = readTag(text, i);
        if (!tag)
            continue;
        const QStringView before = text.sliced(copiedUpTo, i - copiedUpTo);
        result.text += before;
        current.length += before.size();
        // A tag after some text starts a new segment; tags next to each other share one.
        if (current.length > 0) {
            result.segments.append(current);
            current.start = result.text.size();
            current.length = 0;
            current.pauseBeforeMs = 0;
        }
        const TagEffect effect = effectOf(*tag);
        if (effect.reset)
            current.settings = {};
        current.settings.overrideWith(effect.settings);
        current.pauseBeforeMs = std::min(kMaxPauseMs, current.pauseBeforeMs + effect.pauseMs);
        copiedUpTo = tag->end;
        i = tag->end - 1;
    }
    const QStringView rest = text.sliced(copiedUpTo);
    result.text += rest;
    current.length += rest.size();
    if (current.length > 0 || current.pauseBeforeMs > 0 || result.segments.isEmpty())
        result.segments.append(current);
    return result;
}

} // namespace tilvano::speech
