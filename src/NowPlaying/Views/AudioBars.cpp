#include "NowPlaying/Views/AudioBars.h"

#include <algorithm>

namespace vesk {

using namespace kit;

double AudioBars::period(int index)
{
    static constexpr double periods[] = {0.42, 0.31, 0.52, 0.28, 0.38, 0.47};
    return periods[((index % 6) + 6) % 6];
}

double AudioBars::barWidth(double width, int barCount)
{
    if (barCount <= 0)
        return 1;
    return std::max(1.0, (width - 2.0 * (barCount - 1)) / barCount);
}

Element AudioBars::body(const Env &) const
{
    const int n = std::max(0, barCount);
    return GeometryReader([*this, n](QSizeF size) {
        const double w = size.width(), h = size.height();
        const double b = barWidth(w, n);
        const double radius = cornerRadius(b);
        // Loops only where a bar has room to move, and only while the bars show: a paused row
        // asks for no frames.
        const bool loops = isAnimating && h > restHeight && n > 0;
        auto row = [&](bool bars) {
            Elements items;
            for (int i = 0; i < n; ++i) {
                Element item = Fill(RoundedRectangle(radius), color).frame(b, restHeight);
                if (bars)
                    item = item.loop(LoopTarget::height(),
                                     loops ? std::optional(Loop::between(restHeight, h, period(i), Animation::Kind::easeInOut,
                                                                         true, loopPhase))
                                           : std::nullopt);
                items.push_back(item.frame(b, h).offset(centre(b, i) - b / 2, 0));
            }
            return ZStack({.alignment = Alignment::leading()}, std::move(items)).frame(w, h, Alignment::leading());
        };
        const Animation rows = Animation::easeInOut(rowsDuration);
        Element dots = row(false).opacity(isAnimating ? 0 : 1).animated(rows);
        Element bars = row(true)
                           .scaleEffect(1, isAnimating ? 1 : pausedScale, UnitPoint::center())
                           .animated(rows)
                           .opacity(isAnimating ? 1 : 0)
                           .animated(rows);
        const Animation mute = Animation::easeOut(muteDuration);
        return ZStack({}, dots, bars)
            .blur(isMuted ? mutedBlur : 0)
            .animated(mute)
            .opacity(isMuted ? mutedOpacity : 1)
            .animated(Animation::easeInOut(muteDuration));
    });
}

}  // namespace vesk
