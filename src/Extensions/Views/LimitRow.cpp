#include "Extensions/Views/LimitRow.h"

#include "Extensions/ClaudeCodeFormat.h"
#include "Kit/Palette.h"
#include "Model/Motion.h"

#include <algorithm>
#include <cmath>

namespace vesk {

using namespace kit;

double LimitRow::fraction(const std::optional<ClaudeCodeExtension::Limit> &limit)
{
    if (!limit || std::isnan(limit->usedPercent))
        return 0.0;
    return std::clamp(limit->usedPercent / 100.0, 0.0, 1.0);
}

Color LimitRow::tint(double fraction)
{
    if (fraction >= 0.9)
        return palette::red;
    if (fraction >= 0.7)
        return palette::orange;
    return Color::fromQColor(ClaudeCodeExtension::orange());
}

QString LimitRow::detail(const std::optional<ClaudeCodeExtension::Limit> &limit, double now)
{
    if (!limit)
        return QStringLiteral("\u2013");
    return QString::asprintf("%lld", (long long)claude_code::wholeSaturated(limit->usedPercent))
        + QStringLiteral("% \u00B7 ") + claude_code::until(limit->resetsAt, now);
}

Element LimitRow::body(const Env &) const
{
    const double share = fraction(limit);
    const Color fill = tint(share);
    Element header = HStack(StackOptions{Alignment::center(), 8}, Text(title, Font::system(11.5, Weight::semibold)), Spacer(),
                            Text(detail(limit, now), Font::system(10.5, Weight::semibold).monospacedDigits(),
                                 Color::white(0.55)));
    Element bar = GeometryReader([share, fill](QSizeF size) {
                      return ZStack(StackOptions{Alignment::leading(), 0}, Fill(Capsule(), Color::white(0.15)),
                                    Fill(Capsule(), fill).frame(size.width() * share, std::nullopt));
                  })
                      .frame(std::nullopt, 5)
                      .animation(Motion::value, share);
    return VStack(StackOptions{Alignment::leading(), 4}, header, bar);
}

}  // namespace vesk
