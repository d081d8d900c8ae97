#pragma once

#include <QRectF>
#include <QRegion>

class QPainter;

#include <cstdint>
#include <typeinfo>

namespace kit {

class Node;

// What a node's subtree covered at the last paint whose changes its tree tracked
// (Tree::takeDamage), in that paint's device pixels, its effects' reach included.
struct DrawnRecord {
    bool known = false;   // the node was there at that paint
    bool moving = false;  // an animation or loop moved it then: its values have moved on since
    QRectF device;        // unbounded for drawing that may land anywhere (a hand-drawn Painter)
    // Nothing in the subtree changed or moved then, none of it loops and none of it is drawn
    // through a layer that damage must make whole: while no node in it changes, a walk may take
    // `device` without looking inside.
    bool still = false;
    // Faded out or hidden then, with everything under it drawing nothing.
    bool hidden = false;
    // The kind of description the walk last sorted the node's under, by its type: a failed
    // dynamic_cast compares type names, and the walk asks a dozen of them of every node it visits.
    const std::type_info *sortedType = nullptr;
    uint8_t sortedKind = 0;
};

// The device rectangle standing for drawing that cannot be bounded.
bool isUnbounded(const QRectF &device);

// The device pixels (of a target `target` large, at `scale` pixels per point) whose drawing may
// differ from the last tracked paint of the tree under `root`: for every node that changed in
// itself, moves or has moved since change stamp `since`, the old and the new rectangle of its
// subtree, effects included, rounded out to whole pixels and widened for antialiasing. Damage
// that reaches into a blur's, shadow's or kept picture's layer covers all of that layer, so it is
// made as a full repaint makes it.
// With `commit`, the nodes' records become what is drawn now.
QRegion collectDamage(const Node &root, double scale, QRect target, uint64_t since, bool commit);

// Readies `painter` to repaint `cleared` (in its device's pixels) over what it held: clipped to
// `clip`, those pixels made transparent, then antialiased drawing over them.
void beginRepaint(QPainter &painter, const QRegion &clip, const QRegion &cleared);

// Whether `node`'s subtree drew anything inside `damage` at the last tracked paint.
bool touchesDamage(const Node &node, const QRegion &damage);

}  // namespace kit
