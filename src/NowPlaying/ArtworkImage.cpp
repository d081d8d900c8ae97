#include "NowPlaying/ArtworkImage.h"
#include "Platform/ImageFormat.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace vesk::artwork {

std::optional<QImage> image(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    nameImageFormat(reader);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid()) {
        const int longer = std::max(size.width(), size.height());
        if (longer > thumbnailLimit) {
            const double scale = double(thumbnailLimit) / longer;
            reader.setScaledSize(QSize(std::max(1, int(std::lround(size.width() * scale))),
                                       std::max(1, int(std::lround(size.height() * scale)))));
        }
    }
    QImage decoded = reader.read();
    if (decoded.isNull())
        return std::nullopt;
    // A reader that cannot tell the size first decodes in full: reduce it here.
    const int longer = std::max(decoded.width(), decoded.height());
    if (longer > thumbnailLimit)
        decoded = decoded.scaled(QSize(thumbnailLimit, thumbnailLimit), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return decoded;
}

namespace {

// Adds one row's channel sums, straight alpha weighed by alpha. Sums in `Sum` (32 bits where they
// cannot overflow, so that the loops run four or eight pixels at a time).
template <typename Sum>
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("tree-vectorize")))
#endif
void addRow(const QRgb *row, int width, bool straight, unsigned long long &red, unsigned long long &green,
            unsigned long long &blue)
{
    Sum r = 0, g = 0, b = 0;
    if (straight) {
        for (int x = 0; x < width; ++x) {
            const Sum p = row[x], a = p >> 24;
            r += ((p >> 16) & 0xFF) * a;
            g += ((p >> 8) & 0xFF) * a;
            b += (p & 0xFF) * a;
        }
    } else {
        for (int x = 0; x < width; ++x) {
            const Sum p = row[x];
            r += (p >> 16) & 0xFF;
            g += (p >> 8) & 0xFF;
            b += p & 0xFF;
        }
    }
    red += r;
    green += g;
    blue += b;
}

}  // namespace

QColor accent(const QImage &source)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        return QColor(Qt::white);
    // Opaque and premultiplied pixels are summed as they are; straight alpha is weighed by its
    // alpha on the way (the sum of the premultiplied values, unrounded, 255 times over); other
    // formats are converted first.
    const QImage::Format format = source.format();
    const bool straight = format == QImage::Format_ARGB32;
    const QImage pixels = straight || format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied
        ? source
        : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    unsigned long long red = 0, green = 0, blue = 0;
    const int width = pixels.width();
    const bool narrow = width <= 65000;  // 65000 x 255 x 255 < 2^32: a row's sums fit in 32 bits
    for (int y = 0; y < pixels.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        if (narrow)
            addRow<unsigned>(row, width, straight, red, green, blue);
        else
            addRow<unsigned long long>(row, width, straight, red, green, blue);
    }
    const double count = double(width) * pixels.height() * (straight ? 255.0 : 1.0);
    auto mean = [count](unsigned long long sum) { return int(std::lround(double(sum) / count)); };
    const QColor average(mean(red), mean(green), mean(blue));
    float hue = 0, saturation = 0, value = 0;
    average.getHsvF(&hue, &saturation, &value);
    if (hue < 0)  // a grey has no hue
        hue = 0;
    return QColor::fromHsvF(hue, std::min(saturation * 1.3f, 0.8f), std::max(value, 0.85f), 1.0f);
}

}  // namespace vesk::artwork
