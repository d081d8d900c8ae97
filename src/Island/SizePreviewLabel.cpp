#include "Island/SizePreviewLabel.h"

#include "Model/Motion.h"
#include "Island/NotchView.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace vesk {

using namespace kit;

long long SizePreviewLabel::wholePoints(double value)
{
    if (!std::isfinite(value))
        return 0;
    // The largest doubles that convert to a 64-bit integer without overflow.
    constexpr double lowest = -9223372036854775808.0;
    constexpr double highest = 9223372036854774784.0;
    return static_cast<long long>(std::clamp(value, lowest, highest));
}

namespace {
double valueOf(const std::optional<NotchViewModel::SizeAdjustment> &adjustment)
{
    return adjustment && std::isfinite(adjustment->value) ? adjustment->value : 0;
}
}  // namespace

QString SizePreviewLabel::symbol(const std::optional<NotchViewModel::SizeAdjustment> &adjustment)
{
    const bool height = adjustment && adjustment->axis == NotchViewModel::SizeAdjustment::Axis::height;
    return height ? SymbolName("arrow.up.and.down") : SymbolName("arrow.left.and.right");
}

QString SizePreviewLabel::text(const std::optional<NotchViewModel::SizeAdjustment> &adjustment)
{
    const double v = valueOf(adjustment);
    return (v >= 0 ? QStringLiteral("+") : QString()) + QString::asprintf("%lld", wholePoints(v)) + QStringLiteral(" pt");
}

Element SizePreviewLabel::body(const Env &) const
{
    const bool shown = adjustment.has_value();
    const double v = valueOf(adjustment);
    return HStack({.alignment = Alignment::center(), .spacing = 6}, Symbol(symbol(adjustment), 10, Weight::bold),
                  Text(text(adjustment), Font::system(12, Weight::semibold).monospacedDigits())
                      .contentTransition(ContentTransition::numericText))
        .foreground(Color::white())
        .padding(Edges::horizontal(10))
        .frame(std::nullopt, height)
        .background(Fill(Capsule(), NotchViewMetrics::sizePreviewTint))
        .fixedSize()
        .opacity(shown ? 1 : 0)
        .scaleEffect(shown ? 1 : 0.8, UnitPoint::top())
        .allowsHitTesting(false)
        .animation(Motion::small, v)
        .animation(Motion::small, shown);
}

}  // namespace vesk
