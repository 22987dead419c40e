// How much the character service costs per frame, per sentence and per request.
#include "platform/agent/AgentService.h"
#include "platform/agent/CharacterSession.h"
#include "platform/agent/Sentence.h"
#include "platform/speech/SpeechTagParser.h"
#include "system/DiagnosticOptions.h"

#include <QApplication>

#include <benchmark/benchmark.h>

using namespace tilvano::agent;

namespace {

std::unique_ptr<AgentService> makeService()
{
    AgentServiceOptions options;
    options.clockMode = AgentClock::Mode::Manual;
    options.randomSeed = 1;
    AgentSettings settings;
    settings.speechOutput = false;
    options.settings = settings;
    return std::make_unique<AgentService>(nullptr, options);
}

const QString happyFace = QStringLiteral(TILVANO_FIXTURES_DIR "/acs/Happy Face.acs");

// Drawing one frame: compose the layers, scale to the window and hand it over.
void BM_FrameToWindow(benchmark::State &state)
{
    auto service = makeService();
    service->load("hf", happyFace);
    CharacterSession *hf = service->session("hf");
    hf->setWidth(qint16(state.range(0)));
    hf->setHeight(qint16(state.range(0) * 225 / 135));
    hf->show(true);
    service->clock().advance(10);
    for (auto _ : state)
        hf->player().showLastFrame(QStringLiteral("Speak"));
}
BENCHMARK(BM_FrameToWindow)->Arg(135)->Arg(270);

// Reading a long sentence's tags and laying it out for the balloon and the mouth.
void BM_PacedSentence(benchmark::State &state)
{
    QString text;
    for (int i = 0; i < state.range(0); ++i)
        text += QStringLiteral("Wort ");
    for (auto _ : state)
        benchmark::DoNotOptimize(Sentence::paced(tilvano::speech::SpeechTagParser::parse(text), 150, true));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PacedSentence)->Arg(10)->Arg(1000);

// Queue overhead: many one-frame animations run through on the manual clock.
void BM_QueuedRequests(benchmark::State &state)
{
    auto service = makeService();
    service->load("hf", happyFace);
    CharacterSession *hf = service->session("hf");
    hf->setIdleOn(false);
    hf->show(true);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i)
            hf->play(QStringLiteral("Show"));
        service->clock().advance(100 * 1000);
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_QueuedRequests);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // No sound: the figures are the service's, not the sound server's.
    tilvano::DiagnosticOptions::Values diagnostics;
    diagnostics.silentAudio = true;
    tilvano::DiagnosticOptions::install(diagnostics);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
