#pragma once

#include "Island/IslandShape.h"
#include "Island/NotchPanel.h"
#include "Kit/Kit.h"

#include <QImage>

namespace vesk::test {

// A panel's pixels showing a plain black island of `size` points (plus its flared top corners) at
// the top centre, drawn by Kit as the island view draws its outline.
inline QImage islandImage(QSizeF size, const IslandShape &outline, double scale = 1)
{
    kit::Tree tree(QSizeF(NotchPanel::width, NotchPanel::height));
    tree.setRoot(kit::Fill(outline, kit::Color::black())
                     .frame(size.width() + 2 * outline.topRadius, size.height())
                     .maxFrame(kit::Alignment::top()));
    return tree.render(scale);
}

}  // namespace vesk::test
