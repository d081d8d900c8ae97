#pragma once

#include "Kit/Kit.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

namespace kit::test {

// A tree on the virtual clock whose descriptions the tests render to pixels.
class RenderFixture : public ::testing::Test {
protected:
    explicit RenderFixture(QSizeF defaultSize) : defaultSize_(defaultSize) {}

    QImage render(Element root) { return render(std::move(root), defaultSize_); }
    QImage render(Element root, QSizeF size, double scale = 1)
    {
        tree.setSize(size);
        tree.setRoot(std::move(root));
        return tree.render(scale);
    }
    vesk::VirtualTime time;
    Tree tree;

private:
    QSizeF defaultSize_;
};

}  // namespace kit::test
