#pragma once

#include <QByteArray>
#include <QString>
#include <QUuid>
#include <QtEndian>

namespace tilvano::acs {

// Appends little-endian fields in the character file's encodings.
class AcsByteSink {
public:
    void u8(quint8 v) { m_out.append(char(v)); }
    void u16(quint16 v) { append<quint16>(v); }
    void i16(qint16 v) { append<qint16>(v); }
    void u32(quint32 v) { append<quint32>(v); }
    void i32(qint32 v) { append<qint32>(v); }
    void bytes(const QByteArray &b) { m_out.append(b); }

    // Empty strings are just a zero count; others carry a terminating zero unit.
    void string(const QString &s)
    {
        u32(quint32(s.size()));
        if (s.isEmpty())
            return;
        for (QChar c : s)
            u16(c.unicode());
        u16(0);
    }

    void guid(const QUuid &id)
    {
        u32(id.data1);
        u16(id.data2);
        u16(id.data3);
        for (uchar b : id.data4)
            u8(b);
    }

    void dataBlock(const QByteArray &b)
    {
        u32(quint32(b.size()));
        bytes(b);
    }

    qsizetype size() const { return m_out.size(); }
    const QByteArray &data() const { return m_out; }
    QByteArray take() { return std::move(m_out); }

private:
    template<typename T>
    void append(T v)
    {
        char buf[sizeof(T)];
        qToLittleEndian<T>(v, buf);
        m_out.append(buf, sizeof(T));
    }

    QByteArray m_out;
};

} // namespace tilvano::acs
