#include "Onboarding/FeaturesStep.h"

#include "Island/IslandHover.h"
#include "Kit/Node.h"
#include "Kit/Palette.h"
#include "Kit/ViewState.h"
#include "Model/Motion.h"
#include "Onboarding/TourKit.h"

#include <memory>

namespace vesk {

using namespace kit;
using namespace FeaturesMetrics;

namespace {

class FeaturesStepSpec final : public Spec {
public:
    const char *kind() const override { return "FeaturesStep"; }
    bool sameProperties(const Spec &) const override { return true; }
    bool isComponent() const override { return true; }
    Element evaluateAt(const Node &node, const Env &env) const override
    {
        const auto shownState = sharedViewState<Observed<bool>>(node, false);
        std::weak_ptr<Observed<bool>> weak = shownState;
        const bool shown = shownState->get();
        const auto &all = FeaturesStep::features();
        Elements cards;
        for (int column = 0; column * rowsPerCard < int(all.size()); ++column) {
            Elements rows;
            for (int p = column * rowsPerCard; p < int(all.size()) && p / rowsPerCard == column; ++p) {
                const FeaturesStep::Feature &f = all[size_t(p)];
                rows.push_back(view(FeatureRow{f.symbol, f.tint, f.id, f.detail})
                                   .opacity(shown ? 1 : 0)
                                   .offset(0, shown ? 0 : hiddenDrop)
                                   .blur(shown ? 0 : hiddenBlur)
                                   .animation(Motion::open.delayed(FeaturesStep::revealDelay(p)), shown)
                                   .id(f.id));
            }
            cards.push_back(VStack({.alignment = Alignment::center(), .spacing = 0}, std::move(rows))
                                .padding(Edges::vertical(4))
                                .background(Fill(RoundedRectangle(TourMetrics::cardRadius, CornerStyle::continuous), Color::white(0.08))));
        }
        return VStack({.alignment = Alignment::center(), .spacing = 0},
                      view(StepHeader{QStringLiteral("Here's everything I can do."),
                                      QStringLiteral("All of it lives right here in the notch, a scroll or a click away.")}),
                      HStack({.alignment = Alignment::top(), .spacing = 8}, std::move(cards)))
            .onChange<bool>(
                env[isIslandLayerVisible],
                [weak](const bool &, const bool &now) {
                    if (const auto s = weak.lock())
                        *s = now;
                },
                true);
    }
};

}  // namespace

const std::vector<FeaturesStep::Feature> &FeaturesStep::features()
{
    static const std::vector<Feature> table = {
        {QStringLiteral("Player"), QStringLiteral("music.note"), palette::pink, QStringLiteral("Music from any app")},
        {QStringLiteral("Live Activities"), QStringLiteral("sparkles"), palette::green, QStringLiteral("Timers, meetings, downloads")},
        {QStringLiteral("Calendar"), QStringLiteral("calendar"), palette::red, QStringLiteral("Your month and today's events")},
        {QStringLiteral("Timer"), QStringLiteral("timer"), palette::orange, QStringLiteral("Timers and a stopwatch")},
        {QStringLiteral("Volume & Brightness"), QStringLiteral("speaker.wave.2.fill"), palette::blue, QStringLiteral("Clean readouts in the notch")},
        {QStringLiteral("Lock Screen"), QStringLiteral("lock.fill"), palette::indigo, QStringLiteral("Your music while locked")},
        {QStringLiteral("Extensions"), QStringLiteral("puzzlepiece.extension.fill"), palette::purple, QStringLiteral("Claude Code, System Stats")},
        {QStringLiteral("Your Way"), QStringLiteral("slider.horizontal.3"), palette::gray, QStringLiteral("Glass, size and more")},
    };
    return table;
}

double FeaturesStep::revealDelay(int position) { return 0.1 + 0.05 * (position % rowsPerCard) + 0.03 * (position / rowsPerCard); }

Element FeaturesStep::body(const Env &) const { return Element(std::make_shared<const FeaturesStepSpec>()); }

LinearGradient FeatureRow::tileGradient(Color tint)
{
    const auto towardsWhite = [](double c) { return c + (1 - c) * 0.15; };
    const Color top = Color::rgb(towardsWhite(tint.r), towardsWhite(tint.g), towardsWhite(tint.b), tint.a);
    return LinearGradient{{{top, 0}, {tint, 1}}, UnitPoint::top(), UnitPoint::bottom()};
}

Element FeatureRow::body(const Env &) const
{
    const Element tile = Symbol(symbol, 10, Weight::semibold, Color::white())
                             .frame(tileSize, tileSize)
                             .background(Fill(RoundedRectangle(tileRadius, CornerStyle::continuous), tileGradient(tint)));
    const Element words = VStack({.alignment = Alignment::leading(), .spacing = 0},
                                 Text(title, Font::system(11.5, Weight::semibold)),
                                 Text(detail, Font::system(9.5), Color::white(0.5)))
                              .layoutPriority(1);
    return HStack({.alignment = Alignment::center(), .spacing = 9}, tile, words, Spacer())
        .padding(Edges::horizontal(10))
        .frame(std::nullopt, rowHeight);
}

}  // namespace vesk
