#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace tilvano::acs {

// The LZ77-style bit-stream codec that character files use for image pixels and shapes.
//
// Stream: a 0x00 byte, then bits read least significant first. A 0 bit is followed by a
// literal byte; a 1 bit by a back-reference (a distance class selector, the distance, and an
// Elias-gamma-like length), and a back-reference in the widest class with an all-ones
// distance ends the stream.
class AcsCompression {
public:
    // Inflates `compressed` to exactly `expectedSize` bytes. nullopt when the stream is
    // malformed, ends early, refers before the start, or would give any other size. The
    // output never grows beyond expectedSize.
    static std::optional<QByteArray> decompress(QByteArrayView compressed, qsizetype expectedSize);

    // Greedy matching with a hash chain; the output always inflates back to `data`.
    static QByteArray compress(QByteArrayView data);
    // Literals only: larger, but the simplest valid stream (useful to test decoders against).
    static QByteArray compressLiteral(QByteArrayView data);
};

} // namespace tilvano::acs
