#include "Island/IslandShadow.h"

#include "Kit/Blur.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <deque>
#include <tuple>
#include <vector>

namespace vesk {

using namespace kit;

namespace {

// Blur sigma, in pixels of the low-resolution image; more adds nothing visible to a soft shadow.
constexpr double workingSigma = 3;
constexpr size_t cachedShadows = 6;

struct CachedShadow {
    std::tuple<double, double, double, double, double, double, double, double, double, std::optional<ShadowFade>> key;
    QImage image;
};

double marginFor(double radius)
{
    return 3 * radius;
}

// Multiplies each row of `image` (`scale` pixels a point, its top `margin` points above the
// island's) by how much of the shadow is left there across `fade`: a smoothstep, so neither end
// of the band shows as a line. The image is stretched up bilinearly, so it is clear a pixel of its
// own before the band's end, and the stretched shadow is clear at the end itself.
void fadeRows(QImage &image, double scale, double margin, const ShadowFade &fade)
{
    const double end = std::max(fade.start, fade.end - 1 / scale);
    const double length = end - fade.start;
    for (int row = 0; row < image.height(); ++row) {
        const double y = (row + 0.5) / scale - margin;
        if (y <= fade.start)
            continue;
        const double t = length > 0 ? std::min(1.0, (y - fade.start) / length) : 1.0;
        const double keep = 1 - t * t * (3 - 2 * t);
        auto *pixel = reinterpret_cast<QRgb *>(image.scanLine(row));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = pixel[x];
            auto scaled = [keep](int channel) { return int(std::lround(channel * keep)); };
            pixel[x] = qRgba(scaled(qRed(p)), scaled(qGreen(p)), scaled(qBlue(p)), scaled(qAlpha(p)));
        }
    }
}

}  // namespace

std::optional<ShadowFade> shadowFadeFor(double height, double radius, double y, double roomBelow)
{
    // How far under the island's bottom edge the shadow's picture reaches, offset included.
    const double reach = marginFor(radius) + y;
    const double length = std::min(reach, std::max(0.0, roomBelow));
    if (roomBelow - length >= reach)
        return std::nullopt;  // the band lies wholly below the picture
    const double end = height + roomBelow - y;
    return ShadowFade{end - length, end};
}

QImage islandShadowImage(const IslandShape &outline, QSizeF size, double opacity, double radius, double deviceScale,
                         std::optional<ShadowFade> fade)
{
    static std::deque<CachedShadow> cache;
    const auto key = std::make_tuple(outline.topRadius, outline.topCorner, outline.bottomRadius, size.width(),
                                     size.height(), opacity, radius, deviceScale, workingSigma, fade);
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
    if (fade)
        fadeRows(image, scale, margin, *fade);
    cache.push_front({key, image});
    if (cache.size() > cachedShadows)
        cache.pop_back();
    return image;
}

