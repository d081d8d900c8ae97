#pragma once

#include "Kit/Element.h"
#include "Kit/Node.h"

#include <QPointF>
#include <QString>

#include <functional>
#include <vector>

namespace kit {

// A pointer event as the hosting window (or a test) hands it to a tree, in the tree's points.
struct PointerEvent {
    enum class Type { move, press, release, leave };
    Type type = Type::move;
    QPointF position;
    Qt::MouseButton button = Qt::LeftButton;
    QPointF globalPosition;  // for placing a context menu

    static PointerEvent move(QPointF p) { return {Type::move, p, Qt::NoButton, p}; }
    static PointerEvent press(QPointF p, Qt::MouseButton b = Qt::LeftButton) { return {Type::press, p, b, p}; }
    static PointerEvent release(QPointF p, Qt::MouseButton b = Qt::LeftButton) { return {Type::release, p, b, p}; }
    static PointerEvent leave() { return {Type::leave, {}, Qt::NoButton, {}}; }
};

// A drag in progress, in the coordinates of the node that handles it.
struct DragValue {
    QPointF start;
    QPointF location;
    QPointF translation() const { return location - start; }
};

// One entry of a context menu; a divider has no title. `symbol` names the item's icon (none when
// empty). The title is shown literally: a host escapes what its menus would read as markup.
struct MenuItem {
    QString title;
    std::function<void()> action;
    bool isDivider = false;
    QString symbol = QString();
    static MenuItem withSymbol(QString title, QString symbol, std::function<void()> action)
    {
        return {std::move(title), std::move(action), false, std::move(symbol)};
    }
    static MenuItem divider() { return {QString(), nullptr, true, QString()}; }
};

// A node met by a hit test, with the point in its own coordinates.
struct Hit {
    const Node *node;
    QPointF local;
};

// The point `p` of the tree's coordinates in `node`'s own coordinates.
QPointF mapFromTree(const Node &node, QPointF p);

// A plain button: the label, pressed look (dimmed while held) and the action on a click that ends
// inside it. Disabled through env::isEnabled.
Element Button(Element label, std::function<void()> action);

// How a button looks from its label and whether it is held down now.
using ButtonStyle = std::function<Element(Element label, bool isPressed)>;

// A button drawn by `style`, described again whenever it is pressed or let go; it adds no dimming
// and no hit shape of its own (the label's content shape, or its leaves, take the press).
Element Button(Element label, std::function<void()> action, ButtonStyle style);

}  // namespace kit
