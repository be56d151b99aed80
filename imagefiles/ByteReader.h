// A cursor over a block of bytes that cannot read past its end. Every read
// checks the bytes left; a failed read returns zero, leaves the cursor at the
// end and makes the reader not ok for good, so a caller checks once per step.
#pragma once

#include <QtGlobal>
#include <cstring>

class ByteReader
{
public:
    ByteReader(const uchar *data, qint64 size) : m_data(data), m_size(size < 0 ? 0 : size) {}

    bool ok() const { return m_ok; }
    qint64 pos() const { return m_pos; }
    qint64 size() const { return m_size; }
    qint64 remaining() const { return m_size - m_pos; }
    bool atEnd() const { return m_pos >= m_size; }

    // Moves to an absolute offset; an offset outside the data fails.
    bool seek(qint64 offset)
    {
        if (offset < 0 || offset > m_size)
            return fail();
        m_pos = offset;
        return true;
    }

    bool skip(qint64 count)
    {
        if (count < 0 || count > remaining())
            return fail();
        m_pos += count;
        return true;
    }

    // The next count bytes, or nullptr when fewer are left (the cursor then
    // stands at the end).
    const uchar *take(qint64 count)
    {
        if (count < 0 || count > remaining()) {
            fail();
            return nullptr;
        }
        const uchar *p = m_data + m_pos;
        m_pos += count;
        return p;
    }

    // Copies up to count bytes; returns how many there were.
    qint64 takeUpTo(uchar *dst, qint64 count)
    {
        const qint64 n = qBound<qint64>(0, count, remaining());
        if (n > 0)
            std::memcpy(dst, m_data + m_pos, size_t(n));
        m_pos += n;
        return n;
    }

    quint8 u8()
    {
        const uchar *p = take(1);
        return p ? p[0] : 0;
    }
    quint16 u16le()
    {
        const uchar *p = take(2);
        return p ? quint16(p[0] | (p[1] << 8)) : 0;
    }
    quint32 u32le()
    {
        const uchar *p = take(4);
        return p ? quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24) : 0;
    }
    quint16 u16be()
    {
        const uchar *p = take(2);
        return p ? quint16((p[0] << 8) | p[1]) : 0;
    }
    quint32 u32be()
    {
        const uchar *p = take(4);
        return p ? (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]) : 0;
    }

private:
    bool fail()
    {
        m_ok = false;
        m_pos = m_size;
        return false;
    }

    const uchar *m_data;
    qint64 m_size;
    qint64 m_pos = 0;
    bool m_ok = true;
};
