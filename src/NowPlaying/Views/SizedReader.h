#pragma once

#include "Kit/Kit.h"

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// A GeometryReader that describes its content once per size. Every layout of the island runs a
// reader's content again (a scrubber tick lays out the whole page); offered the size it was given
// last, this one hands back the very description it made then, which the tree neither reconciles
// nor repaints. `content` must depend on nothing but the size and what it captured.
inline kit::Element sizedReader(std::function<kit::Element(QSizeF)> content)
{
    struct Last {
        std::optional<QSizeF> size;
        kit::Element element;
    };
    auto last = std::make_shared<Last>();
    return kit::GeometryReader([content = std::move(content), last](QSizeF size) {
        if (!last->size || last->size->width() != size.width() || last->size->height() != size.height()) {
            last->element = content(size);
            last->size = size;
        }
        return last->element;
    });
}

}  // namespace vesk
