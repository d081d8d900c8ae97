#pragma once

#include <QRectF>
#include <QString>

#include <vector>

namespace kit {

class Node;
class Tree;

// One thing a tree draws right now: a line of text, a symbol, or a control (a button, or a node
// with a tap, press, drag or context-menu handler).
struct DrawnItem {
    enum class Kind { text, symbol, control };
    Kind kind = Kind::text;
    const Node *node = nullptr;
    // In tree points, through frames, offsets, paddings, scales and transitions on its path
    // (3-D rotation is ignored): the bounding rectangle of the node's own rectangle.
    QRectF rect;
    // Texts: the line as drawn (with its ellipsis). Symbols: the symbol's name. Controls: the
    // accessibility label, else the tooltip, else the debug name, else the first visible text
    // inside it, else "".
    QString text;
    // Controls: the name a screen reader hears: as `text`, but never the debug name.
    QString spokenName;
    double opacity = 1;    // the product of the opacities on its path (transitions included)
    double tintAlpha = 1;  // symbols: the tint's own opacity
    bool hiddenOnPath = false;
    bool clippedAway = false;  // nothing of it lies inside the clips on its path
    bool takesHits = true;     // every node on its path allows hits (what a control needs)
    bool disabled = false;     // controls: disabled through the environment

    // Not hidden, more than 1 % opaque, not wholly clipped away, not empty.
    bool isVisible() const;
};

// What `tree` draws at its current time, depth first, visible or not.
std::vector<DrawnItem> drawnItems(const Tree &tree);

}  // namespace kit
