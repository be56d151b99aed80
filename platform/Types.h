// Basic value types shared by every layer: colours, dash styles, the
// single-precision scalar and the rounding rules used for pixel geometry.
#pragma once

#include <QtGlobal>
#include <cmath>
#include <cstdint>

using Single = float;

// 32-bit ARGB, alpha in the top byte (the same layout as QRgb).
using TAlphaColor = quint32;

enum TStrokeDash : quint8 {
    sdSolid = 0,
    sdDash = 1,
    sdDot = 2,
    sdDashDot = 3,
    sdDashDotDot = 4,
    sdCustom = 5,
};

// Conversions to whole pixels round to nearest with ties to even.
inline long long RoundEven(double v) { return static_cast<long long>(std::nearbyint(v)); }

// Truncation goes towards zero.
inline long long TruncZero(double v) { return static_cast<long long>(std::trunc(v)); }

// Integer division that truncates towards zero (C++ already does, kept explicit
// so callers can say what they mean).
inline int DivZero(int a, int b) { return a / b; }
