// A cursor over a block of bytes that cannot read past its end. Every read
// checks the bytes left; a failed read returns zero, leaves the cursor at the
// end and makes the reader not ok for good, so a caller checks once per step.
//
// The bytes are either all in memory or read from a file through a window
// that moves along with the cursor, so reading a picture costs a buffer of a
// few hundred KiB rather than the whole file. A pointer that take() returns
// stays valid only until the next read.
#pragma once

#include <QIODevice>
#include <QtGlobal>

#include <algorithm>
#include <cstring>
#include <vector>

class ByteReader
{
public:
    // Bytes in memory.
    ByteReader(const uchar *data, qint64 size) : m_window(data), m_windowSize(size < 0 ? 0 : size), m_size(m_windowSize)
    { }

    // The first size bytes of an open file, read through a window of at
    // least windowSize bytes (more when a single read asks for more).
    ByteReader(QIODevice &file, qint64 size, qint64 windowSize = qint64(256) << 10)
        : m_window(nullptr),
          m_windowSize(0),
          m_size(size < 0 ? 0 : size),
          m_file(&file),
          m_minWindow(std::max<qint64>(windowSize, 16))
    { }

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
        if (m_pos < m_windowAt || m_pos + count > m_windowAt + m_windowSize) {
            if (!load(count))
                return nullptr;
        }
        const uchar *p = m_window + (m_pos - m_windowAt);
        m_pos += count;
        return p;
    }

    // Copies up to count bytes; returns how many there were.
    qint64 takeUpTo(uchar *dst, qint64 count)
    {
        const qint64 n = qBound<qint64>(0, count, remaining());
        if (n == 0)
            return 0;
        const uchar *p = take(n);
        if (!p)
            return 0;
        std::memcpy(dst, p, size_t(n));
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

    // Reads the window anew from the cursor on. A file that has become
    // shorter since it was opened reads as cut off there.
    bool load(qint64 count)
    {
        if (!m_file)
            return fail();
        const qint64 want = std::min(std::max(count, m_minWindow), remaining());
        if (qint64(m_buffer.size()) < want)
            m_buffer.resize(size_t(want));
        qint64 got = 0;
        if (m_file->seek(m_pos)) {
            while (got < want) {
                const qint64 n = m_file->read(reinterpret_cast<char *>(m_buffer.data()) + got, want - got);
                if (n <= 0)
                    break;
                got += n;
            }
        }
        m_window = m_buffer.data();
        m_windowAt = m_pos;
        m_windowSize = got;
        if (got < count) {
            m_size = m_pos + got; // what is really there
            return fail();
        }
        return true;
    }

    const uchar *m_window;
    qint64 m_windowAt = 0;
    qint64 m_windowSize;
    qint64 m_size;
    qint64 m_pos = 0;
    bool m_ok = true;
    QIODevice *m_file = nullptr;
    qint64 m_minWindow = 0;
    std::vector<uchar> m_buffer;
};
