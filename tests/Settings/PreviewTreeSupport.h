#pragma once

#include "Kit/Kit.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include <cstring>

namespace vesk::test {

// A preview in a tree on the virtual clock, with look-ups of its parts by id.
class PreviewTree : public ::testing::Test {
protected:
    explicit PreviewTree(QSizeF size) : tree(size) {}

    // Describes the preview and lets it settle.
    template <typename V>
    void show(V preview, double settle = 5)
    {
        tree.setRoot(kit::view(std::move(preview)));
        time.advance(settle);
        tree.update();
    }

    // The node an id was given to (what the id wraps), or fails the test.
    const kit::Node &part(const char *id) const
    {
        const kit::Node *idNode = tree.find(QString::fromLatin1(id));
        if (!idNode) {
            ADD_FAILURE() << "no part \"" << id << "\"";
            return *tree.root();
        }
        return *idNode->firstLiveChild();
    }
    bool has(const char *id) const
    {
        const kit::Node *n = tree.find(QString::fromLatin1(id));
        return n && !n->isLeaving();
    }
    QRectF frame(const char *id) const { return part(id).frameInTree(); }
    // The presented opacity of a part whose outermost modifier is an opacity.
    double opacity(const char *id) const { return part(id).value(kit::Prop::opacity, 1); }
    // The first node of `kind` inside a part.
    static const kit::Node *inside(const kit::Node &node, const char *kind)
    {
        if (std::strcmp(node.spec().kind(), kind) == 0 && !node.isLeaving())
            return &node;
        for (const auto &c : node.children())
            if (const kit::Node *found = inside(*c, kind))
                return found;
        return nullptr;
    }
    // The presented fill colour of the first shape inside a part.
    kit::Color fill(const char *id) const
    {
        const kit::Node *shape = inside(part(id), "Shape");
        if (!shape)
            return kit::Color::clear();
        return {shape->value(kit::Prop::colorR, -1), shape->value(kit::Prop::colorG, -1),
                shape->value(kit::Prop::colorB, -1), shape->value(kit::Prop::colorA, -1)};
    }
    // The presented number `i` of the first clip (or shape) inside a part.
    double shapeData(const char *id, const char *kind, int i) const
    {
        const kit::Node *n = inside(part(id), kind);
        return n ? n->value(kit::dataProp(i), -1) : -1;
    }

    VirtualTime time;
    kit::Tree tree;
};

}  // namespace vesk::test
