// The bitmap a reader decodes into once it has accepted a header: the caller's
// own storage when it already has that size and nobody shares it (a loader
// reused for a folder of equal pictures), otherwise a new one.
#pragma once

#include "platform/Bitmap.h"

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

// False when there is not enough memory; the bitmap is then untouched.
inline bool ReuseOrAllocate(QImage &bitmap, int width, int height)
{
    if (bitmap.width() == width && bitmap.height() == height && bitmap.format() == BitmapFormat && bitmap.isDetached())
        return true;
    QImage fresh(width, height, BitmapFormat);
    if (fresh.isNull())
        return false;
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    // A large new bitmap is written once from end to end: huge pages save
    // most of the page faults that would otherwise cost more than the copy.
    const quintptr huge = quintptr(2) << 20;
    const quintptr begin = (quintptr(fresh.bits()) + huge - 1) & ~(huge - 1);
    const quintptr end = (quintptr(fresh.bits()) + quintptr(fresh.sizeInBytes())) & ~(huge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#endif
    bitmap = std::move(fresh);
    return true;
}
