#include "Island/NotchShimmer.h"

#include "Island/NotchBottomEdge.h"

namespace vesk {

using namespace kit;

namespace {
constexpr double edgeInset = 0.75;
constexpr double lineWidth = 1.5;
}  // namespace

Element NotchShimmer::body(const Env &) const
{
    const NotchBottomEdge edge{NotchBottomEdge::styleOf(style), topRadius, bottomRadius, edgeInset};
    const LinearGradient light{{{Color::white(0), 0}, {Color::white(0.1), 0.5}, {Color::white(0.26), 1}},
                               UnitPoint::top(),
                               UnitPoint::bottom()};
    const LinearGradient middle{{{Color::black(0.35), 0}, {Color::black(), 0.5}, {Color::black(0.35), 1}},
                                UnitPoint::leading(),
                                UnitPoint::trailing()};
    return Stroke(edge.shape(), light, StrokeStyle{.width = lineWidth})
        .mask(Fill(Rectangle(), middle))
        .allowsHitTesting(false);
}

}  // namespace vesk
