#include "Updater/Views/UpdateBadge.h"

#include "Island/IslandHover.h"
#include "Model/NotchViewModel.h"
#include "Updater/Views/UpdateMetrics.h"

#include <algorithm>
#include <cmath>

namespace vesk {

using namespace kit;
using namespace update_metrics;

namespace {

// A circle drawn from its top clockwise through `data[0]` of a turn.
QPainterPath ringArc(const QRectF &rect, const std::vector<double> &data)
{
    QPainterPath path;
    const double turn = std::clamp(data.empty() ? 0.0 : data[0], 0.0, 1.0);
    path.arcMoveTo(rect, 90);
    path.arcTo(rect, 90, -360 * turn);
    return path;
}

AnyShape Ring(double fraction) { return {QStringLiteral("ring"), ringArc, {fraction}}; }

}  // namespace

UpdateBadge::Placement UpdateBadge::placement(const NotchViewModel &model)
{
    if (model.style.get() == IslandStyle::pill)
        return {std::max(badgeMinimumTop, badgePillTop), std::max(badgeMinimumTrailing, badgePillTrailing)};
    const Size closed = model.notchSize();
    const Size open = model.openSize();
    return {std::max(badgeMinimumTop, (closed.height - badgeSide) / 2),
            std::max(badgeMinimumTrailing, ((open.width - closed.width) / 2 - badgeSide) / 2)};
}

Element UpdateBadge::body(const Env &) const
{
    Q_ASSERT(model && updater);
    const Updater::Phase &phase = updater->phase().get();
    using Case = Updater::Phase::Case;
    if (phase.kind != Case::downloading && phase.kind != Case::ready)
        return Empty();
    const bool ready = phase.kind == Case::ready;
    Element mark = ready ? Symbol(QStringLiteral("arrow.down"), badgeSymbolSize, Weight::bold, Color::white())
                         : Stroke(Ring(std::max(phase.progress, badgeMinimumArc)), Color::white(),
                                  {.width = badgeRingWidth, .cap = Qt::RoundCap})
                               .padding(badgeRingInset);
    Element label = ZStack({}, Fill(Circle(), accent), mark).frame(badgeSide, badgeSide).contentShape(Circle());
    Updater *u = updater;
    const Placement at = placement(*model);
    return clickableCursor(Button(label, [u] { u->install(); }))
        .tooltip(ready ? QStringLiteral("A new version of Vesk is ready. Click to restart and install it.")
                       : QStringLiteral("Downloading the new version of Vesk"))
        .padding(Edges{at.top, 0, 0, at.trailing})
        .transition(Transition::blurReplace().combined(Transition::scale(badgeEntryScale)));
}

}  // namespace vesk
