#include "Platform/AppIcon.h"

#include "VeskAppIcon.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace vesk {

QImage appIconImage(double side, double scale)
{
    const int pixels = std::max(1, int(std::ceil(side * scale)));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QByteArray(generated::appIconSvg));
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    painter.end();
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
