#include "NowPlaying/Views/MediaControls.h"

#include "Island/PeekView.h"

namespace vesk {

using namespace kit;

Element marqueeText(const QString &text, double size, Weight weight, Color color, std::optional<bool>)
{
    const Font font = Font::system(size, weight);
    return Text(oneLine(text), font, color).frame(std::nullopt, lineHeight(font), Alignment::leading());
}

Element controlButton(const QString &symbol, double size, double opacity, double diameter, bool bounces,
                      std::optional<SkipGlyph::Direction> skip, std::function<void()> action)
{
    return view(ControlButton{symbol, size, opacity, diameter, bounces, skip, std::move(action)});
}

namespace {
Element reserved(std::optional<double> width, std::optional<double> height)
{
    return Fill(Color::clear()).frame(width, height).allowsHitTesting(false);
}
}  // namespace

Element scrubber(NotchViewModel &, bool) { return reserved(std::nullopt, 16); }
Element extraButton(NotchViewModel &) { return reserved(48, 48); }
Element outputButton(NotchViewModel &) { return reserved(48, 48); }
Element volumeSlider(NotchViewModel &) { return reserved(std::nullopt, std::nullopt); }

}  // namespace vesk
