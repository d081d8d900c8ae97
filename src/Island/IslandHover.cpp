#include "Island/IslandHover.h"

#include "App/NotchViewModel.h"
#include "Island/Cursor.h"
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
        Haptics::shared().perform(HapticPattern::alignment, model);
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

Element islandHover(Element content, std::function<void(bool)> action)
{
    return Observe([content = std::move(content), action = std::move(action)](const Env &env) {
        const bool visible = env[isIslandLayerVisible];
        return content.onHover([action, visible](bool inside) { action(inside && visible); })
            .onChange<bool>(
                visible,
                [action](const bool &was, const bool &now) {
                    if (was && !now)
                        action(false);
                },
                false);
    });
}

}  // namespace vesk
