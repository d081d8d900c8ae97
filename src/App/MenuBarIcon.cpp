#include "App/MenuBarIcon.h"

#include <QPainterPath>

#include <cmath>

namespace vesk::MenuBarIcon {

namespace {

// The icon is designed with the origin at the bottom left and y growing upwards; every rectangle
// is flipped into Qt's top-left, y-down coordinates here, once.
QRectF flipped(double x, double y, double w, double h) { return QRectF(x, side - y - h, w, h); }

QPainterPath rounded(double x, double y, double w, double h, double radius)
{
    QPainterPath p;
    p.addRoundedRect(flipped(x, y, w, h), radius, radius);
    return p;
}

QPainterPath evenOdd(QPainterPath outer, const QPainterPath &inner)
{
    outer.addPath(inner);
    outer.setFillRule(Qt::OddEvenFill);
    return outer;
}

}  // namespace

void draw(QPainter &painter, const QColor &color)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // The ring, 1.5 points wide.
    painter.fillPath(evenOdd(rounded(0.75, 0.75, 16.5, 16.5, 5.0), rounded(2.25, 2.25, 13.5, 13.5, 3.7)), color);
    // The rounded square with the island cut out as a capsule.
    painter.fillPath(evenOdd(rounded(3.0, 3.0, 12.0, 12.0, 3.1), rounded(4.6, 7.2, 8.8, 3.6, 1.8)), color);
    // Inside the capsule: the artwork dot and the visualiser's four bars.
    painter.fillPath(rounded(5.4, 8.05, 1.9, 1.9, 0.5), color);
    const double xs[4] = {9.4, 10.35, 11.3, 12.25};
    const double ys[4][2] = {{8.5, 1.0}, {8.0, 2.0}, {8.3, 1.4}, {8.0, 2.0}};
    for (int i = 0; i < 4; ++i)
        painter.fillPath(rounded(xs[i], ys[i][0], 0.6, ys[i][1], 0.3), color);
    painter.restore();
}

QImage render(double scale, const QColor &color)
{
    const int pixels = int(std::ceil(side * scale - 1e-9));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.scale(scale, scale);
        draw(painter, color);
    }
    image.setDevicePixelRatio(scale);
    return image;
}

const QImage &image()
{
    static const QImage shared = render(2.0);
    return shared;
}

}  // namespace vesk::MenuBarIcon
