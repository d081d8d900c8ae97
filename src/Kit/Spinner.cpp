#include "Kit/Element.h"

#include <QPainter>

#include <cmath>

namespace kit {

Element Spinner(double size)
{
    // Described from the clock on every frame while shown: one turn a second.
    return Timeline(0, [size](double wall) {
        const double turn = wall - std::floor(wall);
        return Painter(
                   AnyValue::of(QStringLiteral("spinner")), {turn * 360},
                   [](QPainter &p, const QRectF &r, const std::vector<double> &values) {
                       const double side = std::min(r.width(), r.height());
                       const double line = std::max(1.0, side * 0.14);
                       const QRectF ring((r.width() - side) / 2 + line / 2, (r.height() - side) / 2 + line / 2,
                                         side - line, side - line);
                       p.setRenderHint(QPainter::Antialiasing);
                       p.setPen(QPen(Qt::white, line, Qt::SolidLine, Qt::RoundCap));
                       // Qt's angles run counter-clockwise in 1/16 degree: the gap turns clockwise.
                       const double angle = values.empty() ? 0 : values[0];
                       p.drawArc(ring, int(std::lround(-angle * 16)), 270 * 16);
                   },
                   QSizeF(size, size))
            .frame(size, size);
    });
}

}  // namespace kit
