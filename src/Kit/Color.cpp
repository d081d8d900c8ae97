#include "Kit/Color.h"

#include <QLinearGradient>

#include <algorithm>

namespace kit {

QColor Color::toQColor() const
{
    auto c = [](double v) { return std::clamp(v, 0.0, 1.0); };
    return QColor::fromRgbF(float(c(r)), float(c(g)), float(c(b)), float(c(a)));
}

QBrush LinearGradient::brush(const QRectF &bounds) const
{
    QLinearGradient gradient(start.in(bounds), end.in(bounds));
    for (const GradientStop &stop : stops)
        gradient.setColorAt(std::clamp(stop.location, 0.0, 1.0), stop.color.toQColor());
    return QBrush(gradient);
}

QBrush brushFor(const Paint &paint, const QRectF &bounds)
{
    if (const auto *color = std::get_if<Color>(&paint))
        return QBrush(color->toQColor());
    return std::get<LinearGradient>(paint).brush(bounds);
}

}  // namespace kit
