#pragma once

#include "Island/IslandShape.h"
#include "Island/NotchPanel.h"
#include "Kit/Kit.h"

#include <QImage>

#include <utility>

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

// The first and last fully opaque columns along row `y` of `image`, or -1 for both when there are
// none (a shadow or soft edge around a shape is not fully opaque).
inline std::pair<int, int> opaqueSpan(const QImage &image, int y)
{
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y).alpha() == 255) {
            if (first < 0)
                first = x;
            last = x;
        }
    return {first, last};
}

}  // namespace vesk::test
