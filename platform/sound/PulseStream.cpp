#include "PulseStream.h"

#include <pulse/error.h>
#include <pulse/simple.h>

namespace tilvano::sound {

PulseStream::~PulseStream()
{
    close();
}

void PulseStream::setError(const char *what, int code)
{
    m_error = QStringLiteral("%1: %2").arg(QLatin1StringView(what), QString::fromUtf8(pa_strerror(code)));
}

bool PulseStream::open(const PcmAudio &format, const QString &streamName)
{
    close();
    if (!format.isValid()) {
        m_error = QStringLiteral("unplayable audio format");
        return false;
    }
    pa_sample_spec sampleSpec{};
    sampleSpec.format = format.bitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    sampleSpec.rate = quint32(format.sampleRate);
    sampleSpec.channels = quint8(format.channels);
    int code = 0;
    m_stream = pa_simple_new(nullptr, "Tilvano", PA_STREAM_PLAYBACK, nullptr,
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
    if (!m_stream || pa_simple_write(m_stream, data, size_t(size), &code) < 0) {
        setError("writing to the sound server failed", code);
        return false;
    }
    return true;
}

bool PulseStream::drain()
{
    int code = 0;
    if (!m_stream || pa_simple_drain(m_stream, &code) < 0) {
        setError("draining the sound stream failed", code);
        return false;
    }
    return true;
}

void PulseStream::flush()
{
    int code = 0;
    if (m_stream)
        pa_simple_flush(m_stream, &code);
}

void PulseStream::close()
{
    if (m_stream) {
        pa_simple_free(m_stream);
        m_stream = nullptr;
    }
}

} // namespace tilvano::sound
