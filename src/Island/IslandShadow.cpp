#include "Island/IslandShadow.h"

#include "Kit/Effects.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <deque>
#include <tuple>

namespace vesk {

using namespace kit;

namespace {

// Blur sigma, in pixels of the low-resolution image; more adds nothing visible to a soft shadow.
constexpr double workingSigma = 3;
constexpr size_t cachedShadows = 6;

struct CachedShadow {
    std::tuple<double, double, double, double, double, double, double, double, double> key;
    QImage image;
};

double marginFor(double radius)
{
    return 3 * radius;
}

}  // namespace

QImage islandShadowImage(const IslandShape &outline, QSizeF size, double opacity, double radius, double deviceScale)
{
    static std::deque<CachedShadow> cache;
    const auto key = std::make_tuple(outline.topRadius, outline.topCorner, outline.bottomRadius, size.width(),
                                     size.height(), opacity, radius, deviceScale, workingSigma);
    for (const auto &entry : cache)
        if (entry.key == key)
            return entry.image;

    const double margin = marginFor(radius);
    // Pixels per point of the working image: enough for the shape's own corners at small radii,
    // far fewer than the screen's for wide soft shadows.
    const double scale = radius > 0 ? std::min(deviceScale, workingSigma / radius) : deviceScale;
    const QSize pixels(std::max(1, int(std::ceil((size.width() + 2 * margin) * scale))),
                       std::max(1, int(std::ceil((size.height() + 2 * margin) * scale))));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        p.translate(margin, margin);
        p.fillPath(outline.path(QRectF(QPointF(0, 0), size)), QColor::fromRgbF(0, 0, 0, std::clamp(opacity, 0.0, 1.0)));
    }
    gaussianBlur(image, radius * scale);
    cache.push_front({key, image});
    if (cache.size() > cachedShadows)
        cache.pop_back();
    return image;
}

Element IslandShadow(const IslandShape &outline, const IslandShadowPlan &shadow)
{
    const std::vector<double> values{shadow.opacity, shadow.radius, shadow.y, outline.topRadius, outline.topCorner,
                                     outline.bottomRadius};
    return Painter(AnyValue::of(QStringLiteral("islandShadow")), values,
                   [](QPainter &painter, const QRectF &rect, const std::vector<double> &v) {
                       const double opacity = v[0], radius = std::max(0.0, v[1]), y = v[2];
                       if (opacity <= 0.001)
                           return;
                       const IslandShape shape{v[3], v[4], v[5]};
                       const double deviceScale = std::max(1.0, painter.transform().m11());
                       // Rounded so that a spring's last tiny moves reuse the cached image.
                       auto round = [](double x) { return std::round(x * 100) / 100; };
                       const QImage image = islandShadowImage(shape, QSizeF(round(rect.width()), round(rect.height())),
                                                              round(opacity), round(radius), deviceScale);
                       const double margin = marginFor(round(radius));
                       painter.setRenderHint(QPainter::SmoothPixmapTransform);
                       painter.drawImage(QRectF(rect.x() - margin, rect.y() - margin + y,
                                                round(rect.width()) + 2 * margin, round(rect.height()) + 2 * margin),
                                         image);
                   })
        .allowsHitTesting(false);
}

}  // namespace vesk
