#include "NowPlaying/ArtworkImage.h"

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

QColor accent(const QImage &source)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        return QColor(Qt::white);
    const QImage pixels = source.format() == QImage::Format_ARGB32_Premultiplied
        ? source
        : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    unsigned long long red = 0, green = 0, blue = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            red += qRed(row[x]);
            green += qGreen(row[x]);
            blue += qBlue(row[x]);
        }
    }
    const double count = double(pixels.width()) * pixels.height();
    auto mean = [count](unsigned long long sum) { return int(std::lround(double(sum) / count)); };
    const QColor average(mean(red), mean(green), mean(blue));
    float hue = 0, saturation = 0, value = 0;
    average.getHsvF(&hue, &saturation, &value);
    if (hue < 0)  // a grey has no hue
        hue = 0;
    return QColor::fromHsvF(hue, std::min(saturation * 1.3f, 0.8f), std::max(value, 0.85f), 1.0f);
}

}  // namespace vesk::artwork
