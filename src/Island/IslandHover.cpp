#include "Island/IslandHover.h"

#include "Model/NotchViewModel.h"
#include "Island/Cursor.h"
#include "Kit/Node.h"
#include "Kit/ViewState.h"
#include "Platform/Haptics.h"

#include <algorithm>

namespace vesk {

using namespace kit;

void clickableHoverChanged(NotchViewModel *model, bool isVisible, bool tapsOnHover, bool inside)
{
    if (inside && !isVisible)
        return;
    if (model)
        model->hoveredControls = std::max(0, model->hoveredControls + (inside ? 1 : -1));
    if (!inside) {
        Cursor::set(Qt::ArrowCursor);
        return;
    }
    Cursor::set(Qt::PointingHandCursor);
    if (tapsOnHover && model && model->hapticFeedback.get())
        model->services().haptics->perform(HapticPattern::alignment, model);
}

Element clickableCursor(Element content, bool tapsOnHover)
{
    return Observe([content = std::move(content), tapsOnHover](const Env &env) {
        NotchViewModel *model = env[islandModel];
        const bool visible = env[isIslandLayerVisible];
        return content
            .onHover([model, visible, tapsOnHover](bool inside) {
                clickableHoverChanged(model, visible, tapsOnHover, inside);
            })
            .cursor(visible ? Qt::PointingHandCursor : Qt::ArrowCursor);
    });
}

namespace {

// Hover reports of one control. Kit already ends the hover of a control whose layer stops taking
// hits, and the layer's hiding reports false too; the last report is kept in the node so that the
// view hears false only once.
class IslandHoverSpec final : public Spec {
public:
    IslandHoverSpec(Element content, std::function<void(bool)> action)
        : content(std::move(content)), action(std::move(action))
    {
    }
    const char *kind() const override { return "IslandHover"; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isComponent() const override { return true; }
    Element evaluateAt(const Node &node, const Env &env) const override
    {
        const std::shared_ptr<bool> hovered = sharedViewState<bool>(node, false);
        const bool visible = env[isIslandLayerVisible];
        auto report = [hovered, action = action](bool h) {
            if (*hovered == h)
                return;
            *hovered = h;
            action(h);
        };
        return content.onHover([report, visible](bool inside) { report(inside && visible); })
            .onChange<bool>(
                visible,
                [report](const bool &was, const bool &now) {
                    if (was && !now)
                        report(false);
                },
                false);
    }
    Element content;
    std::function<void(bool)> action;
};

}  // namespace

Element islandHover(Element content, std::function<void(bool)> action)
{
    return Element(std::make_shared<const IslandHoverSpec>(std::move(content), std::move(action)));
}

}  // namespace vesk
