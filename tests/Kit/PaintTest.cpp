#include "Kit/Kit.h"
#include "RenderFixtureSupport.h"

#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

class Painting : public test::RenderFixture {
protected:
    Painting() : RenderFixture({40, 40}) {}
};

}  // namespace

TEST_F(Painting, ColourWithOpacity)
{
    const QImage image = render(Fill(Color::rgb(1, 0, 0, 0.5)));
    const QRgb p = image.pixel(20, 20);
    EXPECT_NEAR(qAlpha(p), 128, 1);
    EXPECT_NEAR(qRed(p), 128, 1);  // premultiplied
    EXPECT_EQ(qGreen(p), 0);
}

TEST_F(Painting, RoundedShapesLeaveTheirCornersEmpty)
{
    for (const AnyShape &shape : {RoundedRectangle(10), RoundedRectangle(10, CornerStyle::continuous), Capsule(), Circle()}) {
        const QImage image = render(Fill(shape, Color::white()));
        EXPECT_EQ(qAlpha(image.pixel(1, 1)), 0) << shape.name.toStdString();
        EXPECT_EQ(qAlpha(image.pixel(38, 38)), 0) << shape.name.toStdString();
        EXPECT_EQ(qAlpha(image.pixel(20, 20)), 255) << shape.name.toStdString();
    }
    // Continuous corners start further along the edge than circular ones of the same radius.
    const QImage circular = render(Fill(RoundedRectangle(10), Color::white()));
    const QImage continuous = render(Fill(RoundedRectangle(10, CornerStyle::continuous), Color::white()));
    EXPECT_GT(qAlpha(circular.pixel(11, 0)), qAlpha(continuous.pixel(11, 0)));
}

TEST_F(Painting, StrokeHasItsWidthAndCaps)
{
    QPainterPath line;
    line.moveTo(10, 20);
    line.lineTo(30, 20);
    const QImage butt = render(Stroke(Path(line), Color::white(), {.width = 4, .cap = Qt::FlatCap}));
    EXPECT_EQ(qAlpha(butt.pixel(20, 19)), 255);
    EXPECT_EQ(qAlpha(butt.pixel(20, 23)), 0);
    EXPECT_EQ(qAlpha(butt.pixel(8, 20)), 0);  // a butt cap ends at the end point
    const QImage square = render(Stroke(Path(line), Color::white(), {.width = 4, .cap = Qt::SquareCap}));
    EXPECT_EQ(qAlpha(square.pixel(8, 20)), 255);
}

TEST_F(Painting, LinearGradientFollowsItsStops)
{
    const LinearGradient gradient{{{Color::white(0), 0.35}, {Color::white(0.22), 0.75}, {Color::white(0.45), 1.0}},
                                  UnitPoint::top(), UnitPoint::bottom()};
    const QImage image = render(Fill(Rectangle(), gradient), {10, 100});
    EXPECT_EQ(qAlpha(image.pixel(5, 10)), 0);
    EXPECT_NEAR(qAlpha(image.pixel(5, 75)), 0.22 * 255, 3);
    EXPECT_NEAR(qAlpha(image.pixel(5, 99)), 0.45 * 255, 4);
}

TEST_F(Painting, ClipToShapeAndToBounds)
{
    const QImage clipped = render(Fill(Color::white()).clipShape(Circle()));
    EXPECT_EQ(qAlpha(clipped.pixel(1, 1)), 0);
    EXPECT_EQ(qAlpha(clipped.pixel(20, 20)), 255);
    // Content offset outside its frame shows unless clipped to the bounds.
    const Element spill = Fill(Color::white()).frame(10, 10).offset(10, 0).frame(10, 10);
    EXPECT_EQ(qAlpha(render(spill).pixel(26, 20)), 255);
    EXPECT_EQ(qAlpha(render(spill.clipped()).pixel(26, 20)), 0);
}

