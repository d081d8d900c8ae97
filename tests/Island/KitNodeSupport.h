#pragma once

#include "Kit/Kit.h"

#include <cstring>

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

}  // namespace vesk::test
