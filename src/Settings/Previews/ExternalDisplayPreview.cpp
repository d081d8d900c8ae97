#include "Settings/Previews/ExternalDisplayPreview.h"

#include "Island/NotchShape.h"
#include "Kit/Palette.h"
#include "Settings/Previews/ExpandedNotchPreview.h"
#include "Settings/Previews/Miniatures.h"

namespace vesk {

using namespace kit;

std::optional<double> ExternalDisplayPreview::notchWidth(const QString &style)
{
    if (style == QLatin1String("notch"))
        return 104;
    if (style == QLatin1String("inNotch"))
        return 124;
    return std::nullopt;
}

namespace {

// The artwork, a flexible space and the bars in the accent colour.
Element activity(double artwork, double bars)
{
    return HStack({.alignment = Alignment::center(), .spacing = 0}, view(MiniArtwork{artwork}), Spacer(),
                  view(MiniBars{MiniArtwork::accent, bars}));
}

Element notchForm(double width)
{
    return activity(11, 9)
        .padding(Edges::horizontal(5))
        .frame(width, 19)
        .id(QStringLiteral("notch"))
        .padding(Edges::horizontal(4))
        .background(Fill(Color::black()))
        .clipShape(NotchShape{4, 7});
}

Element pill()
{
    Element capsule = activity(9, 8).padding(Edges::horizontal(4)).frame(74, 14).background(Fill(Capsule(), Color::black())).id(QStringLiteral("pill"));
    Element bubble = HStack({.alignment = Alignment::center(), .spacing = 2},
                            Symbol(SymbolName("timer"), 6, Weight::bold, palette::orange),
                            Text(QStringLiteral("1m"), Font::system(6, Weight::bold), palette::orange))
                         .padding(Edges::horizontal(4))
                         .frame(std::nullopt, 14)
                         .background(Fill(Capsule(), Color::black()))
                         .id(QStringLiteral("bubble"));
    return HStack({.alignment = Alignment::center(), .spacing = 4}, capsule, bubble).padding(Edges::topOnly(2.5));
}

Element belowNotch()
{
    return VStack({.alignment = Alignment::center(), .spacing = 4},
                  Fill(Color::black()).frame(84, 19).clipShape(NotchShape{4, 7}).id(QStringLiteral("housing")),
                  activity(11, 9).padding(Edges::horizontal(5)).frame(96, 19).background(Fill(Capsule(), Color::black())).id(QStringLiteral("pill")));
}

}  // namespace

Element ExternalDisplayPreview::body(const Env &) const
{
    Element island;
    if (auto width = notchWidth(style))
        island = notchForm(*width);
    else if (style == QLatin1String("pill"))
        island = pill();
    else if (style == QLatin1String("belowNotch"))
        island = belowNotch();
    return previews::screen(19, island);
}

}  // namespace vesk
