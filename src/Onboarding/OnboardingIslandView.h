#pragma once

#include "Kit/Kit.h"

#include <QString>

#include <optional>

namespace vesk {

class NotchViewModel;

// The first-run tour, drawn inside the island while its model holds a tour page. All eight pages
// live at once in one stack, identified by page; moving changes only which one is shown (opacity,
// scale, hits and each page's `isIslandLayerVisible`), so no page is built again and a page that
// is not current does no timed work. The page machine's only state is the model's
// `onboardingPage`: the buttons write it, nothing here keeps a page of its own.
struct OnboardingIslandView {
    enum class Page : int { welcome, features, gestures, music, activities, access, updates, done };
    static constexpr int pageCount = 8;

    NotchViewModel *model = nullptr;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const OnboardingIslandView &, const OnboardingIslandView &) = default;

    // 0...7 are pages; anything else is none.
    static std::optional<Page> pageFromRaw(int raw);
    // The page shown for a stored value: absent counts as 0, and no page shows `welcome`.
    static Page currentPage(std::optional<int> stored);
    static QString caseName(Page page);

    // A page's step view.
    kit::Element content(Page page) const;
    // A page's footer row: its buttons, and the dots on the middle pages.
    kit::Element footer(Page page) const;
    // A page as the stack holds it: shown or hidden, and while current and resting drawn from a
    // kept picture (most frames of a resting page are drawn for something else that moves).
    kit::Element pageLayer(Page page, bool isCurrent, bool isVisible) const;
    // The stack of `layers` in its clipped area over `current`'s footer, in the tour's frame.
    kit::Element framed(kit::Elements layers, Page current) const;
};

namespace TourFrameMetrics {
inline constexpr double pageAreaHeight = 172;
inline constexpr double pageGap = 12;
inline constexpr double footerHeight = 28;
inline constexpr double bottomPadding = 16;
inline constexpr double sidePadding = 24;
inline constexpr double notchTopExtra = 8;   // below the notch
inline constexpr double pillTopPadding = 24;
inline constexpr double hiddenPageScale = 0.94;
inline constexpr double dotHeight = 5, dotWidth = 5, currentDotWidth = 14, dotSpacing = 5;
inline constexpr double currentDotOpacity = 0.9, dotOpacity = 0.25;
}  // namespace TourFrameMetrics

}  // namespace vesk
