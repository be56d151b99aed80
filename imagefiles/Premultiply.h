// Conversions between the bitmap's premultiplied colour and the straight
// colour that TGA and PSD files hold. Writers use qUnpremultiply, which
// stores a fully transparent pixel as 0; followed by qPremultiply it gives
// back every value a premultiplied bitmap can hold, so files the program
// writes read back to identical pixels.
#pragma once

#include <QRgb>

// Straight colour from a file becomes premultiplied colour in the bitmap.
inline void PremultiplyRow(quint32 *row, int count)
{
    // Most rows are opaque: one pass the compiler vectorises tells.
    quint32 all = 0xFF000000u;
    for (int i = 0; i < count; ++i)
        all &= row[i];
    if (all == 0xFF000000u)
        return;
    for (int i = 0; i < count; ++i) {
        const quint32 p = row[i];
        if ((p >> 24) != 0xFF)
            row[i] = qPremultiply(p);
    }
}
