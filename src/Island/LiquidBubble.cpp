#include "Island/LiquidBubble.h"

#include "Island/PeekView.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vesk {

using namespace kit;

namespace {

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double smooth(double x) { return x * x * (3 - 2 * x); }

}  // namespace

LiquidBubble::Shape LiquidBubble::shape(double p, Size island, Size bubble, double gap)
{
    Shape s;
    const double c = clamp01(p);
    s.dropHeight = bubble.height * (0.62 + 0.38 * smooth(clamp01(p / 0.8)) + 0.06 * std::max(p - 1, 0.0));
    const double start = island.width - 0.95 * s.dropHeight;
    const double end = island.width + gap;
    // Unclamped: an overshooting spring carries the drop past its place.
    s.dropX = start + p * (end - start);
    s.dropY = (island.height - s.dropHeight) / 2;
    s.dropWidth = s.dropHeight + smooth(clamp01((p - 0.25) / 0.75)) * std::max(bubble.width - bubble.height, 0.0);
    s.neck = 0.32 * bubble.height * smooth(clamp01(c / 0.12)) * (1 - smooth(clamp01((c - 0.62) / (0.95 - 0.62))));
    s.moving = c > 0.001 && c < 0.999;
    s.readoutOpacity = smooth(clamp01((p - 0.84) / (1 - 0.84)));
    s.readoutScale = 0.9 + 0.1 * c;
    s.readoutX = island.width + gap + (s.moving ? (s.dropX - island.width - gap) / 2 : 0);
    s.readoutY = (island.height - bubble.height) / 2;
    return s;
}

namespace {

// The drop (and, while the neck holds, the capsule) in canvas coordinates: the capsule's origin
// sits at (pad, pad).
Element dropCanvas(const LiquidBubble::Shape &s, Size island, Size bubble, double gap)
{
    const double pad = LiquidBubble::pad;
    const double width = bubble.width + island.width + gap + 70;
    const double height = island.height + 40;
    const QRectF drop(pad + s.dropX, pad + s.dropY, s.dropWidth, s.dropHeight);
    if (s.neck <= LiquidBubble::neckThreshold) {
        // A resting (or nearly separate) bubble: one filled shape, no offscreen layer.
        return Fill(RoundedRectangle(s.dropHeight / 2), Color::black())
            .frame(s.dropWidth, s.dropHeight)
            .offset(drop.x() - pad, drop.y() - pad);
    }
    const QRectF capsule(pad, pad, island.width, island.height);
    Element both = Painter(
        AnyValue::of(QStringLiteral("liquid")), {drop.x(), drop.y(), drop.width(), drop.height(), capsule.width(), capsule.height()},
        [](QPainter &p, const QRectF &, const std::vector<double> &v) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            p.drawRoundedRect(QRectF(LiquidBubble::pad, LiquidBubble::pad, v[4], v[5]), v[5] / 2, v[5] / 2);
            p.drawRoundedRect(QRectF(v[0], v[1], v[2], v[3]), v[3] / 2, v[3] / 2);
        },
        QSizeF(width, height));
    // Blurred and cut back to solid black at half coverage: capsule and drop join through a neck.
    // Only what lies right of a line inside the capsule's right end is kept: the island draws the
    // capsule itself.
    const double clipX = pad + island.width - 0.32 * island.height;
    return both.frame(width, height)
        .blur(s.neck)
        .alphaThreshold(0.5, 1.0, Color::black())
        .offset(-clipX, 0)
        .frame(std::max(0.0, width - clipX), height, Alignment::topLeading())
        .clipped()
        .offset(clipX - pad, -pad);
}

}  // namespace

Element LiquidBubble::body(const Env &) const
{
    NotchViewModel *m = model;
    const Size is = island, bs = bubble;
    const double g = gap;
    const std::optional<Peek> shown = peek;
    const std::function<void(double)> report = onWidth;
    // The number stays in place without a peek too, so that a bubble arriving moves out from the
    // capsule instead of appearing where it rests.
    return Animatable(progress, [m, is, bs, g, shown, report](double p) {
        if (!shown)
            return Empty();
        const Shape s = shape(p, is, bs, g);
        // The drop's look is a function of the presented number alone: it never fades in or out.
        // Only the topmost node that appears runs a transition, so the stack holding drop and
        // readout (new when the first peek arrives) appears at once: a fade would turn the drop
        // grey while it leaves the capsule.
        Element canvas = p > 0.001 ? dropCanvas(s, is, bs, g).transition(Transition::identity()) : Empty();
        Element readout = view(PeekView{m, *shown, true})
                              .frame(std::nullopt, bs.height)
                              .fixedSize()
                              .onSizeChange([report](QSizeF size) {
                                  if (report)
                                      report(size.width());
                              })
                              .opacity(s.readoutOpacity)
                              .scaleEffect(s.readoutScale, UnitPoint::leading())
                              .offset(s.readoutX, s.readoutY);
        return ZStack({.alignment = Alignment::topLeading()}, canvas, readout).transition(Transition::identity());
    });
}

}  // namespace vesk