namespace {

// Shadows as they landed on the device. While an island rests, each frame shows the same picture,
// and a plain copy of it costs a fraction of stretching the low-resolution image again. One entry
// per island on screen.
struct DevicePicture {
    qint64 sourceKey = 0;
    QTransform subPixel;  // the world transform with only the fraction of a pixel left of its translation
    QRectF rect;
    int hints = 0;
    QImage picture;  // made the second time the same shadow is drawn
    QPoint at;
};
constexpr size_t devicePictures = 4;

// The transform with its translation cut to the fraction of a pixel, and the whole pixels cut off.
std::pair<QTransform, QPoint> splitTranslation(const QTransform &t)
{
    const double fx = std::floor(t.dx()), fy = std::floor(t.dy());
    return {QTransform(t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.dx() - fx, t.dy() - fy, t.m33()),
            QPoint(int(fx), int(fy))};
}

// The whole device pixels of `inside` (in the painter's coordinates) under `painter`'s transform.
QRect wholePixelsWithin(const QPainter &painter, const QRectF &inside)
{
    const QRectF device = painter.worldTransform().mapRect(inside);
    return QRect(QPoint(int(std::ceil(device.left())), int(std::ceil(device.top()))),
                 QPoint(int(std::floor(device.right())) - 1, int(std::floor(device.bottom())) - 1));
}

// `shown` with `hole` cut out: up to four bands around it.
std::vector<QRect> around(const QRect &shown, const QRect &hole)
{
    const QRect cut = shown & hole;
    if (cut.isEmpty())
        return {shown};
    std::vector<QRect> bands{QRect(QPoint(shown.left(), shown.top()), QPoint(shown.right(), cut.top() - 1)),
                             QRect(QPoint(shown.left(), cut.bottom() + 1), QPoint(shown.right(), shown.bottom())),
                             QRect(QPoint(shown.left(), cut.top()), QPoint(cut.left() - 1, cut.bottom())),
                             QRect(QPoint(cut.right() + 1, cut.top()), QPoint(shown.right(), cut.bottom()))};
    std::erase_if(bands, [](const QRect &b) { return b.isEmpty(); });
    return bands;
}

void drawShadow(QPainter &painter, const QImage &image, const QRectF &target, const QRectF &covered)
{
    static std::deque<DevicePicture> drawn;
    const auto [subPixel, whole] = splitTranslation(painter.worldTransform());
    const int hints = int(painter.renderHints() | QPainter::SmoothPixmapTransform);
    const auto found = std::find_if(drawn.begin(), drawn.end(), [&](const DevicePicture &d) {
        return d.sourceKey == image.cacheKey() && d.subPixel == subPixel && d.rect == target && d.hints == hints;
    });
    if (found == drawn.end()) {
        // A shadow seen once may be a frame of a moving island: it is stretched as it is drawn.
        drawn.push_front({image.cacheKey(), subPixel, target, hints, {}, {}});
        if (drawn.size() > devicePictures)
            drawn.pop_back();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image);
        return;
    }
    DevicePicture &d = *found;
    if (d.picture.isNull()) {
        // Stretched exactly as above, into a picture of the pixels it touches: copied back at a
        // whole-pixel offset, it gives the same pixels.
        const QRect pixels = subPixel.mapRect(target).toAlignedRect();
        d.picture = QImage(pixels.size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        d.picture.fill(Qt::transparent);
        d.at = pixels.topLeft();
        QPainter p(&d.picture);
        p.setRenderHints(QPainter::RenderHints(hints));
        p.setWorldTransform(subPixel * QTransform::fromTranslate(-pixels.x(), -pixels.y()));
        p.drawImage(target, image);
    }
    // Where the island's opaque body will cover the shadow, copying it would change no pixel.
    const QRect hole = covered.isEmpty() ? QRect() : wholePixelsWithin(painter, covered);
    const QPoint at = d.at + whole;
    painter.save();
    painter.resetTransform();
    for (const QRect &band : around(QRect(at, d.picture.size()), hole))
        painter.drawImage(band.topLeft(), d.picture, band.translated(-at));
    painter.restore();
}

}  // namespace

Element IslandShadow(const IslandShape &outline, const IslandShadowPlan &shadow, double roomBelow)
{
    // The room below animates with the island's height, so the fade keeps to the panel's edge.
    const std::vector<double> values{shadow.opacity,     shadow.radius,      shadow.y,
                                     outline.topRadius,  outline.topCorner,  outline.bottomRadius,
                                     shadow.coveredInside ? 1.0 : 0.0,       roomBelow};
    return Painter(AnyValue::of(QStringLiteral("islandShadow")), values,
                   [](QPainter &painter, const QRectF &rect, const std::vector<double> &v) {
                       const double opacity = v[0], radius = std::max(0.0, v[1]), y = v[2];
                       if (opacity <= 0.001)
                           return;
                       const IslandShape shape{v[3], v[4], v[5]};
                       const double deviceScale = std::max(1.0, painter.transform().m11());
                       // Rounded so that a spring's last tiny moves reuse the cached image.
                       auto round = [](double x) { return std::round(x * 100) / 100; };
                       const QSizeF size(round(rect.width()), round(rect.height()));
                       const QImage image = islandShadowImage(shape, size, round(opacity), round(radius), deviceScale,
                                                              shadowFadeFor(size.height(), round(radius), y, round(v[7])));
                       const double margin = marginFor(round(radius));
                       const QRectF inside = v[6] > 0.999 ? shape.solidPart(rect) : QRectF();
                       drawShadow(painter, image,
                                  QRectF(rect.x() - margin, rect.y() - margin + y, size.width() + 2 * margin,
                                         size.height() + 2 * margin),
                                  inside);
                   })
        .allowsHitTesting(false);
}

}  // namespace vesk
