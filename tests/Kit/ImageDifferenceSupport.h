#pragma once

#include <QImage>
#include <QPoint>

#include <algorithm>
#include <cstdlib>

namespace kit::test {

// How two pictures differ: the largest difference of any channel, where it is, and how many
// pixels differ at all. Pictures of different sizes (or none) differ by more than any level.
struct Difference {
    int largest = 0;
    QPoint at;
    int pixels = 0;
};

inline Difference difference(const QImage &a, const QImage &b)
{
    Difference d;
    if (a.size() != b.size() || a.isNull()) {
        d.largest = 256;
        return d;
    }
    const QImage p = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage q = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < p.height(); ++y) {
        const auto *l = reinterpret_cast<const QRgb *>(p.constScanLine(y));
        const auto *r = reinterpret_cast<const QRgb *>(q.constScanLine(y));
        for (int x = 0; x < p.width(); ++x) {
            if (l[x] == r[x])
                continue;
            ++d.pixels;
            const int most = std::max({std::abs(qAlpha(l[x]) - qAlpha(r[x])), std::abs(qRed(l[x]) - qRed(r[x])),
                                       std::abs(qGreen(l[x]) - qGreen(r[x])), std::abs(qBlue(l[x]) - qBlue(r[x]))});
            if (most > d.largest) {
                d.largest = most;
                d.at = QPoint(x, y);
            }
        }
    }
    return d;
}

}  // namespace kit::test
