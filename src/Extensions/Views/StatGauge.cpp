#include "Extensions/Views/StatGauge.h"

#include "Kit/Env.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace vesk {

using namespace kit;

namespace {
constexpr double ringSide = 54;
constexpr double ringWidth = 5;
}  // namespace

void paintCapacityRing(QPainter &painter, const QRectF &rect, double value, const Color &tint)
{
    const double fraction = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
    const double side = std::min(rect.width(), rect.height()) - ringWidth;
    const QRectF circle(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(tint.opacity(0.3).toQColor(), ringWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawEllipse(circle);
    if (fraction <= 0)
        return;
    painter.setPen(QPen(tint.toQColor(), ringWidth, Qt::SolidLine, fraction >= 1 ? Qt::FlatCap : Qt::RoundCap));
    // Qt counts sixteenths of a degree, counter-clockwise from three o'clock.
    painter.drawArc(circle, 90 * 16, -int(std::lround(fraction * 360 * 16)));
}

Element StatGauge::body(const Env &) const
{
    const Color ringTint = tint;
    const double v = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
    Element ring = Painter(AnyValue::of(uint32_t(ringTint.toQColor().rgba())), {v},
                           [ringTint](QPainter &painter, const QRectF &rect, const std::vector<double> &values) {
                               paintCapacityRing(painter, rect, values.empty() ? 0 : values[0], ringTint);
                           });
    // The percent sign sits on the number's baseline: bottoms aligned, lifted by the difference
    // of the two descents.
    const Font number = Font::system(15, Weight::semibold).monospacedDigits();
    const Font percent = Font::system(10, Weight::semibold);
    Element label = HStack(StackOptions{Alignment::bottom(), 0}, Text(center, number, Color::white()),
                           Text(QStringLiteral("%"), percent, Color::white()).offset(0, percent.descent() - number.descent()))
                        .contentTransition(ContentTransition::numericText);
    Element gauge = ZStack(StackOptions{}, ring, label).frame(ringSide, ringSide).scaleEffect(0.95);
    Element caption = VStack(StackOptions{Alignment::center(), 1},
                             Text(title, Font::system(11.5, Weight::semibold), Color::white()),
                             Text(detail, Font::system(10, Weight::medium).monospacedDigits(), Color::white(0.5))
                                 .minimumScaleFactor(0.8)
                                 .contentTransition(ContentTransition::numericText));
    return VStack(StackOptions{Alignment::center(), 5}, gauge, caption).frame(Element::Limits{.maxWidth = infinity});
}

Element StatLabelStyle::make(const QString &icon, Element title)
{
    return HStack(StackOptions{Alignment::center(), 3}, Symbol(icon, 9.5, Weight::bold), std::move(title));
}

}  // namespace vesk
