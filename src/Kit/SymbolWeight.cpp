#include "Kit/SymbolWeight.h"

#include "Kit/SymbolTable.h"

#include <QPainter>
#include <QPainterPathStroker>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <unordered_map>

namespace kit {

namespace {

// Counts the 4- or 8-connected regions of cells where `inside` holds, and whether each touches the
// image's edge.
template <typename Inside>
std::pair<int, int> regions(int w, int h, Inside inside, bool diagonal)
{
    std::vector<char> seen(size_t(w) * size_t(h), 0);
    std::vector<std::pair<int, int>> stack;
    int all = 0, enclosed = 0;
    for (int y0 = 0; y0 < h; ++y0)
        for (int x0 = 0; x0 < w; ++x0) {
            if (seen[size_t(y0) * size_t(w) + size_t(x0)] || !inside(x0, y0))
                continue;
            ++all;
            bool edge = false;
            stack.assign(1, {x0, y0});
            seen[size_t(y0) * size_t(w) + size_t(x0)] = 1;
            while (!stack.empty()) {
                const auto [x, y] = stack.back();
                stack.pop_back();
                edge = edge || x == 0 || y == 0 || x == w - 1 || y == h - 1;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        if ((dx == 0 && dy == 0) || (!diagonal && dx != 0 && dy != 0))
                            continue;
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                            continue;
                        char &s = seen[size_t(ny) * size_t(w) + size_t(nx)];
                        if (!s && inside(nx, ny)) {
                            s = 1;
                            stack.push_back({nx, ny});
                        }
                    }
            }
            enclosed += edge ? 0 : 1;
        }
    return {all, enclosed};
}

InkShape inkShapeAt(const QImage &source, int threshold)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width(), h = image.height();
    auto ink = [&](int x, int y) {
        return qAlpha(reinterpret_cast<const QRgb *>(image.constScanLine(y))[x]) >= threshold;
    };
    InkShape shape;
    shape.parts = regions(w, h, ink, true).first;
    // Holes are the background's regions that do not reach the edge; the ink is 8-connected, so
    // the background is 4-connected (a diagonal step between two ink pixels is no way out).
    shape.holes = regions(w, h, [&](int x, int y) { return !ink(x, y); }, false).second;
    auto runs = [&](bool row) {
        int count = 0;
        bool was = false;
        const int n = row ? w : h;
        for (int i = 0; i < n; ++i) {
            const bool now = row ? ink(i, h / 2) : ink(w / 2, i);
            count += now && !was ? 1 : 0;
            was = now;
        }
        return count;
    };
    shape.rowRuns = runs(true);
    shape.columnRuns = runs(false);
    return shape;
}

QImage drawn(const QPainterPath &outline, double devicePixels, double extra, const QColor &color)
{
    const int px = int(std::ceil(devicePixels)) + 2 * symbolImagePadding;
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(symbolImagePadding, symbolImagePadding);
    // Opaque, so the fill and the stroke around it are one ink: the union of the two, which a
    // translucent symbol then fades as one picture.
    p.fillPath(outline, color);
    if (extra > 0)
        p.strokePath(outline, QPen(color, extra, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    return image;
}

QString sizeKey(const QString &name, double devicePixels, Weight weight)
{
    return QStringLiteral("%1|%2|%3").arg(name).arg(std::lround(devicePixels * 8)).arg(int(weight));
}

std::map<QString, DrawnSymbol> &census()
{
    static std::map<QString, DrawnSymbol> drawn;
    return drawn;
}

}  // namespace

InkShape inkShape(const QImage &image) { return inkShapeAt(image, 128); }

QPainterPath symbolOutline(const QString &name, double side)
{
    const std::optional<QPainterPath> outline = SymbolTable::outline(name);
    const QPainterPath unit = outline ? *outline : SymbolTable::fallbackOutline();
    return QTransform().scale(side, side).map(unit);
}

double nominalEmboldening(double devicePixels, Weight weight)
{
    // The stroke's full width around the outline, as a share of the side; light draws as regular.
    static constexpr std::array<double, 5> kExtra = {0, 0, 0.035, 0.06, 0.085};
    return kExtra[size_t(weight)] * devicePixels;
}

double symbolEmboldening(const QString &name, double devicePixels, Weight weight)
{
    const QString key = sizeKey(name, devicePixels, weight);
    census().emplace(key, DrawnSymbol{name, devicePixels, weight});
    const double nominal = nominalEmboldening(devicePixels, weight);
    if (nominal <= 0)
        return 0;
    static std::unordered_map<QString, double> chosen;
    if (auto it = chosen.find(key); it != chosen.end())
        return it->second;
    if (chosen.size() > 1024)
        chosen.clear();
    const QPainterPath outline = symbolOutline(name, devicePixels);
    const QImage regular = drawn(outline, devicePixels, 0, Qt::white);
    // A gap is kept when it is still there at half alpha and still mostly clear (a quarter).
    const InkShape half = inkShapeAt(regular, 128), quarter = inkShapeAt(regular, 64);
    double extra = 0;
    for (double share : {1.0, 0.8, 0.6, 0.4, 0.25}) {
        const QImage bolder = drawn(outline, devicePixels, nominal * share, Qt::white);
        if (inkShapeAt(bolder, 128) == half && inkShapeAt(bolder, 64) == quarter) {
            extra = nominal * share;
            break;
        }
    }
    return chosen.emplace(key, extra).first->second;
}

const QImage &symbolImage(const QString &name, double devicePixels, Weight weight, const QColor &color)
{
    // Filling a glyph outline costs far more than drawing a picture of it, and the same few
    // symbols are drawn every frame.
    static std::unordered_map<QString, QImage> cache;
    const QColor opaque(color.red(), color.green(), color.blue());
    const QString key = sizeKey(name, devicePixels, weight) + u'|' + QString::number(opaque.rgb());
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    if (cache.size() > 512)
        cache.clear();
    QImage image = drawn(symbolOutline(name, devicePixels), devicePixels,
                         symbolEmboldening(name, devicePixels, weight), opaque);
    return cache.emplace(key, std::move(image)).first->second;
}

QPainterPath emboldenedOutline(const QPainterPath &outline, double extra)
{
    if (extra <= 0)
        return outline;
    QPainterPathStroker stroker;
    stroker.setWidth(extra);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath grown = outline.united(stroker.createStroke(outline));
    grown.setFillRule(Qt::WindingFill);
    return grown;
}

std::vector<DrawnSymbol> symbolsDrawn()
{
    std::vector<DrawnSymbol> out;
    for (const auto &[key, symbol] : census())
        out.push_back(symbol);
    return out;
}

}  // namespace kit
