#include "NowPlaying/Views/ScrubberView.h"

#include "Base/Observed.h"
#include "Island/IslandHover.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/Views/MediaControls.h"
#include "NowPlaying/Views/SizedReader.h"
#include "Kit/ViewState.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace vesk {

using namespace kit;

namespace {

constexpr double minimumLabelWidth = 28;
constexpr double playingPeriod = 0.5;
constexpr double restingPeriod = 3600;

// What the row keeps while shown: the pointer over the bar, and the dragged fraction.
struct ScrubberState {
    Observed<std::optional<double>> drag;
    Observed<bool> hovering{false};
};

struct Bar {
    double width = 0;
    double fraction = 0;
    bool active = false;
    bool glassKnob = false;
};

Element barElement(const Bar &b)
{
    Element bar = capsuleBar(b.width, ScrubberView::barHeight, b.fraction, b.active);
    if (b.glassKnob) {
        const double kw = b.active ? 26 : 10;
        const double kh = b.active ? 16 : 5;
        const double end = std::clamp(b.fraction, 0.0, 1.0) * b.width;
        bar = bar.overlay(view(GlassKnob{}).frame(kw, kh).opacity(b.active ? 1 : 0).offset(end - kw / 2, 0),
                          Alignment::leading());
    }
    return bar;
}

}  // namespace

Element GlassKnob::body(const Env &) const
{
    return Fill(Capsule(), Color::white()).shadow(Color::black(0.3), 3, 0, 1);
}

const Font &ScrubberView::labelFont()
{
    static const Font font = Font::system(10, Weight::medium).monospacedDigits();
    return font;
}

QString ScrubberView::format(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const auto s = static_cast<long long>(std::floor(std::min(seconds, 1e15)));
    if (s < 3600)
        return QString::asprintf("%lld:%02lld", s / 60, s % 60);
    return QString::asprintf("%lld:%02lld:%02lld", s / 3600, (s % 3600) / 60, s % 60);
}

double ScrubberView::labelWidth(double shownElapsed, double duration)
{
    const QString widest = QStringLiteral("-") + format(std::max(shownElapsed, duration));
    // Asked on every tick, and the answer only changes with the track: the last one is kept
    // rather than shaping the same text again (the labels are described on the main thread only).
    static QString measured;
    static double width = 0;
    if (widest != measured) {
        width = std::max(minimumLabelWidth, std::ceil(labelFont().advance(widest)) + 1);
        measured = widest;
    }
    return width;
}

QString ScrubberView::remainingText(double shownElapsed, double duration)
{
    return duration > 0 ? QStringLiteral("-") + format(duration - shownElapsed) : QStringLiteral("--:--");
}

Element ScrubberView::body(const Env &env) const
{
    NotchViewModel *model = env[islandModel];
    const Track t = track;
    const bool knob = glassKnob;
    const double period = isVisible && t.isPlaying ? playingPeriod : restingPeriod;
    return withViewState<ScrubberState>("ScrubberView", [model, t, knob, period](const std::shared_ptr<ScrubberState> &state) {
        const std::optional<double> drag = state->drag.get();
        const bool hovering = state->hovering.get();
        const bool active = drag.has_value() || hovering;
        const std::weak_ptr<ScrubberState> weak = state;
        return Timeline(period, [model, t, knob, drag, active, weak](double date) {
            const double duration = t.duration;
            const double shown = drag ? *drag * duration : t.elapsedAt(date);
            const double fraction = drag ? *drag : (duration > 0 ? t.elapsedAt(date) / duration : 0);
            const double width = labelWidth(shown, duration);
            const Color tint = Color::white(0.5);

            Element area = sizedReader([=](QSizeF size) {
                const double w = size.width();
                auto changed = [weak, model, duration, w](const DragValue &v) {
                    const auto s = weak.lock();
                    if (!s || !(duration > 0) || !(w > 0))
                        return;
                    if (model)
                        model->isInteracting = true;
                    s->drag = std::clamp(v.location.x() / w, 0.0, 1.0);
                };
                auto ended = [weak, model, duration](const DragValue &) {
                    if (const auto s = weak.lock()) {
                        // The last position the drag showed, not the release point.
                        if (const std::optional<double> at = s->drag.peek(); at && model)
                            model->nowPlaying().seek(*at * duration);
                        s->drag = std::nullopt;
                    }
                    if (model)
                        model->endInteraction();
                };
                return barElement({w, fraction, active, knob}).contentShape(Rectangle()).onDrag(changed, ended, 0);
            });
            area = islandHover(area.frame(std::nullopt, barHeight).debugName(QStringLiteral("scrubber")), [weak](bool inside) {
                if (const auto s = weak.lock())
                    s->hovering = inside;
            });

            return HStack({.alignment = Alignment::center(), .spacing = 8},
                          Text(format(shown), labelFont(), tint).frame(width, std::nullopt, Alignment::leading()),
                          area,
                          Text(remainingText(shown, duration), labelFont(), tint).frame(width, std::nullopt, Alignment::trailing()))
                .animation(Motion::small, active);
        });
    });
}

}  // namespace vesk
