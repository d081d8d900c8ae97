#include "NowPlaying/Views/MediaControls.h"

#include "Island/PeekView.h"
#include "NowPlaying/Views/ExtraButton.h"
#include "NowPlaying/Views/OutputPicker.h"
#include "NowPlaying/Views/VolumeSlider.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/Views/MarqueeText.h"
#include "NowPlaying/Views/ScrubberView.h"

#include <algorithm>

namespace vesk {

using namespace kit;

Element marqueeText(const QString &text, double size, Weight weight, Color color, std::optional<bool> isActive)
{
    return view(MarqueeText{text, size, weight, color, isActive});
}

Element controlButton(const QString &symbol, double size, double opacity, double diameter, bool bounces,
                      std::optional<SkipGlyph::Direction> skip, std::function<void()> action)
{
    return view(ControlButton{symbol, size, opacity, diameter, bounces, skip, std::move(action)});
}

Element capsuleBar(double width, double height, double fraction, bool active)
{
    return ZStack({.alignment = Alignment::leading()}, Fill(Capsule(), Color::white(0.16)),
                  Fill(Capsule(), Color::white(active ? 1 : 0.55)).frame(std::clamp(fraction, 0.0, 1.0) * width, std::nullopt))
        .clipShape(Capsule())
        .frame(std::nullopt, active ? 9 : 5)
        .frame(width, height);
}

namespace {
Element reserved(std::optional<double> width, std::optional<double> height)
{
    return Fill(Color::clear()).frame(width, height).allowsHitTesting(false);
}
}  // namespace

Element scrubber(NotchViewModel &model, bool isVisible, bool glassKnob)
{
    const std::optional<Track> track = model.nowPlaying().track.get();
    if (!track)
        return reserved(std::nullopt, ScrubberView::barHeight);
    return view(ScrubberView{*track, glassKnob, isVisible});
}
Element extraButton(NotchViewModel &) { return view(ExtraButton{}); }
Element outputButton(NotchViewModel &) { return view(OutputPicker{}); }
Element volumeSlider(NotchViewModel &) { return view(VolumeSlider{}); }

}  // namespace vesk
