#pragma once

#include "platform/sound/WaveAudio.h"

#include <QString>

struct pa_simple;

namespace tilvano::sound {

// One blocking playback stream on the sound server (PulseAudio's simple API; PipeWire serves
// it too). Meant for a worker thread: every call may block until the server takes the data.
class PulseStream
{
public:
    PulseStream() = default;
    ~PulseStream();
    PulseStream(const PulseStream &) = delete;
    PulseStream &operator=(const PulseStream &) = delete;

    // Whether the sound server's client library could be loaded (it is loaded on first use).
    static bool isClientLibraryAvailable();

    // Connects for the audio's format; false with errorString() when there is no server.
    bool open(const PcmAudio &format, const QString &streamName);
    bool write(const char *data, qsizetype size);
    bool drain();  // waits until everything written has been heard
    void flush();  // drops what is still buffered, for a prompt stop
    void close();
    bool isOpen() const { return m_stream != nullptr; }
    QString errorString() const { return m_error; }

private:
    void setError(const char *what, int code);

    pa_simple *m_stream = nullptr;
    QString m_error;
};

} // namespace tilvano::sound
