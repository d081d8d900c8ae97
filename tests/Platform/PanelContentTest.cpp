// What a panel window takes of new content: only the pixels that changed within what it was told.
#include "Platform/PanelWindow.h"
#include "Platform/sim/SimPanelWindow.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

}  // namespace

TEST(PanelContent, TakesOnlyChangedRowsWithinTheChangedArea)
{
    QImage shown = filled(QSize(40, 30), Qt::transparent);
    QImage next = shown.copy();
    next.setPixelColor(12, 8, Qt::red);
    next.setPixelColor(14, 10, Qt::red);
    next.setPixelColor(35, 25, Qt::green);  // outside what the caller says changed
    const QRegion taken = takeChangedPixels(shown, next, QRegion(10, 5, 10, 10));
    EXPECT_EQ(taken, QRegion(10, 8, 10, 3)) << "the rows between the first and last that differ";
    EXPECT_EQ(shown.pixelColor(12, 8), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(14, 10), QColor(Qt::red));
    EXPECT_EQ(qAlpha(shown.pixel(35, 25)), 0) << "not read outside the changed area";

    EXPECT_TRUE(takeChangedPixels(shown, next, QRegion(10, 5, 10, 10)).isEmpty()) << "nothing new";
    EXPECT_TRUE(takeChangedPixels(shown, next, QRegion()).isEmpty());
}

TEST(PanelContent, AnotherSizeOrFormatTakesEverything)
{
    QImage shown = filled(QSize(10, 10), Qt::blue);
    const QImage larger = filled(QSize(20, 10), Qt::blue);
    EXPECT_EQ(takeChangedPixels(shown, larger, QRegion(0, 0, 1, 1)), QRegion(0, 0, 20, 10));
    EXPECT_EQ(shown.size(), QSize(20, 10));
    QImage plain(20, 10, QImage::Format_RGB32);
    plain.fill(Qt::white);
    EXPECT_EQ(takeChangedPixels(shown, plain, QRegion(0, 0, 20, 10)), QRegion(0, 0, 20, 10));
    EXPECT_EQ(shown.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(shown.pixelColor(3, 3), QColor(Qt::white));
}

TEST(PanelContent, SimulatedWindowKeepsItsOwnCopy)
{
    SimPanelWindow window;
    QImage image = filled(QSize(8, 8), Qt::black);
    window.setContent(image);
    EXPECT_EQ(window.lastChanged, QRegion(0, 0, 8, 8));
    image.setPixelColor(2, 2, Qt::white);  // drawing on after handing it over
    EXPECT_EQ(window.content().pixelColor(2, 2), QColor(Qt::black));
    window.updateContent(image, QRegion(0, 0, 4, 4));
    EXPECT_EQ(window.lastChanged, QRegion(0, 2, 4, 1));
    EXPECT_EQ(window.content().pixelColor(2, 2), QColor(Qt::white));
    EXPECT_EQ(window.contentUpdates, 2);
}
