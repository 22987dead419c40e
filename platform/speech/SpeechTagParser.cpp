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

namespace {

// One pass over a text: its tags are taken out and applied to the segments that follow them;
// with alternatives on, every "|" outside a tag ends one TaggedText and starts the next with
// the settings of the sentence's leading tags.
class TagReader
{
public:
    TagReader(QStringView text, bool splitAlternatives) : m_text(text), m_splitAlternatives(splitAlternatives)
    {
        m_current.text.reserve(text.size());
    }

    QList<TaggedText> read()
    {
        for (qsizetype i = 0; i < m_text.size(); ++i) {
            if (m_splitAlternatives && m_text[i] == u'|') {
                takeTextUpTo(i);
                m_copiedUpTo = i + 1;
                endAlternative();
                continue;
            }
            if (m_text[i] != u'\\')
                continue;
            const std::optional<Tag> tag = readTag(m_text, i);
            if (!tag)
                continue;
            takeTextUpTo(i);
            // A tag after some text starts a new segment; tags next to each other share one.
            if (m_segment.length > 0)
                closeSegment();
            const TagEffect effect = effectOf(*tag);
            if (effect.reset)
                m_segment.settings = {};
            m_segment.settings.overrideWith(effect.settings);
            m_segment.pauseBeforeMs = std::min(kMaxPauseMs, m_segment.pauseBeforeMs + effect.pauseMs);
            m_copiedUpTo = tag->end;
            i = tag->end - 1;
        }
        takeTextUpTo(m_text.size());
        endAlternative();
        return m_done;
    }

private:
    void takeTextUpTo(qsizetype end)
    {
        const QStringView before = m_text.sliced(m_copiedUpTo, end - m_copiedUpTo);
        if (!m_leading && !before.trimmed().isEmpty())
            m_leading = m_segment;
        m_current.text += before;
        m_segment.length += before.size();
        m_copiedUpTo = end;
    }

    void closeSegment()
    {
        m_current.segments.append(m_segment);
        m_segment.start = m_current.text.size();
        m_segment.length = 0;
        m_segment.pauseBeforeMs = 0;
    }

    void endAlternative()
    {
        if (m_segment.length > 0 || m_segment.pauseBeforeMs > 0 || m_current.segments.isEmpty())
            m_current.segments.append(m_segment);
        m_done.append(std::move(m_current));
        if (!m_leading)
            m_leading = m_segment; // the first alternative held nothing but tags
        m_current = TaggedText{};
        m_segment = SpeechSegment{};
        m_segment.settings = m_leading->settings;
        m_segment.pauseBeforeMs = m_leading->pauseBeforeMs;
    }

    QStringView m_text;
    bool m_splitAlternatives;
    qsizetype m_copiedUpTo = 0;
    TaggedText m_current;
    SpeechSegment m_segment;              // being filled; its start and settings are set
    std::optional<SpeechSegment> m_leading; // what was in effect where the first words began
    QList<TaggedText> m_done;
};

} // namespace

TaggedText SpeechTagParser::parse(QStringView text) { return TagReader(text, false).read().constFirst(); }

QList<TaggedText> SpeechTagParser::parseAlternatives(QStringView text) { return TagReader(text, true).read(); }

} // namespace tilvano::speech
