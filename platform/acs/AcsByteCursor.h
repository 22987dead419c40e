#pragma once

#include <QByteArrayView>
#include <QString>
#include <QUuid>
#include <QtEndian>

namespace tilvano::acs {

// Reads little-endian fields from one block of a character file, never past its end.
//
// A read past the end marks the cursor as failed and yields zeros; callers check ok() after
// a group of fields instead of after each one. Lists must be checked with canHold() before
// looping, so a corrupt count cannot make a loop run for billions of iterations.
class AcsByteCursor {
public:
    explicit AcsByteCursor(QByteArrayView block) : m_block(block) { }

    bool ok() const { return !m_failed; }
    qsizetype position() const { return m_pos; }
    qsizetype remaining() const { return m_failed ? 0 : m_block.size() - m_pos; }
    // Whether `count` items of at least `minItemSize` bytes each can still follow.
    bool canHold(quint64 count, quint64 minItemSize) const
    {
        return !m_failed && count * minItemSize <= quint64(remaining());
    }

    quint8 u8() { return quint8(*take(1)); }
    quint16 u16() { return qFromLittleEndian<quint16>(take(2)); }
    qint16 i16() { return qFromLittleEndian<qint16>(take(2)); }
    quint32 u32() { return qFromLittleEndian<quint32>(take(4)); }
    qint32 i32() { return qFromLittleEndian<qint32>(take(4)); }

    QByteArrayView bytes(quint64 count)
    {
        if (!need(count))
            return {};
        QByteArrayView v = m_block.sliced(m_pos, qsizetype(count));
        m_pos += qsizetype(count);
        return v;
    }

    // Count of UTF-16 units, the units, and a terminator only when the count is non-zero.
    QString string()
    {
        const quint32 units = u32();
        if (units == 0 || m_failed)
            return {};
        if (!need(quint64(units) * 2 + 2))
            return {};
        QString s(qsizetype(units), Qt::Uninitialized);
        const char *src = m_block.data() + m_pos;
        QChar *dst = s.data();
        for (qsizetype i = 0; i < qsizetype(units); ++i)
            dst[i] = QChar(qFromLittleEndian<quint16>(src + 2 * i));
        m_pos += qsizetype(units) * 2 + 2;
        return s;
    }

    QUuid guid()
    {
        const quint32 d1 = u32();
        const quint16 d2 = u16();
        const quint16 d3 = u16();
        const QByteArrayView d4 = bytes(8);
        if (m_failed)
            return {};
        auto b = [&](int i) { return uchar(d4[i]); };
        return QUuid(d1, d2, d3, b(0), b(1), b(2), b(3), b(4), b(5), b(6), b(7));
    }

    void skip(quint64 count) { need(count) ? void(m_pos += qsizetype(count)) : void(); }
    void fail() { m_failed = true; }

private:
    bool need(quint64 count)
    {
        if (m_failed || count > quint64(m_block.size() - m_pos)) {
            m_failed = true;
            return false;
        }
        return true;
    }

    const char *take(qsizetype count)
    {
        static const char zeros[8] = {};
        if (!need(quint64(count)))
            return zeros;
        const char *p = m_block.data() + m_pos;
        m_pos += count;
        return p;
    }

    QByteArrayView m_block;
    qsizetype m_pos = 0;
    bool m_failed = false;
};

} // namespace tilvano::acs
