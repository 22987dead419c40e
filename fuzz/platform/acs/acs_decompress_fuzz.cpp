// Fuzz target: the image decompressor. The first two bytes give the expected size, the rest
// is the stream. A stream that inflates must also survive our compressor and come back.

#include "platform/acs/AcsCompression.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tilvano::acs;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const qsizetype expected = qsizetype(data[0]) | qsizetype(data[1]) << 8;
    const QByteArrayView stream(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));
    const auto plain = AcsCompression::decompress(stream, expected);
    if (!plain)
        return 0;
    if (plain->size() != expected)
        std::abort();
    if (AcsCompression::decompress(AcsCompression::compress(*plain), expected) != plain)
        std::abort();
    if (AcsCompression::decompress(AcsCompression::compressLiteral(*plain), expected) != plain)
        std::abort();
    return 0;
}
