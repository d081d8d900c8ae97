#include "Onboarding/TourRows.h"

#include "Kit/InteractionNodes.h"
#include "Kit/Node.h"
#include "Onboarding/TourKit.h"

namespace vesk {

using namespace kit;

namespace {

bool isInside(const Node *node, const Node *ancestor)
{
    for (const Node *n = node; n; n = n->parent())
        if (n == ancestor)
            return true;
    return false;
}

// The row tag above `node`, when it carries `tag`.
const Node *taggedAncestor(const Node *node, const QString &tag)
{
    for (const Node *n = node; n; n = n->parent())
        if (const auto *label = dynamic_cast<const LabelSpec *>(&n->spec()); label && !label->isAccessibility && label->text == tag)
            return n;
    return nullptr;
}

// The node's own rectangle in tree points (translations and scales on its path; what rows see).
QRectF treeRect(const Node &node)
{
    const QPointF a = mapFromTree(node, QPointF(0, 0));
    const QPointF b = mapFromTree(node, QPointF(100, 100));
    const double sx = (b.x() - a.x()) / 100, sy = (b.y() - a.y()) / 100;
    if (sx <= 0 || sy <= 0)
        return {};
    return QRectF(-a.x() / sx, -a.y() / sy, node.size().width() / sx, node.size().height() / sy);
}

}  // namespace

std::optional<TourRowState> findTourRow(const Tree &tree, const QString &title)
{
    const QString tag = QString::fromLatin1(TourMetrics::rowNamePrefix) + title;
    const std::vector<DrawnItem> items = drawnItems(tree);
    const Node *row = nullptr;
    for (const DrawnItem &item : items) {
        if (item.kind == DrawnItem::Kind::text && item.isVisible())
            if ((row = taggedAncestor(item.node, tag)))
                break;
    }
    if (!row)
        return std::nullopt;
    TourRowState state;
    state.rect = treeRect(*row);
    for (const DrawnItem &item : items) {
        if (!item.isVisible() || !isInside(item.node, row))
            continue;
        if (item.kind == DrawnItem::Kind::control && !state.accessory) {
            state.accessory = item.rect;
            state.disabled = !item.takesHits || item.disabled;
            if (item.text == QLatin1String(TourMetrics::switchOnName))
                state.value = QStringLiteral("on");
            else if (item.text == QLatin1String(TourMetrics::switchOffName))
                state.value = QStringLiteral("off");
            else
                state.value = item.text;
        } else if (item.kind == DrawnItem::Kind::text && item.text == QLatin1String("Granted") && !state.accessory) {
            state.value = item.text;
        }
    }
    return state;
}

}  // namespace vesk
