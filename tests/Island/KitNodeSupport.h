#pragma once

#include "Kit/Kit.h"

#include <cstring>
#include <vector>

namespace vesk::test {

// The first node of `kind` below `node` (depth first) that is not leaving, or null.
inline const kit::Node *findKind(const kit::Node *node, const char *kind)
{
    if (!node)
        return nullptr;
    if (std::strcmp(node->spec().kind(), kind) == 0 && !node->isLeaving())
        return node;
    for (const auto &c : node->children())
        if (const kit::Node *found = findKind(c.get(), kind))
            return found;
    return nullptr;
}

// Every node of `kind` below `node` (itself included) that is not leaving, depth first.
inline void collectKind(const kit::Node *node, const char *kind, std::vector<const kit::Node *> &out)
{
    if (!node)
        return;
    if (std::strcmp(node->spec().kind(), kind) == 0 && !node->isLeaving())
        out.push_back(node);
    for (const auto &c : node->children())
        collectKind(c.get(), kind, out);
}
inline std::vector<const kit::Node *> allOfKind(const kit::Node *node, const char *kind)
{
    std::vector<const kit::Node *> out;
    collectKind(node, kind, out);
    return out;
}

}  // namespace vesk::test
