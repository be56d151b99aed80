// What a picture reader reports back, and the size limit every reader checks
// before it allocates a bitmap for what a file's header claims.
#pragma once

#include <QString>
#include <QtGlobal>

enum class ImageReadStatus {
    Read, // the whole picture was decoded
    Truncated, // the data ended early or was damaged; the rows decoded so far stay
    Rejected, // the header was not accepted; the bitmap was not touched
};

struct ImageReadResult {
    ImageReadStatus status = ImageReadStatus::Rejected;
    QString reason; // for the user, when the status is not Read

    bool read() const { return status == ImageReadStatus::Read; }
};

// Like Qt's own image allocation limit: a header asking for more than 1 GiB of
// pixels is refused, so a few bytes of file cannot claim gigabytes of memory.
constexpr qint64 MaxImageBytes = qint64(1) << 30;

inline bool ImageSizeAccepted(qint64 width, qint64 height)
{
    return width > 0 && height > 0 && width <= MaxImageBytes && height <= MaxImageBytes
           && width * height <= MaxImageBytes / 4;
}
