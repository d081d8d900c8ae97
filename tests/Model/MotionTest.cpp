#include "Model/Motion.h"

#include <gtest/gtest.h>

using kit::Animation;
namespace Motion = vesk::Motion;

TEST(Motion, TwoReadsOfOneMemberAreTheSameAnimation)
{
    const Animation a = Motion::open;
    const Animation b = Motion::open;
    EXPECT_EQ(a, b);
    EXPECT_EQ(&Motion::open, &Motion::open);
    EXPECT_NE(Motion::open, Motion::close);
}

TEST(Motion, CatalogueMatchesItsTable)
{
    struct Row {
        const char *name;
        Animation actual;
        Animation expected;
    };
    const Row rows[] = {
        {"open", Motion::open, Animation::spring(0.43, 0.65)},
        {"close", Motion::close, Animation::spring(0.4, 1.0)},
        {"swell", Motion::swell, Animation::spring(0.31, 0.62)},
        {"press", Motion::press, Animation::spring(0.62, 0.65)},
        {"pressCancel", Motion::pressCancel, Animation::spring(0.52, 0.8)},
        {"readout", Motion::readout, Animation::spring(0.36, 0.76)},
        {"settle", Motion::settle, Animation::spring(0.5, 0.78)},
        {"contentFocus", Motion::contentFocus, Animation::spring(0.22, 1.0)},
        {"contentFadeIn", Motion::contentFadeIn, Animation::spring(0.2, 1.0)},
        {"contentBlurOut", Motion::contentBlurOut, Animation::easeOut(0.1).delayed(0.04)},
        {"contentFadeOut", Motion::contentFadeOut, Animation::easeIn(0.2).delayed(0.04)},
        {"page", Motion::page, Animation::spring(0.43, 0.8)},
        {"textSwitch", Motion::textSwitch, Animation::spring(0.45, 1.0)},
        {"flip", Motion::flip, Animation::spring(0.7, 0.88)},
        {"buttonPress", Motion::buttonPress, Animation::spring(0.38, 0.82)},
        {"hoverOut", Motion::hoverOut, Animation::easeOut(0.3)},
        {"small", Motion::small, Animation::spring(0.3, 0.85)},
        {"value", Motion::value, Animation::spring(0.5, 1.0)},
        {"level", Motion::level, Animation::easeOut(0.12)},
    };
    EXPECT_EQ(std::size(rows), 19u);
    for (const Row &row : rows)
        EXPECT_EQ(row.actual, row.expected) << row.name;
    // The two delayed curves keep their duration; the delay comes on top.
    EXPECT_EQ(Motion::contentBlurOut.duration, 0.1);
    EXPECT_EQ(Motion::contentBlurOut.delay, 0.04);
    EXPECT_EQ(Motion::contentFadeOut.kind, Animation::Kind::easeIn);
}
