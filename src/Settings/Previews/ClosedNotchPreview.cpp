#include "Settings/Previews/ClosedNotchPreview.h"

#include "Model/Motion.h"
#include "Island/NotchShape.h"
#include "Settings/Previews/Miniatures.h"

namespace vesk {

using namespace kit;
using Case = ClosedNotchPreview::Content::Case;

bool operator==(const ClosedNotchPreview::Content &a, const ClosedNotchPreview::Content &b)
{
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case Case::nowPlaying:
        return a.artwork == b.artwork && a.visualizer == b.visualizer && a.tinted == b.tinted;
    case Case::readout:
        return a.symbol == b.symbol && a.tint == b.tint && a.text == b.text;
    case Case::bare:
    case Case::volume:
        return true;
    }
    return true;
}

double ClosedNotchPreview::slotWidth(Case kind)
{
    switch (kind) {
    case Case::nowPlaying:
        return 15;
    case Case::readout:
    case Case::volume:
        return 40;
    case Case::bare:
        return 0;
    }
    return 0;
}

namespace {

// The readout's symbol at the slot's left edge.
Element symbolIcon(const QString &name, Color tint, double s)
{
    return Symbol(name, 7 * s, Weight::semibold, tint).padding(Edges::leadingOnly(3 * s));
}

// The two slots beside the notch, each framed w x 15s.
std::pair<Element, Element> sideSlots(const ClosedNotchPreview::Content &content, double s, double w)
{
    const auto slot = [&](Element e, Alignment a = Alignment::center()) { return e.frame(w, 15 * s, a); };
    switch (content.kind) {
    case Case::nowPlaying:
        return {slot(view(MiniArtwork{9 * s}).opacity(content.artwork ? 1 : 0).id(QStringLiteral("artwork"))),
                slot(view(MiniBars{content.tinted ? MiniArtwork::accent : Color::white(), 7 * s})
                         .opacity(content.visualizer ? 1 : 0)
                         .id(QStringLiteral("bars")))};
    case Case::readout:
        return {slot(symbolIcon(content.symbol, content.tint, s), Alignment::leading()),
                slot(Text(content.text, Font::system(6.5 * s, Weight::semibold).monospacedDigits(), content.tint)
                         .padding(Edges::trailingOnly(3 * s)),
                     Alignment::trailing())};
    case Case::volume: {
        // The level is a fixed sample: 15 of 26.
        Element level = ZStack({.alignment = Alignment::leading()}, Fill(Capsule(), Color::white(0.25)),
                               Fill(Capsule(), Color::white()).frame(15 * s, std::nullopt))
                            .frame(26 * s, 2.5 * s)
                            .id(QStringLiteral("level"));
        return {slot(symbolIcon(SymbolName("speaker.wave.2.fill"), Color::white(), s), Alignment::leading()),
                slot(level)};
    }
    case Case::bare:
        break;
    }
    return {slot(Element()), slot(Element())};
}

}  // namespace

Element ClosedNotchPreview::body(const Env &) const
{
    const double s = previews::nonNegative(scale);
    const double w = slotWidth(content.kind) * s;
    const double g = isHovered ? 5 * s : 0;
    auto [leading, trailing] = sideSlots(content, s, w);

    Element row = HStack({.alignment = Alignment::center(), .spacing = 0}, leading,
                         Fill(Color::clear()).frame(78 * s, 15 * s), trailing);
    Element island = row.padding(Edges::horizontal(3 * s))
                         .frame(78 * s + 6 * s + 2 * w + g, 15 * s + g / 2, Alignment::top())
                         .background(Fill(Color::black()))
                         .clipShape(NotchShape{3 * s, (isHovered ? 7 : 5) * s})
                         .id(QStringLiteral("island"))
                         .animation(Motion::swell, isHovered)
                         .animation(Motion::open, content);
    return previews::screen(15 * s, island);
}

}  // namespace vesk
