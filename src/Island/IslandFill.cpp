#include "Island/IslandFill.h"

#include <algorithm>

namespace vesk {

using namespace kit;

namespace {
// What stands in for the system glass where a platform offers one: a faint veil of light.
constexpr Color clearGlass = Color::white(0.08);
constexpr Color frostedGlass = Color::white(0.2);
constexpr double glassFadeDuration = 0.3;
constexpr double minimumFrost = 0.01;
}  // namespace

std::vector<GradientStop> IslandFill::fadeStops(double s)
{
    return {{Color::black(), 0},
            {Color::black(), s},
            {Color::black(0.75), s + (1 - s) * 0.3},
            {Color::black(0.3), s + (1 - s) * 0.65},
            {Color::black(0), 1}};
}

double IslandFill::sideFade(double width)
{
    // Before the first layout the size may be zero: fall back to a fraction that looks right.
    return width > 1 ? std::min(40 / width, 0.2) : 0.2;
}

double IslandFill::solidMaskEnd(double solidUntil, double height)
{
    const double b = height > 1 ? std::min(30 / height, 0.5) : 0.5;
    return std::max(solidUntil - 0.1, b);
}

Element IslandGlass::body(const Env &) const
{
    return Glass(RoundedRectangle(cornerRadius, CornerStyle::continuous), isFrosted ? frostedGlass : clearGlass)
        .opacity(alpha)
        .animated(Animation::easeInOut(glassFadeDuration));
}

Element IslandFill::body(const Env &) const
{
    Element glass;
    if (usesGlass) {
        // The clear and the frosted glass are told apart by identity, so a glass made clear stays
        // clear; the frosted one exists only while there is frost to show.
        glass = ZStack({},
                       view(IslandGlass{cornerRadius, false, fadesOut ? 1.0 : 0.0}).id(QStringLiteral("glass")),
                       frost > minimumFrost
                           ? view(IslandGlass{cornerRadius, true, fadesOut ? frost : 0.0}).id(QStringLiteral("frost"))
                           : Empty())
                    .padding(Edges::horizontal(sideInset));
    }

    Element fade;
    if (usesGlass) {
        const double s = solidUntil;
        auto mask = GeometryReader([s](QSizeF size) {
            const double a = sideFade(size.width());
            const double c = solidMaskEnd(s, size.height());
            LinearGradient sides{{{Color::clear(), 0}, {Color::black(), a}, {Color::black(), 1 - a}, {Color::clear(), 1}},
                                 UnitPoint::leading(),
                                 UnitPoint::trailing()};
            LinearGradient top{{{Color::black(), 0}, {Color::black(), c}, {Color::clear(), std::min(c + 0.2, 1.0)}},
                               UnitPoint::top(),
                               UnitPoint::bottom()};
            return ZStack({}, Fill(Rectangle(), sides), Fill(Rectangle(), top));
        });
        fade = Fill(Rectangle(), LinearGradient{fadeStops(s), UnitPoint::top(), UnitPoint::bottom()})
                   .mask(mask)
                   .transition(Transition::insertAtOnceRemoveByFading());
    }

    return ZStack({}, glass, fade, Fill(Color::black()).opacity(fadesOut ? 0 : 1));
}

}  // namespace vesk
