// How fast speech is produced and how fast sound files decode, for the lip-sync budget.
#include "platform/sound/WaveAudio.h"
#include "platform/speech/SpeechEngine.h"
#include "platform/speech/SpeechTagParser.h"

#include <benchmark/benchmark.h>

#include <QtEndian>

using namespace tilvano;

namespace {

// A mono MS-ADPCM file of the given number of 256-byte blocks, filled with a busy pattern.
QByteArray adpcmFile(int blocks)
{
    auto le16 = [](int v) { QByteArray b(2, '\0'); qToLittleEndian<quint16>(quint16(v), b.data()); return b; };
    auto le32 = [](quint32 v) { QByteArray b(4, '\0'); qToLittleEndian<quint32>(v, b.data()); return b; };
    const int blockAlign = 256;
    const int samplesPerBlock = 2 + (blockAlign - 7) * 2;
    QByteArray extra = le16(samplesPerBlock) + le16(7);
    for (auto [a, b] : {std::pair{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}})
        extra += le16(a) + le16(b);
    const QByteArray fmt = le16(2) + le16(1) + le32(22050) + le32(11155) + le16(blockAlign) + le16(4)
        + le16(int(extra.size())) + extra;
    QByteArray data;
    for (int b = 0; b < blocks; ++b) {
        data += QByteArray(1, char(b % 7)) + le16(64) + le16(100) + le16(-100);
        for (int i = 7; i < blockAlign; ++i)
            data += char((i * 37 + b) & 0xff);
    }
    const QByteArray body = "WAVEfmt " + le32(quint32(fmt.size())) + fmt + "data" + le32(quint32(data.size())) + data;
    return "RIFF" + le32(quint32(body.size())) + body;
}

void decodeAdpcm(benchmark::State &state)
{
    const QByteArray file = adpcmFile(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(sound::decodeWave(file));
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(decodeAdpcm)->Arg(100)->Arg(1000);

void parseTags(benchmark::State &state)
{
    const QString text = QStringLiteral("\\Spd=150\\\\Pit=120\\\\Vol=65000\\\\Chr=\"Whisper\"\\Hallo Welt, wie geht es dir? ")
                             .repeated(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(speech::SpeechTagParser::parse(text));
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}
BENCHMARK(parseTags)->Arg(1)->Arg(1000);

// Reports the real-time factor: milliseconds of speech per millisecond of work.
void synthesizeSentence(benchmark::State &state)
{
    speech::SpeechRequest request;
    request.text = speech::SpeechTagParser::parse(u"Hallo, ich bin dein Freund und begleite dich durch den Tag.");
    qint64 audioMs = 0;
    for (auto _ : state)
        audioMs += speech::SpeechEngine::current().synthesize(request).audio.durationMs();
    state.counters["speech_ms_per_s"] = benchmark::Counter(double(audioMs), benchmark::Counter::kIsRate);
}
BENCHMARK(synthesizeSentence)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
