#include "EspeakEngine.h"

#include "AddressSpans.h"
#include "EspeakProsody.h"
#include "SpeakableText.h"

#include <espeak-ng/speak_lib.h>

#include "system/LibraryFunctions.h"
#include "system/ServiceRegistry.h"

#include <QLibrary>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

namespace tilvano::speech {

namespace {

// The speech library is opened when speech is first needed, not when the program starts: its
// audio back ends drag in some thirty libraries (the sound server's client, codecs, D-Bus, X11)
// whose loading would delay the character's first appearance. We never use its audio output.
struct EspeakFunctions {
    decltype(&espeak_Initialize) initialize = nullptr;
    decltype(&espeak_SetSynthCallback) setSynthCallback = nullptr;
    decltype(&espeak_Info) info = nullptr;
    decltype(&espeak_ListVoices) listVoices = nullptr;
    decltype(&espeak_SetVoiceByName) setVoiceByName = nullptr;
    decltype(&espeak_SetParameter) setParameter = nullptr;
    decltype(&espeak_SetPunctuationList) setPunctuationList = nullptr;
    decltype(&espeak_Synth) synth = nullptr;
    decltype(&espeak_Terminate) terminate = nullptr;
    QString loadError;

    bool isLoaded() const { return loadError.isEmpty(); }
};

const EspeakFunctions &espeak()
{
    // Never destroyed: other statics still use it while the program ends.
    static const EspeakFunctions *functions = [] {
        auto *f = new EspeakFunctions;
        QLibrary library(QStringLiteral("espeak-ng"), 1);
        if (!library.load()) {
            f->loadError = library.errorString();
            return f;
        }
        // The library stays loaded after `library` goes out of scope.
        resolveLibraryFunction(library, "espeak_Initialize", f->initialize, f->loadError);
        resolveLibraryFunction(library, "espeak_SetSynthCallback", f->setSynthCallback, f->loadError);
        resolveLibraryFunction(library, "espeak_Info", f->info, f->loadError);
        resolveLibraryFunction(library, "espeak_ListVoices", f->listVoices, f->loadError);
        resolveLibraryFunction(library, "espeak_SetVoiceByName", f->setVoiceByName, f->loadError);
        resolveLibraryFunction(library, "espeak_SetParameter", f->setParameter, f->loadError);
        resolveLibraryFunction(library, "espeak_SetPunctuationList", f->setPunctuationList, f->loadError);
        resolveLibraryFunction(library, "espeak_Synth", f->synth, f->loadError);
        resolveLibraryFunction(library, "espeak_Terminate", f->terminate, f->loadError);
        return f;
    }();
    return *functions;
}

// What the synthesis callback fills in for the segment being spoken.
struct SegmentContext {
    QByteArray *samples = nullptr;
    qint64 maximumSamples = 0;
    int sampleRate = 0;
    qint64 segmentStartMs = 0;
    const std::atomic<bool> *cancel = nullptr;
    bool truncated = false;
    bool cancelled = false;

