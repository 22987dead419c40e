#include "AcsCompression.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace tilvano::acs {

namespace {

// Distance classes: selector of k one-bits (k < 3 followed by a zero bit), then `width` bits
// holding distance - bias.
constexpr std::array<int, 4> kDistanceWidth {6, 9, 12, 20};
constexpr std::array<quint32, 4> kDistanceBias {1, 65, 577, 4673};
constexpr quint32 kEndMarker = 0xFFFFF;
constexpr int kMaxLengthPrefix = 12; // twelve one-bits in a length code are invalid
constexpr int kMaxMatch = 4096;

// Bits least significant first, through a 64-bit buffer refilled a byte at a time.
class BitReader {
public:
    explicit BitReader(QByteArrayView in)
        : m_next(reinterpret_cast<const uchar *>(in.data()) + 1) // past the leading zero
        , m_end(reinterpret_cast<const uchar *>(in.data()) + in.size())
    {
    }

    // Each returns false once the input runs out; the stream is then malformed.
    bool bit(quint32 &value) { return bits(1, value); }

    bool bits(int count, quint32 &value) // count <= 20
    {
        if (m_count < count) {
            refill();
            if (m_count < count)
                return false;
        }
        value = quint32(m_buffer & ((quint64(1) << count) - 1));
        m_buffer >>= count;
        m_count -= count;
        return true;
    }

private:
    void refill()
    {
        while (m_count <= 56 && m_next < m_end) {
            m_buffer |= quint64(*m_next++) << m_count;
            m_count += 8;
        }
    }

    const uchar *m_next;
    const uchar *m_end;
    quint64 m_buffer = 0;
    int m_count = 0;
};

class BitWriter {
public:
    BitWriter() { m_out.append('\0'); }

    void put(quint32 value, int count)
    {
        for (int i = 0; i < count; ++i) {
            m_acc |= ((value >> i) & 1u) << m_fill;
            if (++m_fill == 8)
                flushByte();
        }
    }
    void ones(int count)
    {
        for (int i = 0; i < count; ++i)
            put(1, 1);
    }

    QByteArray finish()
    {
        // End marker: a back-reference in the widest class with an all-ones distance.
        put(1, 1);
        ones(3);
        put(kEndMarker, 20);
        while (m_fill != 0)
            put(1, 1);
        m_out.append(3, '\xFF');
        return std::move(m_out);
    }

    void reserve(qsizetype n) { m_out.reserve(n); }

private:
    void flushByte()
    {
        m_out.append(char(m_acc));
        m_acc = 0;
        m_fill = 0;
    }

    QByteArray m_out;
    quint32 m_acc = 0;
    int m_fill = 0;
};

void putLiteral(BitWriter &w, uchar byte)
{
    w.put(0, 1);
    w.put(byte, 8);
}

// Length code for `extra` = length - base: j one-bits, a zero, then j bits of the remainder.
void putLength(BitWriter &w, quint32 extra)
{
    int j = 0;
    while ((2u << j) - 1 <= extra)
        ++j;
    w.ones(j);
    w.put(0, 1);
    w.put(extra - ((1u << j) - 1), j);
}

int distanceClass(quint32 distance)
{
    for (int k = 0; k < 3; ++k)
        if (distance < kDistanceBias[k + 1])
            return k;
    return 3;
}

void putMatch(BitWriter &w, quint32 distance, int length)
{
    const int k = distanceClass(distance);
    w.put(1, 1);
    w.ones(k);
    if (k < 3)
        w.put(0, 1);
    w.put(distance - kDistanceBias[k], kDistanceWidth[k]);
    putLength(w, quint32(length - (k == 3 ? 3 : 2)));
}

// Bits a match costs, to decide whether it beats literals.
int matchCost(quint32 distance, int length)
{
    const int k = distanceClass(distance);
    quint32 extra = quint32(length - (k == 3 ? 3 : 2));
    int j = 0;
    while ((2u << j) - 1 <= extra)
        ++j;
    return 1 + k + (k < 3 ? 1 : 0) + kDistanceWidth[k] + 2 * j + 1;
}

} // namespace

