#include "Settings/Previews/ExpandedNotchPreview.h"

#include "Model/Motion.h"
#include "Island/NotchShape.h"
#include "Settings/Previews/Miniatures.h"

namespace vesk {

using namespace kit;

namespace previews {

Element hoverPlate(const QString &style, double side, double cornerRadius, double alpha)
{
    const bool none = style == QLatin1String("none");
    const bool circle = style == QLatin1String("circle");
    // A circle is the rounded square with half-side circular corners, so one style morphs into the
    // other instead of jumping.
    const AnyShape shape =
        circle ? RoundedRectangle(side / 2, CornerStyle::circular) : RoundedRectangle(cornerRadius, CornerStyle::continuous);
    return Fill(shape, Color::white(none ? 0 : alpha)).frame(side, side).id(QStringLiteral("plate"));
}

Element openIsland(Element content, Element backing, double s)
{
    return content.frame(150 * s, 66 * s)
        .padding(Edges::horizontal(5 * s))
        .background(std::move(backing))
        .clipShape(NotchShape{5 * s, 13 * s});
}

Element openIslandShadow(bool shown, double s)
{
    return Fill(NotchShape{5 * s, 13 * s}, Color::black())
        .shadow(Color::black(0.4), 6 * s, 0, 3 * s)
        .opacity(shown ? 1 : 0)
        .id(QStringLiteral("shadow"));
}

}  // namespace previews

Element ExpandedNotchPreview::body(const Env &) const
{
    const double s = previews::nonNegative(scale);
    const Color bars = tinted ? MiniArtwork::accent : Color::white();

    Element titles = VStack({.alignment = Alignment::leading(), .spacing = 2.5 * s},
                            Fill(Capsule(), Color::white()).frame(44 * s, 3 * s),
                            Fill(Capsule(), Color::white(0.5)).frame(28 * s, 2.5 * s));
    Element titleRow = HStack({.alignment = Alignment::center(), .spacing = 5 * s}, view(MiniArtwork{15 * s}), titles,
                              Spacer(), If(showsVisualizer, view(MiniBars{bars, 7 * s}).id(QStringLiteral("bars"))));
    Element scrubber = ZStack({.alignment = Alignment::leading()}, Fill(Capsule(), Color::white(0.2)),
                              Fill(Capsule(), Color::white(0.7)).frame(46 * s, std::nullopt))
                           .frame(std::nullopt, 2 * s);
    Element play = Symbol(SymbolName("pause.fill"), 9 * s, Weight::regular, Color::white())
                       .frame(15 * s, 15 * s)
                       .background(previews::hoverPlate(hoverStyle, 15 * s, 4 * s, 0.2));
    Element::Limits fullWidth;
    fullWidth.maxWidth = infinity;
    Element controls = HStack({.alignment = Alignment::center(), .spacing = 9 * s},
                              Symbol(SymbolName("backward.fill"), 6.5 * s, Weight::regular, Color::white()), play,
                              Symbol(SymbolName("forward.fill"), 6.5 * s, Weight::regular, Color::white()))
                           .frame(fullWidth)
                           .overlay(If(showsOutputButton,
                                       Symbol(SymbolName("airpodspro"), 7 * s, Weight::regular, Color::white(0.6)).id(QStringLiteral("output"))),
                                    Alignment::trailing());
    Element column = VStack({.alignment = Alignment::center(), .spacing = 0}, titleRow, Spacer(), scrubber, Spacer(),
                            controls)
                         .padding(Edges{15 * s, 10 * s, 7 * s, 10 * s});

    const LinearGradient fade{{{Color::black(), 0}, {Color::black(), 0.55}, {Color::black(0), 1.0}},
                              UnitPoint::top(), UnitPoint::bottom()};
    Element backing = ZStack({}, Fill(Color::white(0.16)), Fill(Rectangle(), fade),
                             Fill(Color::black()).opacity(fadesToGlass ? 0 : 1).id(QStringLiteral("black")));
    // The highlight line keeps its size at every scale: a hairline, not a part of the picture.
    Element highlight = Fill(Capsule(), Color::white(fadesToGlass ? 0.8 : 0))
                            .frame(150 * s - 26 * s, 0.8)
                            .padding(Edges::bottomOnly(0.5))
                            .id(QStringLiteral("highlight"));
    Element island = previews::openIsland(column, backing, s)
                         .overlay(highlight, Alignment::bottom())
                         .background(previews::openIslandShadow(hasShadow && !fadesToGlass, s))
                         .id(QStringLiteral("island"))
                         .animation(Motion::small, hoverStyle)
                         .animation(Motion::small, fadesToGlass);
    return previews::screen(13 * s, island);
}

}  // namespace vesk
