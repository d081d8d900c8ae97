#include "Platform/AppIcon.h"

#include "VeskAppIcon.h"

#include <QBuffer>
#include <QImageReader>

#include <cmath>

namespace vesk {

QImage appIconImage(double side, double scale)
{
    const int pixels = std::max(1, int(std::ceil(side * scale)));
    // Through Qt's SVG image plugin, which loads the SVG library only when an icon is first drawn
    // (after the island's first appearance) instead of with the program. Without the plugin the
    // icon is blank.
    QByteArray svg(generated::appIconSvg);
    QBuffer buffer(&svg);
    QImageReader reader(&buffer, "svg");
    reader.setScaledSize(QSize(pixels, pixels));
    QImage image = reader.read();
    if (image.isNull()) {
        image = QImage(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
    }
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    return image;
}

QIcon appIcon()
{
    QIcon icon;
    for (int side : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(appIconImage(side)));
    return icon;
}

}  // namespace vesk