std::optional<QByteArray> AcsCompression::decompress(QByteArrayView compressed, qsizetype expectedSize)
{
    if (compressed.isEmpty() || compressed.front() != '\0' || expectedSize < 0)
        return std::nullopt;

    QByteArray out(expectedSize, Qt::Uninitialized);
    char *dst = out.data();
    qsizetype size = 0;
    BitReader in(compressed);

    for (;;) {
        quint32 flag;
        if (!in.bit(flag))
            return std::nullopt;
        if (flag == 0) {
            quint32 byte;
            if (!in.bits(8, byte) || size >= expectedSize)
                return std::nullopt;
            dst[size++] = char(byte);
            continue;
        }

        int k = 0;
        for (quint32 b = 1; k < 3;) {
            if (!in.bit(b))
                return std::nullopt;
            if (b == 0)
                break;
            ++k;
        }
        quint32 value;
        if (!in.bits(kDistanceWidth[k], value))
            return std::nullopt;
        qsizetype length = 2;
        if (k == 3) {
            if (value == kEndMarker)
                break;
            length = 3; // the widest class only pays off from three bytes on
        }
        const qsizetype distance = qsizetype(value) + kDistanceBias[k];

        int j = 0;
        for (;;) {
            quint32 b;
            if (!in.bit(b))
                return std::nullopt;
            if (b == 0)
                break;
            if (++j == kMaxLengthPrefix)
                return std::nullopt;
        }
        quint32 tail = 0;
        if (!in.bits(j, tail))
            return std::nullopt;
        length += (qsizetype(1) << j) - 1 + tail;

        if (distance > size || length > expectedSize - size)
            return std::nullopt;
        // A distance shorter than the length repeats what is being written: copy byte by byte.
        const char *src = dst + size - distance;
        if (distance >= length)
            std::memcpy(dst + size, src, size_t(length));
        else if (distance == 1)
            std::memset(dst + size, *src, size_t(length));
        else
            for (qsizetype i = 0; i < length; ++i)
                dst[size + i] = src[i];
        size += length;
    }

    if (size != expectedSize)
        return std::nullopt;
    return out;
}

QByteArray AcsCompression::compressLiteral(QByteArrayView data)
{
    BitWriter w;
    w.reserve(data.size() * 9 / 8 + 16);
    for (char c : data)
        putLiteral(w, uchar(c));
    return w.finish();
}

QByteArray AcsCompression::compress(QByteArrayView data)
{
    const auto *in = reinterpret_cast<const uchar *>(data.data());
    const qsizetype n = data.size();
    constexpr int kHashBits = 16;
    // Images repeat rows at a distance of one stride, but a row of background puts a hundred
    // nearer candidates in front of that one; a deep chain still finds it.
    constexpr int kMaxCandidates = 1024;
    // A match this long is good enough; looking further costs more than it saves.
    constexpr int kGoodEnough = 96;
    // Beyond this the 20-bit class rarely pays for itself on images.
    constexpr qsizetype kMaxDistance = 65536;

    std::vector<qint32> head(size_t(1) << kHashBits, -1);
    std::vector<qint32> previous(size_t(std::max<qsizetype>(n, 1)), -1);
    auto hashAt = [&](qsizetype i) { return (quint32(in[i]) << 8 | in[i + 1]) & ((1u << kHashBits) - 1); };
    qsizetype inserted = 0; // positions below this are in the chains
    auto insertUpTo = [&](qsizetype end) {
        for (; inserted < end && inserted + 1 < n; ++inserted) {
            const quint32 h = hashAt(inserted);
            previous[size_t(inserted)] = head[h];
            head[h] = qint32(inserted);
        }
    };

    struct Match {
        int length = 0;
        quint32 distance = 0;
        int savedBits = 0; // against literals; only positive matches are taken
    };
    auto findMatch = [&](qsizetype pos) {
        Match best;
        if (pos + 1 >= n)
            return best;
        insertUpTo(pos);
        const qsizetype limit = std::min<qsizetype>(kMaxMatch, n - pos);
        qint32 candidate = head[hashAt(pos)];
        for (int tries = 0; candidate >= 0 && tries < kMaxCandidates; ++tries) {
            const qsizetype distance = pos - candidate;
            if (distance > kMaxDistance)
                break;
            if (in[candidate + best.length] == in[pos + best.length] || best.length == 0) {
                int length = 0;
                while (length < limit && in[candidate + length] == in[pos + length])
                    ++length;
                const int minimum = distance >= kDistanceBias[3] ? 3 : 2;
                if (length >= minimum) {
                    const int saved = 9 * length - matchCost(quint32(distance), length);
                    if (saved > best.savedBits) {
                        best = {length, quint32(distance), saved};
                        if (length == limit || length >= kGoodEnough)
                            break;
                    }
                }
            }
            candidate = previous[size_t(candidate)];
        }
        return best;
    };

    BitWriter w;
    w.reserve(n / 2 + 16);
    qsizetype pos = 0;
    Match current = findMatch(0);
    while (pos < n) {
        if (current.savedBits <= 0) {
            putLiteral(w, in[pos]);
            current = findMatch(++pos);
            continue;
        }
        // Lazy step: a clearly better match one byte later is worth a literal now.
        const Match next = findMatch(pos + 1);
        if (next.savedBits > current.savedBits + 9) {
            putLiteral(w, in[pos]);
            ++pos;
            current = next;
            continue;
        }
        putMatch(w, current.distance, current.length);
        pos += current.length;
        current = findMatch(pos);
    }
    return w.finish();
}

} // namespace tilvano::acs
