#include "NowPlaying/Views/MediaControls.h"

#include "Island/PeekView.h"

namespace vesk {

using namespace kit;

Element marqueeText(const QString &text, double size, Weight weight, Color color, std::optional<bool>)
{
    const Font font = Font::system(size, weight);
    return Text(oneLine(text), font, color).frame(std::nullopt, lineHeight(font), Alignment::leading());
}

Element controlButton(const QString &symbol, double size, double opacity, double diameter, bool,
                      std::optional<SkipDirection>, std::function<void()> action)
{
    return Button(Symbol(symbol, size, Weight::regular, Color::white(opacity)).frame(diameter, diameter),
                  std::move(action))
        .debugName(symbol);
}

}  // namespace vesk
