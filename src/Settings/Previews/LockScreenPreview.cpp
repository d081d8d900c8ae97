#include "Settings/Previews/LockScreenPreview.h"

#include "Model/Motion.h"
#include "Kit/Palette.h"
#include "Kit/TextFormat.h"
#include "Base/Clock.h"
#include "Settings/Previews/Miniatures.h"

#include <QLocale>

namespace vesk {

using namespace kit;

double LockScreenPreview::fillOpacity(double g) { return 0.1 + 0.2 * previews::unit(g); }
double LockScreenPreview::borderOpacity(double g) { return 0.25 + 0.5 * previews::unit(g); }

namespace {

Element clock(double h)
{
    // Inter has no rounded design: the clock is plain Inter at the same size and weight.
    const QDateTime now = appClock().wallDateTime().toLocalTime();
    const QLocale locale = QLocale::system();
    const QString date = locale.toString(now.date(), QStringLiteral("ddd d MMM"));
    return VStack({.alignment = Alignment::center(), .spacing = -1},
                  Text(date, Font::system(6, Weight::semibold), Color::white(0.9)).id(QStringLiteral("date")),
                  Text(shortTime(now, locale), Font::system(22, Weight::bold), Color::white(0.9)).id(QStringLiteral("time")))
        .padding(Edges::topOnly(0.1 * h))
        .maxFrame(Alignment::top());
}

Element user(double h)
{
    return VStack({.alignment = Alignment::center(), .spacing = 3}, Fill(Circle(), Color::white(0.85)).frame(9, 9),
                  Fill(Capsule(), Color::white(0.6)).frame(30, 2))
        .padding(Edges::bottomOnly(0.07 * h))
        .id(QStringLiteral("user"));
}

Element card(const LockScreenPreview &p)
{
    Element badge = Fill(Circle(), palette::green).frame(3.5, 3.5).padding(0.5).opacity(p.showsAppIcon ? 1 : 0).id(QStringLiteral("badge"));
    Element track = HStack({.alignment = Alignment::center(), .spacing = 3},
                           view(MiniArtwork{10}).overlay(badge, Alignment::bottomLeading()),
                           VStack({.alignment = Alignment::leading(), .spacing = 1.5},
                                  Fill(Capsule(), Color::white()).frame(22, 2),
                                  Fill(Capsule(), Color::white(0.6)).frame(14, 1.5)),
                           Spacer());
    Element controls = HStack({.alignment = Alignment::center(), .spacing = 5},
                              Symbol(SymbolName("backward.fill"), 4.5, Weight::regular, Color::white()),
                              Symbol(SymbolName("pause.fill"), 4.5, Weight::regular, Color::white()),
                              Symbol(SymbolName("forward.fill"), 4.5, Weight::regular, Color::white()));
    // The border is drawn along the inside edge: a stroke centred 0.3 inside the outline.
    const double line = 0.6;
    Element glass = ZStack({}, Fill(RoundedRectangle(6, CornerStyle::continuous), Color::white(LockScreenPreview::fillOpacity(p.glassStrength))).id(QStringLiteral("glass")),
                           Stroke(RoundedRectangle(6 - line / 2, CornerStyle::continuous),
                                  Color::white(LockScreenPreview::borderOpacity(p.glassStrength)), {.width = line})
                               .padding(line / 2)
                               .id(QStringLiteral("border")));
    return VStack({.alignment = Alignment::center(), .spacing = 3}, track,
                  Fill(Capsule(), Color::white(0.5)).frame(std::nullopt, 1.5), controls)
        .padding(4)
        .frame(LockScreenPreview::cardWidth, std::nullopt)
        .background(glass)
        .scaleEffect(p.showsCard ? 1 : 0.9)
        .opacity(p.showsCard ? 1 : 0)
        .id(QStringLiteral("card"));
}

}  // namespace

Element LockScreenPreview::body(const Env &) const
{
    const LockScreenPreview self = *this;
    return GeometryReader([self](QSizeF size) {
        const double h = previews::nonNegative(size.height());
        const double lift = previews::unit(self.position) * h;
        return ZStack({.alignment = Alignment::bottom()}, view(MiniWallpaper{}), clock(h), user(h),
                      card(self).padding(Edges::bottomOnly(lift)))
            .frame(size.width(), size.height(), Alignment::bottom());
    })
        // Bound outside the reader: its content is described during layout, in the transaction
        // these choose.
        .animation(Motion::small, glassStrength)
        .animation(Motion::small, showsCard)
        .animation(Motion::open, previews::unit(position));
}

}  // namespace vesk
