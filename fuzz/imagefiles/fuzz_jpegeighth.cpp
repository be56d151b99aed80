// libFuzzer target for the eighth-size JPEG reader: whatever the bytes, it
// reads only within them and gives no picture or one of the frame's eighth.
#include "imagefiles/JpegEighth.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // A small limit keeps each input quick; the work per pixel is what is fuzzed.
    const QImage eighth = ReadJpegEighth(bytes, 1 << 16);
    if (!eighth.isNull() && qint64(eighth.width()) * eighth.height() > (1 << 16))
        std::abort();
    return 0;
}
