// libFuzzer target for finding a camera's thumbnail in a JPEG's Exif segment:
// whatever the bytes, what is found lies within them and starts as a JPEG.
#include "imagefiles/ExifThumbnail.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const ExifThumbnail found = FindExifThumbnail(bytes);
    if (found.orientation < 1 || found.orientation > 8)
        std::abort();
    if (!found.jpeg.isEmpty()
        && (found.jpeg.size() > bytes.size() || !bytes.contains(found.jpeg) || uchar(found.jpeg[0]) != 0xFF))
        std::abort();
    return 0;
}
