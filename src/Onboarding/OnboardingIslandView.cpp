#include "Onboarding/OnboardingIslandView.h"

#include "Island/IslandHover.h"
#include "Model/IslandTypes.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "Onboarding/AccessStep.h"
#include "Onboarding/FeaturesStep.h"
#include "Onboarding/GesturesStep.h"
#include "Onboarding/Steps.h"
#include "Onboarding/TourKit.h"


namespace vesk {

using namespace kit;
using namespace TourFrameMetrics;
using Page = OnboardingIslandView::Page;

namespace {

Element arrowButton(const char *title, std::function<void()> action)
{
    return view(TourButton{QString::fromLatin1(title), QStringLiteral("arrow.right"), true, std::move(action)});
}

Element plainButton(const char *title, std::function<void()> action)
{
    return view(TourButton{QString::fromLatin1(title), std::nullopt, false, std::move(action)});
}

// One dot per middle page; the current one is wide and bright.
Element pageDots(Page current)
{
    Elements dots;
    for (int raw = int(Page::features); raw <= int(Page::updates); ++raw) {
        const bool isCurrent = raw == int(current);
        dots.push_back(Fill(Capsule(), Color::white(isCurrent ? currentDotOpacity : dotOpacity))
                           .frame(isCurrent ? currentDotWidth : dotWidth, dotHeight));
    }
    return HStack({.alignment = Alignment::center(), .spacing = dotSpacing}, std::move(dots))
        .animation(Motion::small, int(current))
        .allowsHitTesting(false);
}

}  // namespace

std::optional<Page> OnboardingIslandView::pageFromRaw(int raw)
{
    if (raw < 0 || raw >= pageCount)
        return std::nullopt;
    return Page(raw);
}

Page OnboardingIslandView::currentPage(std::optional<int> stored) { return pageFromRaw(stored.value_or(0)).value_or(Page::welcome); }

QString OnboardingIslandView::caseName(Page page)
{
    static const char *names[] = {"welcome", "features", "gestures", "music", "activities", "access", "updates", "done"};
    return QString::fromLatin1(names[int(page)]);
}

Element OnboardingIslandView::content(Page page) const
{
    switch (page) {
    case Page::welcome: return view(WelcomeStep{});
    case Page::features: return view(FeaturesStep{});
    case Page::gestures: return view(GesturesStep{});
    case Page::music: return view(MusicStep{});
    case Page::activities: return view(ActivitiesStep{});
    case Page::access: return view(AccessStep{model});
    case Page::updates: return view(UpdatesStep{});
    case Page::done: return view(DoneStep{});
    }
    return Empty();
}

Element OnboardingIslandView::footer(Page page) const
{
    NotchViewModel *island = model;
    const int raw = int(page);
    auto moveTo = [island](int target) {
        return [island, target] {
            if (island)
                island->setOnboardingPage(target);
        };
    };
    auto finish = [island] {
        if (island)
            island->finishOnboarding();
    };
    Element leading, dots, secondSpacer, trailing;
    if (page == Page::welcome) {
        leading = plainButton("Skip tour", finish);
        trailing = arrowButton("Show me", moveTo(int(Page::features)));
    } else if (page == Page::done) {
        leading = Fill(Color::clear()).frame(1, 1).allowsHitTesting(false);
        trailing = arrowButton("Start Vesk", finish);
    } else {
        leading = plainButton("Back", moveTo(raw - 1));
        dots = pageDots(page);
        secondSpacer = Spacer();
        trailing = arrowButton("Next", moveTo(raw + 1));
    }
    return HStack({.alignment = Alignment::center(), .spacing = 8}, leading, Spacer(), dots, secondSpacer, trailing)
        .frame(std::nullopt, footerHeight);
}

Element OnboardingIslandView::pageLayer(Page page, bool isCurrent, bool isVisible) const
{
    // Exactly the page area: a page that asks for more never moves the others, which centre in it.
    return content(page)
        .keptWhileStill(isCurrent)
        .frame(Element::Limits{.maxWidth = infinity, .minHeight = pageAreaHeight, .maxHeight = pageAreaHeight,
                               .alignment = Alignment::top()})
        .environment(isIslandLayerVisible, isVisible && isCurrent)
        .allowsHitTesting(isCurrent)
        .scaleEffect(isCurrent ? 1 : hiddenPageScale)
        .opacity(isCurrent ? 1 : 0)
        .id(int(page));
}

Element OnboardingIslandView::framed(Elements layers, Page current) const
{
    // The tour keeps its layout while it fades out with the island closing around it.
    const Size size = model->onboardingSize();
    const bool isPill = model->style.get() == IslandStyle::pill;
    const double top = isPill ? pillTopPadding : model->notchSize().height + notchTopExtra;
    // The pages are cut off only where the footer begins. Above and beside the page area the room
    // up to the tour's edges is the island's own, and the mascots' glow spreads into it.
    const Edges around{top, sidePadding, 0, sidePadding};
    const Element pages = ZStack({.alignment = Alignment::center()}, std::move(layers))
                              .animation(Motion::page, int(current))
                              .frame(std::nullopt, pageAreaHeight, Alignment::top())
                              .padding(around)
                              .clipped()
                              .padding(Edges{-around.top, -around.leading, pageGap, -around.trailing});
    return VStack({.alignment = Alignment::center(), .spacing = 0}, pages, footer(current))
        .padding(Edges{top, sidePadding, bottomPadding, sidePadding})
        .foreground(Color::white())
        .frame(size.width, size.height);
}

Element OnboardingIslandView::body(const Env &env) const
{
    Q_ASSERT(model);
    const bool isVisible = env[isIslandLayerVisible];
    const Page current = currentPage(model->onboardingPage().get());
    Elements layers;
    for (int raw = 0; raw < pageCount; ++raw)
        layers.push_back(pageLayer(Page(raw), Page(raw) == current, isVisible));
    return framed(std::move(layers), current);
}

}  // namespace vesk
