#include "NowPlaying/Views/MarqueeText.h"

#include "Base/Clock.h"
#include "Island/IslandHover.h"
#include "Island/NotchView.h"
#include "Island/PeekView.h"
#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/Views/SizedReader.h"
#include "Kit/ViewState.h"

#include <cmath>

namespace vesk {

using namespace kit;

namespace {

// Everything a new layout restarts the loop for; the colour is not part of it.
struct LaidOut {
    QString text;
    double fontSize = -1;
    Weight weight = Weight::regular;
    bool wantsScrolling = false;
    double width = -1;
    bool shown = false;
    bool operator==(const LaidOut &) const = default;
};

struct MarqueeState {
    std::optional<LaidOut> laidOut;
    double phase = 0;  // clock time of the last new layout: where the loop starts
};

// Mask colours along the line: the right edge always fades over its last 10 %; the left edge's
// first stop goes from opaque (resting) to clear (scrolling).
LinearGradient edgeMask()
{
    return {{{Color::black(), 0}, {Color::black(), 0.06}, {Color::black(), 0.9}, {Color::clear(), 1}},
            UnitPoint{0, 0.5},
            UnitPoint{1, 0.5}};
}

}  // namespace

MarqueeText::Layout MarqueeText::layout(double textWidth, double slotWidth, bool wantsScrolling)
{
    Layout l;
    l.tw = std::ceil(textWidth);
    l.period = l.tw + gap;
    const bool overflows = l.tw > slotWidth;
    l.scrolls = overflows && wantsScrolling;
    l.truncated = overflows && !wantsScrolling;
    l.masked = overflows;
    l.copyWidth = l.truncated ? std::max(0.0, slotWidth) : l.tw + extraWidth;
    return l;
}

MarqueeText::Timing MarqueeText::timing(double period)
{
    const double total = period / speed + pause;
    return {total, pause / total};
}

Loop MarqueeText::offsetLoop(double period, double phase)
{
    const Timing t = timing(period);
    return Loop::keyframes(KeyframeTrack(0, {{0, pause, Animation::linear(pause)},
                                             {-period, t.total - pause, Animation::linear(t.total - pause)}}),
                           phase);
}

Loop MarqueeText::fadeLoop(double period, double phase)
{
    // resting, resting, scrolling, scrolling, resting at 0, p, (2 + 0.25) / total, (total - 0.25) / total, 1.
    const Timing t = timing(period);
    const double hold = std::max(0.0, t.total - pause - 2 * edgeFade);
    return Loop::keyframes(KeyframeTrack(0, {{0, pause, Animation::linear(pause)},
                                             {1, edgeFade, Animation::linear(edgeFade)},
                                             {1, hold, Animation::linear(hold)},
                                             {0, edgeFade, Animation::linear(edgeFade)}}),
                           phase);
}

Element MarqueeText::body(const Env &env) const
{
    const bool allowed = viewSetting(settings::scrollLongTitles);
    NotchViewModel *model = env[islandModel];
    const bool wants = allowed && isActive.value_or(model && model->isOpen.get());
    const bool shown = env[isIslandLayerVisible];
    const Font font = Font::system(fontSize, weight);
    const double height = lineHeight(font);
    const QString line = oneLine(text);
    const double measured = font.advance(line);
    const Color tint = color;
    const double size = fontSize;
    const Weight w = weight;

    return withViewState<MarqueeState>("MarqueeText", [=](const std::shared_ptr<MarqueeState> &state) {
        return sizedReader([=](QSizeF offered) {
            const double bw = offered.width();
            const Layout l = layout(measured, bw, wants);
            const LaidOut now{line, size, w, wants, bw, shown};
            if (state->laidOut != now) {
                state->laidOut = now;
                state->phase = vesk::appClock().now();
            }
            const bool moves = l.scrolls && shown && bw > 0;
            auto copy = [&] { return Text(line, font, tint).frame(l.copyWidth, height, Alignment::leading()); };
            // The copy that follows the text round exists only while it scrolls: a line cut to its
            // slot would otherwise be measured, and cut, twice on every layout.
            Element content = ZStack({.alignment = Alignment::leading()}, copy(), l.scrolls ? copy().offset(l.period, 0) : Element())
                                  .loop(LoopTarget::offsetX(), moves ? std::optional(offsetLoop(l.period, state->phase)) : std::nullopt)
                                  .frame(bw, height, Alignment::leading())
                                  .clipped();
            if (l.masked)
                content = content.mask(Fill(Rectangle(), edgeMask())
                                           .loop(LoopTarget::stopColor(0, Color::black(), Color::clear()),
                                                 moves ? std::optional(fadeLoop(l.period, state->phase)) : std::nullopt));
            return content;
        });
    }).frame(std::nullopt, height);
}

}  // namespace vesk
