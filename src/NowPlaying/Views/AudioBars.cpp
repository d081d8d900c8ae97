#include "NowPlaying/Views/AudioBars.h"

#include "Base/MainQueue.h"
#include "NowPlaying/Views/SizedReader.h"
#include "Kit/Node.h"
#include "Kit/Tree.h"
#include "Kit/ViewState.h"

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

namespace {

// What the bars remember between descriptions: whether they played last time, and, for the 0.45 s
// in which a paused row fades out, that its bars still bounce. The wait ends with the node.
struct BarsMemory {
    std::optional<bool> wasAnimating;
    bool fadingOut = false;
    WorkItem fadeEnd;
};

class AudioBarsSpec final : public Spec {
public:
    explicit AudioBarsSpec(AudioBars bars) : bars(std::move(bars)) {}
    const char *kind() const override { return "AudioBars"; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isComponent() const override { return true; }

    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override
    {
        Spec::apply(node, previous, ctx);
        BarsMemory &m = viewState<BarsMemory>(node);
        if (bars.isAnimating) {
            m.fadingOut = false;
            m.fadeEnd = WorkItem();
        } else if (m.wasAnimating.value_or(false)) {
            m.fadingOut = true;
            Node *target = &node;
            BarsMemory *memory = &m;
            m.fadeEnd = mainQueue().after(AudioBars::rowsDuration, [target, memory] {
                memory->fadingOut = false;
                target->tree().invalidate(*target);
            });
        }
        m.wasAnimating = bars.isAnimating;
    }
    Element evaluateAt(const Node &node, const Env &) const override
    {
        return bars.rows(bars.isAnimating || viewState<BarsMemory>(node).fadingOut);
    }

    AudioBars bars;
};

}  // namespace

Element AudioBars::body(const Env &) const { return Element(std::make_shared<const AudioBarsSpec>(*this)); }

Element AudioBars::rows(bool bounce) const
{
    const int n = std::max(0, barCount);
    return sizedReader([*this, n, bounce](QSizeF size) {
        const double w = size.width(), h = size.height();
        const double b = barWidth(w, n);
        const double radius = cornerRadius(b);
        // Loops only where a bar has room to move, and only while the bars show (a paused row
        // keeps them while it fades out, then asks for no frames).
        const bool loops = bounce && h > restHeight && n > 0;
        auto row = [&](bool bars) {
            Elements items;
            for (int i = 0; i < n; ++i) {
                Element item = Fill(RoundedRectangle(radius), color).frame(b, restHeight);
                if (bars)
                    item = item.loop(LoopTarget::height(),
                                     loops ? std::optional(Loop::between(restHeight, h, period(i), Animation::Kind::easeInOut,
                                                                         true, loopPhase)
                                                               .drawnEvery(frameInterval))
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