TEST_F(Painting, ImagesFitOrFillAndCrop)
{
    QImage source(100, 50, QImage::Format_ARGB32_Premultiplied);
    source.fill(Qt::red);
    for (int x = 50; x < 100; ++x)
        for (int y = 0; y < 50; ++y)
            source.setPixel(x, y, qRgb(0, 0, 255));
    const QImage fit = render(Image(source, {.mode = ContentMode::fit}), {40, 40});
    EXPECT_EQ(qAlpha(fit.pixel(20, 2)), 0);  // letterboxed above and below
    EXPECT_EQ(qAlpha(fit.pixel(20, 20)), 255);
    const QImage fill = render(Image(source, {.mode = ContentMode::fill}), {40, 40});
    EXPECT_EQ(qAlpha(fill.pixel(20, 2)), 255);  // covers, centred: cut at the sides
    EXPECT_EQ(qAlpha(fill.pixel(0, 20)), 255);
    EXPECT_EQ(qAlpha(fill.pixel(41 - 2, 20)), 255);
    // Cropped to the right half: all blue.
    const QImage crop = render(Image(source, {.crop = QRectF(50, 0, 50, 50)}), {40, 40});
    EXPECT_EQ(qBlue(crop.pixel(2, 20)), 255);
    EXPECT_EQ(qRed(crop.pixel(2, 20)), 0);
    // Not resizable: its own size in points.
    tree.setRoot(Image(source, {.resizable = false, .pointScale = 2}).id(1));
    EXPECT_EQ(tree.find(1)->frame().size(), QSizeF(50, 25));
}

TEST_F(Painting, CustomPainterGetsItsRectangleAndAnimatedValues)
{
    QRectF seen;
    std::vector<double> values;
    render(Painter(AnyValue::of(1), {0.25},
                   [&](QPainter &p, const QRectF &r, const std::vector<double> &v) {
                       seen = r;
                       values = v;
                       p.fillRect(QRectF(r.x(), r.y(), r.width() * v[0], r.height()), Qt::white);
                   })
               .frame(20, 10),
           {20, 10});
    EXPECT_EQ(seen, QRectF(0, 0, 20, 10));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0], 0.25);
    // Its values animate like any property.
    withAnimation(Animation::linear(1), [&] {
        tree.setRoot(Painter(AnyValue::of(1), {1.0}, [&](QPainter &, const QRectF &, const std::vector<double> &v) { values = v; })
                         .frame(20, 10));
    });
    time.advance(0.5);
    tree.render(1);
    EXPECT_NEAR(values[0], 0.625, 1e-6);
}

TEST_F(Painting, RenderScaleSetsThePixelSize)
{
    EXPECT_EQ(render(Fill(Color::white()), {10.5, 7}, 2).size(), QSize(21, 14));
    EXPECT_EQ(render(Fill(Color::white()), {10.2, 7}, 1.5).size(), QSize(16, 11));
    // At scale 2 a 1-point hairline covers two pixel rows.
    const QImage image = render(Fill(Color::white()).frame(10, 1).frame(10, 10, Alignment::top()), {10, 10}, 2);
    EXPECT_EQ(qAlpha(image.pixel(5, 1)), 255);
    EXPECT_EQ(qAlpha(image.pixel(5, 2)), 0);
}

TEST_F(Painting, TextDrawsInTheEnvironmentColour)
{
    const QImage image = render(Text(QStringLiteral("HH")).font(Font::system(20, Weight::bold)).foreground(Color::rgb(0, 1, 0)),
                                {60, 40});
    int green = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            green += qAlpha(image.pixel(x, y)) == 255 && qGreen(image.pixel(x, y)) == 255 ? 1 : 0;
    EXPECT_GT(green, 20);
}

TEST_F(Painting, DumpListsKindFrameAndDetails)
{
    tree.setSize({100, 40});
    tree.setRoot(HStack({.spacing = 4}, Text(QStringLiteral("Hi"), Font::system(13)), Fill(Capsule(), Color::white()).frame(20, 10))
                     .opacity(0.5));
    const QString dump = tree.dump();
    const QStringList lines = dump.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Opacity (")));
    EXPECT_TRUE(lines[0].contains(QStringLiteral("opacity=0.5")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("  HStack (")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("Text")) && lines[2].contains(QStringLiteral("\"Hi\" Inter 13 regular")));
    EXPECT_TRUE(lines[4].contains(QStringLiteral("Shape (0,0 20x10) capsule")));
    EXPECT_EQ(tree.dump(), dump);
}

TEST_F(Painting, EmptyTreeRendersNoImage)
{
    tree.setSize({0, 10});
    tree.setRoot(Fill(Color::white()));
    EXPECT_TRUE(tree.render(2).isNull());
}
