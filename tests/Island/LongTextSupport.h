#pragma once

// Texts that come from outside (titles, names, messages) at the lengths the views are tried at, and
// the check that what a tree draws, and what the pointer can reach, stays inside an area.

#include "Kit/Kit.h"

#include <QString>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

// Readable rectangles in failure messages.
inline void PrintTo(const QRectF &r, std::ostream *os) { *os << r.x() << "," << r.y() << " " << r.width() << "x" << r.height(); }

namespace vesk::test {

// Empty, a long name and far more than any name should be.
inline const std::vector<int> textLengths{0, 60, 500};

// `length` characters of words, so that lines can break between them.
inline QString wordsOfLength(int length)
{
    static const QString words = QStringLiteral("Orchestra of the Northern Lights and Friends at Midnight Harbour ");
    QString out;
    while (out.size() < length)
        out += words;
    return out.left(length);
}

// What of a drawn item the clips on its path leave showing (a line kept at its natural length is
// wider than the frame that cuts it).
inline QRectF shownPart(const kit::DrawnItem &item)
{
    QRectF r = item.rect;
    for (const kit::Node *n = item.node ? item.node->parent() : nullptr; n; n = n->parent())
        if (std::strcmp(n->spec().kind(), "Clip") == 0)
            r = r.intersected(n->frameInTree());
    return r;
}

inline std::string describe(const kit::DrawnItem &item, const QRectF &r)
{
    static const char *kinds[] = {"text", "symbol", "control"};
    std::ostringstream out;
    out << kinds[int(item.kind)] << " \"" << item.text.left(40).toStdString() << "\" at " << r.x() << "," << r.y() << " "
        << r.width() << "x" << r.height();
    return out.str();
}

// Every visible text and symbol whose shown part, and (with `controls`) every control that takes
// hits whose whole rectangle, leaves `area` (by more than half a point of rounding): one line each,
// for a failure message. Empty when everything lies inside.
inline std::vector<std::string> outside(const kit::Tree &tree, const QRectF &area, bool controls = true)
{
    const QRectF allowed = area.adjusted(-0.5, -0.5, 0.5, 0.5);
    std::vector<std::string> found;
    for (const kit::DrawnItem &item : kit::drawnItems(tree)) {
        if (!item.isVisible())
            continue;
        const bool control = item.kind == kit::DrawnItem::Kind::control;
        if (control && (!controls || !item.takesHits))
            continue;
        const QRectF r = control ? item.rect : shownPart(item);
        if (!r.isEmpty() && !allowed.contains(r))
            found.push_back(describe(item, r));
    }
    return found;
}

// The rectangle of the first visible item of `kind` named `name`, or an empty one.
inline QRectF rectOf(const kit::Tree &tree, kit::DrawnItem::Kind kind, const QString &name)
{
    for (const kit::DrawnItem &item : kit::drawnItems(tree))
        if (item.kind == kind && item.isVisible() && item.text == name)
            return item.rect;
    return {};
}

}  // namespace vesk::test