    const QString *text = nullptr;     // the whole clean text
    qsizetype segmentStart = 0;        // where the segment begins in it
    QList<qsizetype> codePointOffsets; // code point index within the segment -> UTF-16 offset
    QList<WordEvent> *words = nullptr;
    QList<MouthEvent> *mouth = nullptr;
};

// espeak-ng's callback has no context argument we control for every call; the engine's mutex
// guarantees there is only ever one synthesis, so one pointer is enough.
SegmentContext *g_segment = nullptr;

qsizetype utf16Offset(const SegmentContext &c, qint64 codePoint)
{
    const qint64 last = c.codePointOffsets.size() - 1;
    return c.codePointOffsets[qsizetype(std::clamp<qint64>(codePoint, 0, last))];
}

void recordWord(SegmentContext &c, const espeak_EVENT &e)
{
    // Positions count code points from 1 within the text handed to espeak-ng.
    const qsizetype from = utf16Offset(c, qint64(e.text_position) - 1);
    const qsizetype to = utf16Offset(c, qint64(e.text_position) - 1 + std::max(0, e.length));
    const QStringView word = QStringView(*c.text).sliced(c.segmentStart + from, to - from);
    if (word.trimmed().isEmpty())
        return; // espeak-ng reports expansions of symbols as words on the blank beside them
    c.words->append({c.segmentStart + from, to - from, c.segmentStartMs + e.audio_position});
}

void recordPhoneme(SegmentContext &c, const espeak_EVENT &e)
{
    const char *name = e.id.string;
    const QString ipa = QString::fromUtf8(name, qsizetype(strnlen(name, sizeof(e.id.string))));
    const MouthShape shape = mouthShapeForPhoneme(ipa);
    const qint64 time = c.segmentStartMs + e.audio_position;
    if (!c.mouth->isEmpty() && c.mouth->last().shape == shape)
        return;
    if (!c.mouth->isEmpty() && c.mouth->last().timeMs == time)
        c.mouth->last().shape = shape;
    else
        c.mouth->append({time, shape});
}

int onSynthesized(short *wav, int count, espeak_EVENT *events)
{
    SegmentContext *c = g_segment;
    if (!c)
        return 1;
    for (espeak_EVENT *e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type == espeakEVENT_WORD)
            recordWord(*c, *e);
        else if (e->type == espeakEVENT_PHONEME)
            recordPhoneme(*c, *e);
    }
    if (wav && count > 0) {
        const qint64 have = c->samples->size() / 2;
        const qint64 take = std::min<qint64>(count, c->maximumSamples - have);
        if (take > 0) {
            const qsizetype at = c->samples->size();
            c->samples->resize(at + take * 2);
            for (qint64 i = 0; i < take; ++i)
                qToLittleEndian<qint16>(wav[i], c->samples->data() + at + 2 * i);
        }
        if (take < count) {
            c->truncated = true;
            return 1;
        }
    }
    if (c->cancel && c->cancel->load()) {
        c->cancelled = true;
        return 1;
    }
    return 0;
}

QList<qsizetype> codePointOffsets(QStringView segment)
{
    QList<qsizetype> offsets;
    offsets.reserve(segment.size() + 1);
    for (qsizetype i = 0; i < segment.size(); ++i) {
        offsets.append(i);
        if (segment[i].isHighSurrogate() && i + 1 < segment.size())
            ++i;
    }
    offsets.append(segment.size());
    return offsets;
}

// The signs of an address a screen reader names ("Punkt", "Doppelpunkt", ...).
const wchar_t kAddressSigns[] = L"@./:-_~#?=&%+";

// A segment's text in the stretches that are spoken alike: with the addresses
// spelled out, each address is a stretch of its own.
struct SpokenStretch {
    qsizetype start = 0; // within the segment
    qsizetype length = 0;
    bool address = false;
};

QList<SpokenStretch> stretchesOf(QStringView segment, bool spellAddresses)
{
    if (!spellAddresses)
        return {{0, segment.size(), false}};
    QList<SpokenStretch> stretches;
    qsizetype at = 0;
    for (const TextSpan &span : addressSpans(segment)) {
        if (span.start > at)
            stretches.append({at, span.start - at, false});
        stretches.append({span.start, span.length, true});
        at = span.start + span.length;
    }
    if (at < segment.size())
        stretches.append({at, segment.size() - at, false});
    return stretches;
}

QString espeakVoiceName(const VoiceMode &mode, bool whisper)
{
    QString variant = mode.espeakVariant;
    if (whisper)
        variant = mode.isFemale() ? QStringLiteral("whisperf") : QStringLiteral("whisper");
    return variant.isEmpty() ? mode.espeakVoice : mode.espeakVoice + u'+' + variant;
}

} // namespace

struct EspeakEngine::LibraryState {
    std::mutex mutex;
    bool initializeTried = false;
    int sampleRate = 0;
    QString error;
    std::optional<VoiceCatalogue> catalogue;

    // At the program's end, with every synthesis over.
    ~LibraryState()
    {
        if (sampleRate > 0)
            espeak().terminate();
    }
};

EspeakEngine::LibraryState &EspeakEngine::library()
{
    static LibraryState state;
    return state;
}

SpeechEngine &SpeechEngine::current()
{
    return ServiceRegistry::get<SpeechEngine>([] { return std::make_unique<EspeakEngine>(); });
}

bool EspeakEngine::ensureInitialized()
{
    LibraryState &state = library();
    if (!state.initializeTried) {
        state.initializeTried = true;
        if (!espeak().isLoaded()) {
            state.error = QStringLiteral("espeak-ng could not be loaded (is libespeak-ng1 installed?): %1")
                          .arg(espeak().loadError);
            return false;
        }
        // DONT_EXIT: a missing data folder must be an error for us, not the end of the process.
        const int rate = espeak().initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, nullptr,
                                                 espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_PHONEME_IPA
                                                     | espeakINITIALIZE_DONT_EXIT);
        if (rate <= 0) {
            state.error = QStringLiteral("espeak-ng could not be initialised (is espeak-ng-data installed?)");
        } else {
            state.sampleRate = rate;
            espeak().setSynthCallback(onSynthesized);
            espeak().setPunctuationList(kAddressSigns);
        }
    }
    return state.sampleRate > 0;
}

bool EspeakEngine::isAvailable()
{
    std::lock_guard lock(library().mutex);
    return ensureInitialized();
}

QString EspeakEngine::productName()
{
    if (!espeak().isLoaded())
        return QStringLiteral("eSpeak NG");
    std::lock_guard lock(library().mutex);
    const char *version = espeak().info(nullptr);
    return QStringLiteral("eSpeak NG %1").arg(QString::fromUtf8(version ? version : ""));
}

