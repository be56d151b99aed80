#include "imagefiles/ExifThumbnail.h"

#include <QTransform>

#include <algorithm>

namespace {
// A TIFF structure of either byte order within the Exif segment.
class Tiff
{
public:
    Tiff(const uchar *data, qsizetype size) : m_data(data), m_size(size)
    {
        if (size >= 8 && data[0] == 'I' && data[1] == 'I')
            m_little = true;
        else if (size >= 8 && data[0] == 'M' && data[1] == 'M')
            m_little = false;
        else
            return;
        m_valid = U16(2) == 42;
    }
    bool Valid() const { return m_valid; }
    bool Has(qsizetype at, qsizetype n) const { return at >= 0 && n >= 0 && at <= m_size && n <= m_size - at; }
    quint32 U16(qsizetype at) const
    {
        if (!Has(at, 2))
            return 0;
        return m_little ? quint32(m_data[at] | (m_data[at + 1] << 8)) : quint32((m_data[at] << 8) | m_data[at + 1]);
    }
    quint32 U32(qsizetype at) const
    {
        if (!Has(at, 4))
            return 0;
        const quint32 lo = U16(m_little ? at : at + 2), hi = U16(m_little ? at + 2 : at);
        return (hi << 16) | lo;
    }
    // A SHORT or LONG entry's single value, which sits in the entry itself.
    bool EntryValue(qsizetype entry, quint32 *value) const
    {
        const quint32 type = U16(entry + 2), count = U32(entry + 4);
        if (count != 1)
            return false;
        if (type == 3)
            *value = U16(entry + 8);
        else if (type == 4)
            *value = U32(entry + 8);
        else
            return false;
        return true;
    }
    // The entries of the directory at offset, or -1 when it does not fit.
    int EntryCount(quint32 offset) const
    {
        const quint32 n = U16(offset);
        return Has(offset, 2 + qsizetype(n) * 12 + 4) ? int(n) : -1;
    }

private:
    const uchar *m_data;
    qsizetype m_size;
    bool m_little = false;
    bool m_valid = false;
};

// Directories with more entries than this are not a camera's.
constexpr int MaxEntries = 512;

ExifThumbnail FromTiff(const uchar *data, qsizetype size)
{
    const Tiff t(data, size);
    if (!t.Valid())
        return {};
    ExifThumbnail found;
    const quint32 ifd0 = t.U32(4);
    const int n0 = t.EntryCount(ifd0);
    if (n0 < 0 || n0 > MaxEntries)
        return {};
    for (int i = 0; i < n0; ++i) {
        const qsizetype e = qsizetype(ifd0) + 2 + qsizetype(i) * 12;
        quint32 v = 0;
        if (t.U16(e) == 0x0112 && t.EntryValue(e, &v) && v >= 1 && v <= 8)
            found.orientation = int(v);
    }
    const quint32 ifd1 = t.U32(qsizetype(ifd0) + 2 + qsizetype(n0) * 12);
    if (ifd1 == 0 || ifd1 == ifd0)
        return found;
    const int n1 = t.EntryCount(ifd1);
    if (n1 < 0 || n1 > MaxEntries)
        return found;
    quint32 offset = 0, length = 0, compression = 6;
    for (int i = 0; i < n1; ++i) {
        const qsizetype e = qsizetype(ifd1) + 2 + qsizetype(i) * 12;
        quint32 v = 0;
        if (!t.EntryValue(e, &v))
            continue;
        switch (t.U16(e)) {
        case 0x0201: offset = v; break;
        case 0x0202: length = v; break;
        case 0x0103: compression = v; break;
        default: break;
        }
    }
    // Only a JPEG thumbnail (uncompressed ones are rare and need more tags).
    if (compression != 6 || length < 4 || !t.Has(offset, length))
        return found;
    const uchar *jpeg = data + offset;
    if (jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return found;
    found.jpeg = QByteArray(reinterpret_cast<const char *>(jpeg), qsizetype(length));
    return found;
}
} // namespace

ExifThumbnail FindExifThumbnail(const QByteArray &file)
{
    const auto *d = reinterpret_cast<const uchar *>(file.constData());
    const qsizetype size = file.size();
    if (size < 4 || d[0] != 0xFF || d[1] != 0xD8)
        return {};
    qsizetype pos = 2;
    // The Exif segment comes first or nearly so; a file with this many
    // segments before its scan has none worth looking for.
    for (int segments = 0; segments < 32 && pos + 4 <= size; ++segments) {
        if (d[pos] != 0xFF)
            return {};
        const uchar marker = d[pos + 1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) // the scan, or the end: nothing before it
            return {};
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            pos += 2;
            continue;
        }
        const qsizetype length = (qsizetype(d[pos + 2]) << 8) | d[pos + 3];
        if (length < 2 || length > size - pos - 2)
            return {};
        const uchar *segment = d + pos + 4;
        const qsizetype segmentSize = length - 2;
        // The first Exif segment is the photo's.
        if (marker == 0xE1 && segmentSize > 6 && std::equal(segment, segment + 6, "Exif\0\0"))
            return FromTiff(segment + 6, segmentSize - 6);
        pos += 2 + length;
    }
    return {};
}

QImage Upright(const QImage &stored, int orientation)
{
    // Worked out from the tag's definition: 6 is "row 0 is the visual right",
    // a quarter turn clockwise to stand upright; 5 and 7 are that turn with
    // a mirror across the picture.
    const QTransform quarter = QTransform().rotate(90);
    switch (orientation) {
    case 2: return stored.mirrored(true, false);
    case 3: return stored.mirrored(true, true);
    case 4: return stored.mirrored(false, true);
    case 5: return stored.transformed(quarter).mirrored(true, false);
    case 6: return stored.transformed(quarter);
    case 7: return stored.transformed(quarter).mirrored(false, true);
    case 8: return stored.transformed(QTransform().rotate(270));
    default: return stored;
    }
}
