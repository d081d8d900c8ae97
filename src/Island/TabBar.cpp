#include "Island/TabBar.h"

#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "Extensions/ExtensionStore.h"
#include "Island/IslandHover.h"
#include "Base/Overloaded.h"

namespace vesk {

using namespace kit;

QString TabBar::name(const IslandPage &page)
{
    return page.visit(Overloaded{
        [](IslandPage::Media) { return QStringLiteral("Now Playing"); },
        [](IslandPage::Calendar) { return QStringLiteral("Calendar"); },
        [](IslandPage::Timer) { return QStringLiteral("Timer"); },
        [](const IslandPage::Ext &ext) {
            const ExtensionStore::Type *type = ExtensionStore::type(ext.id);
            return type ? QString::fromStdString(type->info.name) : QString();
        },
    });
}

Element TabBar::body(const Env &) const
{
    const std::vector<IslandPage> pages = model->pages();
    if (pages.size() < 2)
        return Empty();
    const int page = model->page();
    NotchViewModel *m = model;
    Elements dots;
    dots.reserve(pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        const bool current = int(i) == page;
        const int delta = int(i) - page;
        Element dot = Fill(Capsule(), Color::white(current ? 0.95 : 0.35)).frame(current ? 16 : 6, 6).frame(height, height);
        dots.push_back(clickableCursor(Button(dot, [m, delta] { m->turnPage(delta); }).tooltip(name(pages[i])), false)
                           .id(pages[i]));
    }
    return HStack({.alignment = Alignment::center(), .spacing = 0}, std::move(dots))
        .padding(Edges::horizontal(3))
        .frame(std::nullopt, height)
        .background(Fill(Capsule(), Color::black()))
        .animation(Motion::small, page)
        .environment(isIslandLayerVisible, isShown)
        .allowsHitTesting(isShown)
        .blur(isShown ? 0 : 4)
        .opacity(isShown ? 1 : 0)
        .offset(0, isShown ? 0 : -18)
        .scaleEffect(isShown ? 1 : 0.5, UnitPoint::top())
        .animation(isShown ? Motion::open.delayed(0.08) : Motion::close, isShown);
}

}  // namespace vesk