QList<EspeakVoiceInfo> EspeakEngine::listVoicesLocked()
{
    QList<EspeakVoiceInfo> result;
    if (!ensureInitialized())
        return result;
    for (const espeak_VOICE **v = espeak().listVoices(nullptr); v && *v; ++v) {
        const espeak_VOICE &voice = **v;
        EspeakVoiceInfo info;
        info.name = QString::fromUtf8(voice.name ? voice.name : "");
        info.identifier = QString::fromUtf8(voice.identifier ? voice.identifier : "");
        // languages: a priority byte, then a language name, repeated; the first one is the main one.
        if (voice.languages && voice.languages[0])
            info.language = QString::fromUtf8(voice.languages + 1);
        info.gender = voice.gender;
        info.age = voice.age;
        result.append(info);
    }
    return result;
}

QList<EspeakVoiceInfo> EspeakEngine::installedVoices()
{
    std::lock_guard lock(library().mutex);
    return listVoicesLocked();
}

const VoiceCatalogue &EspeakEngine::catalogue()
{
    const QString product = productName();
    LibraryState &state = library();
    std::lock_guard lock(state.mutex);
    if (!state.catalogue)
        state.catalogue.emplace(listVoicesLocked(), product);
    return *state.catalogue;
}

SpokenText EspeakEngine::synthesize(const SpeechRequest &request, const std::atomic<bool> *cancel)
{
    const VoiceMode mode = catalogue().choose(request.modeId, request.languageId);
    const TaggedText &tagged = request.text;

    SpokenText result;
    result.text = tagged.text;
    result.voiceModeId = mode.modeIdText();

    std::lock_guard lock(library().mutex);
    if (!ensureInitialized()) {
        result.error = library().error;
        return result;
    }
    const int sampleRate = library().sampleRate;
    result.audio.sampleRate = sampleRate;
    result.audio.channels = 1;
    result.audio.bitsPerSample = 16;

    const QString speakable = SpeakableText::prepare(tagged.text, mode.dialect.isEmpty() ? QStringLiteral("de") : mode.dialect);
    SegmentContext context;
    context.samples = &result.audio.samples;
    context.maximumSamples = std::max<qint64>(0, request.maximumDurationMs) * sampleRate / 1000;
    context.sampleRate = sampleRate;
    context.cancel = cancel;
    context.text = &result.text;
    context.words = &result.words;
    context.mouth = &result.mouth;
    g_segment = &context;

    for (const SpeechSegment &segment : tagged.segments) {
        if (context.truncated || context.cancelled)
            break;
        const qint64 pauseSamples = std::min<qint64>(qint64(segment.pauseBeforeMs) * sampleRate / 1000,
                                                     context.maximumSamples - result.audio.samples.size() / 2);
        if (pauseSamples > 0)
            result.audio.samples.append(QByteArray(pauseSamples * 2, '\0'));

        const QStringView text = QStringView(speakable).sliced(segment.start, segment.length);
        if (text.trimmed().isEmpty())
            continue;
        SpeechSettings settings = request.defaults;
        settings.overrideWith(segment.settings);
        const EspeakProsody prosody = espeakProsodyFor(settings, mode.isFemale());
        if (espeak().setVoiceByName(espeakVoiceName(mode, prosody.whisper).toUtf8().constData()) != EE_OK
            && espeak().setVoiceByName(mode.espeakVoice.toUtf8().constData()) != EE_OK) {
            result.error = QStringLiteral("espeak-ng has no voice %1").arg(mode.espeakVoice);
            break;
        }
        espeak().setParameter(espeakRATE, prosody.rate, 0);
        espeak().setParameter(espeakWORDGAP, prosody.wordGap, 0);
        espeak().setParameter(espeakPITCH, prosody.pitch, 0);
        espeak().setParameter(espeakRANGE, prosody.range, 0);
        espeak().setParameter(espeakVOLUME, prosody.volume, 0);

        for (const SpokenStretch &stretch : stretchesOf(text, prosody.spellAddresses)) {
            const QStringView part = text.sliced(stretch.start, stretch.length);
            if (part.trimmed().isEmpty() || context.truncated || context.cancelled)
                continue;
            espeak().setParameter(espeakPUNCTUATION, stretch.address ? espeakPUNCT_SOME : espeakPUNCT_NONE, 0);
            context.segmentStart = segment.start + stretch.start;
            context.segmentStartMs = result.audio.samples.size() / 2 * 1000 / sampleRate;
            context.codePointOffsets = codePointOffsets(part);
            const QByteArray utf8 = part.toUtf8();
            const espeak_ERROR status = espeak().synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                                       espeakCHARS_UTF8, nullptr, nullptr);
            if (status != EE_OK && !context.truncated && !context.cancelled) {
                result.error = QStringLiteral("espeak-ng failed to speak (error %1)").arg(int(status));
                break;
            }
        }
        if (!result.error.isEmpty())
            break;
    }
    g_segment = nullptr;
    result.truncated = context.truncated;
    result.cancelled = context.cancelled;
    if (!result.audio.samples.isEmpty())
        result.mouth.append({result.audio.durationMs(), MouthShape::Closed});
    return result;
}

} // namespace tilvano::speech
