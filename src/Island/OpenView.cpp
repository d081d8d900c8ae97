#include "Island/OpenView.h"

#include "Model/NotchViewModel.h"
#include "Extensions/ExtensionStore.h"
#include "Island/IslandHover.h"
#include "Base/Overloaded.h"

#include <algorithm>
#include <cmath>

namespace vesk {

using namespace kit;

OpenView::Slots &OpenView::Slots::standard()
{
    static Slots standardSlots;
    return standardSlots;
}

double OpenView::position(int page, double pageDrag, double openWidth)
{
    return openWidth > 0 ? page - pageDrag / openWidth : page;
}

double OpenView::distance(int index, double position) { return std::min(std::abs(index - position), 1.0); }

double OpenView::topInset(IslandStyle style, double notchHeight) { return style == IslandStyle::pill ? 16 : notchHeight; }

Element OpenView::body(const Env &env) const
{
    NotchViewModel &m = *model;
    const Size open = m.openSize();
    const double at = position(m.page(), m.pageDrag.get(), open.width);
    const bool isVisible = env[isIslandLayerVisible];
    const double inset = topInset(m.style.get(), m.notchSize().height);
    const std::vector<IslandPage> pages = m.pages();

    auto content = [&](const IslandPage &page, double d) -> Element {
        if (d >= 1)
            return Empty();
        auto fill = [&](const std::function<Element(NotchViewModel &)> &slot) { return slot ? slot(m) : Empty(); };
        return page.visit(Overloaded{
            [&](IslandPage::Media) { return fill(pageViews->media); },
            [&](IslandPage::Calendar) { return fill(pageViews->calendar); },
            [&](IslandPage::Timer) { return fill(pageViews->timer).padding(Edges::topOnly(inset)); },
            [&](const IslandPage::Ext &ext) -> Element {
                // An extension's page exists only while its extension runs and the island is shown
                // or hovered (it may be costly to build).
                const auto &running = m.services().extensions->running().get();
                const auto it = running.find(ext.id);
                if (it == running.end() || (!isVisible && !m.isHovering.get()))
                    return Empty();
                return it->second->page()
                    .padding(Edges::topOnly(inset))
                    .frame(Element::Limits{.maxHeight = infinity, .alignment = Alignment::top()});
            },
        });
    };

    Elements layers;
    layers.reserve(pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        const double d = distance(int(i), at);
        layers.push_back(content(pages[i], d)
                             .frame(open.width, open.height)
                             .scaleEffect(1 - pageShrink * d)
                             .blur(pageBlur * d)
                             .opacity(1 - d)
                             .allowsHitTesting(d < 0.5)
                             .environment(isIslandLayerVisible, isVisible && d < 0.5)
                             .id(pages[i]));
    }
    return ZStack({.alignment = Alignment::center()}, std::move(layers)).frame(open.width, open.height);
}

}  // namespace vesk
