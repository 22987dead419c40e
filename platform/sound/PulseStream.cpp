#include "PulseStream.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include "system/LibraryFunctions.h"

#include <QLibrary>

namespace tilvano::sound {

namespace {

// The sound server's client library is opened at the first sound, not when the program
// starts: it drags in some thirty libraries of its own (codecs, D-Bus, X11) whose loading
// would delay the character's first appearance, and many sessions never play a sound.
// Without the library there is simply no sound server.
struct PulseFunctions {
    decltype(&pa_simple_new) simpleNew = nullptr;
    decltype(&pa_simple_write) simpleWrite = nullptr;
    decltype(&pa_simple_drain) simpleDrain = nullptr;
    decltype(&pa_simple_flush) simpleFlush = nullptr;
    decltype(&pa_simple_free) simpleFree = nullptr;
    decltype(&pa_strerror) strError = nullptr;
    QString loadError;

    bool isLoaded() const { return loadError.isEmpty(); }
};

const PulseFunctions &pulse()
{
    // Thread-safe once-only initialisation: sounds are opened on worker threads.
    // Never destroyed: other statics still use it while the program ends.
    static const PulseFunctions *functions = [] {
        auto *f = new PulseFunctions;
        QLibrary library(QStringLiteral("pulse-simple"), 0);
        if (!library.load()) {
            f->loadError = library.errorString();
            return f;
        }
        // The library stays loaded after `library` goes out of scope.
        resolveLibraryFunction(library, "pa_simple_new", f->simpleNew, f->loadError);
        resolveLibraryFunction(library, "pa_simple_write", f->simpleWrite, f->loadError);
        resolveLibraryFunction(library, "pa_simple_drain", f->simpleDrain, f->loadError);
        resolveLibraryFunction(library, "pa_simple_flush", f->simpleFlush, f->loadError);
        resolveLibraryFunction(library, "pa_simple_free", f->simpleFree, f->loadError);
        resolveLibraryFunction(library, "pa_strerror", f->strError, f->loadError); // from libpulse, which it depends on
        return f;
    }();
    return *functions;
}

} // namespace

PulseStream::~PulseStream()
{
    close();
}

void PulseStream::setError(const char *what, int code)
{
    const QString reason = pulse().isLoaded() ? QString::fromUtf8(pulse().strError(code)) : pulse().loadError;
    m_error = QStringLiteral("%1: %2").arg(QLatin1StringView(what), reason);
}

bool PulseStream::isClientLibraryAvailable()
{
    return pulse().isLoaded();
}

bool PulseStream::open(const PcmAudio &format, const QString &streamName)
{
    close();
    if (!format.isValid()) {
        m_error = QStringLiteral("unplayable audio format");
        return false;
    }
    if (!pulse().isLoaded()) {
        setError("cannot connect to the sound server", 0);
        return false;
    }
    pa_sample_spec sampleSpec{};
    sampleSpec.format = format.bitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    sampleSpec.rate = quint32(format.sampleRate);
    sampleSpec.channels = quint8(format.channels);
    int code = 0;
    m_stream = pulse().simpleNew(nullptr, "Tilvano", PA_STREAM_PLAYBACK, nullptr,
                                 streamName.toUtf8().constData(), &sampleSpec, nullptr, nullptr, &code);
    if (!m_stream) {
        setError("cannot connect to the sound server", code);
        return false;
    }
    return true;
}

bool PulseStream::write(const char *data, qsizetype size)
{
    int code = 0;
    if (!m_stream || pulse().simpleWrite(m_stream, data, size_t(size), &code) < 0) {
        setError("writing to the sound server failed", code);
        return false;
    }
    return true;
}

bool PulseStream::drain()
{
    int code = 0;
    if (!m_stream || pulse().simpleDrain(m_stream, &code) < 0) {
        setError("draining the sound stream failed", code);
        return false;
    }
    return true;
}

void PulseStream::flush()
{
    int code = 0;
    if (m_stream)
        pulse().simpleFlush(m_stream, &code);
}

void PulseStream::close()
{
    if (m_stream) {
        pulse().simpleFree(m_stream);
        m_stream = nullptr;
    }
}

} // namespace tilvano::sound
