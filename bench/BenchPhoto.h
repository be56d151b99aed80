// The picture the board benchmarks draw on: 4000 x 3000 and photo-like, so
// that nothing is faster for being uniform; made once per run.
#pragma once

#include "platform/Bitmap.h"

constexpr int PicW = 4000, PicH = 3000;

inline QImage Photo()
{
    QImage img = NewBitmap(PicW, PicH);
    for (int y = 0; y < PicH; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < PicW; ++x)
            row[x] = qRgb((x / 7 + y / 11) & 255, (x * y / 97) & 255, (x + 3 * y) / 40 & 255);
    }
    return img;
}

inline const QImage &SharedPhoto()
{
    static const QImage photo = Photo();
    return photo;
}
