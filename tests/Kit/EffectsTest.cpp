#include "Kit/Blur.h"
#include "Kit/Layers.h"
#include "Kit/Kit.h"
#include "RenderFixtureSupport.h"

#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <random>

using namespace kit;

namespace {

class Effects : public test::RenderFixture {
protected:
    Effects() : RenderFixture({60, 40}) {}
};

Element square(double x, double size = 20) { return Fill(Color::white()).frame(size, size).offset(x, 0); }

}  // namespace

TEST_F(Effects, GroupOpacityShowsNoBrighterOverlap)
{
    // Two white squares overlapping in the middle, faded together.
    const QImage image = render(ZStack({}, square(-6), square(6)).opacity(0.5));
    const int alone = qAlpha(image.pixel(30 - 14, 20));
    const int overlap = qAlpha(image.pixel(30, 20));
    EXPECT_NEAR(alone, 128, 1);
    EXPECT_EQ(overlap, alone);
    // Faded one by one, the overlap would be brighter: the check above can tell.
    const QImage each = render(ZStack({}, square(-6).opacity(0.5), square(6).opacity(0.5)));
    EXPECT_GT(qAlpha(each.pixel(30, 20)), qAlpha(each.pixel(30 - 14, 20)) + 30);
}

TEST_F(Effects, AFadedDrawingWithAnOutlineOverItsFillShowsOneBrightness)
{
    // One hand-drawn leaf: a plate and its outline drawn over it, faded as a whole.
    const Element plate = Painter(AnyValue::of(QStringLiteral("plate")), {},
                                  [](QPainter &p, const QRectF &r, const std::vector<double> &) {
                                      p.fillRect(r, Qt::white);
                                      p.setPen(QPen(Qt::white, 4));
                                      p.setBrush(Qt::NoBrush);
                                      p.drawRect(r.adjusted(2, 2, -2, -2));
                                  })
                              .frame(40, 30);
    const QImage image = render(plate.opacity(0.35));
    const int fill = qAlpha(image.pixel(30, 20));
    EXPECT_NEAR(fill, 0.35 * 255, 2);
    EXPECT_NEAR(qAlpha(image.pixel(12, 20)), fill, 1);  // on the outline, 10 to 14
}

TEST_F(Effects, AFadedShapeHidesItsOwnShadowBehindIt)
{
    const Element card = Fill(Color::white()).frame(30, 20);
    const QImage plain = render(card.opacity(0.5));
    const QImage shadowed = render(card.shadow(Color::black(), 3).opacity(0.5));
    // Inside the card the shadow lies under opaque white: faded as one, it cannot show through.
    EXPECT_EQ(shadowed.pixel(30, 20), plain.pixel(30, 20));
    // Outside, the shadow is faded with the rest.
    EXPECT_GT(qAlpha(shadowed.pixel(30 - 16, 20)), 0);
    EXPECT_LT(qAlpha(shadowed.pixel(30 - 16, 20)), qAlpha(render(card.shadow(Color::black(), 3)).pixel(30 - 16, 20)));
}

TEST_F(Effects, BlurOfRadiusZeroChangesNoPixel)
{
    const Element content = ZStack({}, Fill(Circle(), Color::rgb(1, 0.5, 0)).frame(30, 30),
                                   Text(QStringLiteral("Ab"), Font::system(13), Color::white()));
    const QImage plain = render(content, {60, 40}, 2);
    EXPECT_EQ(render(content.blur(0), {60, 40}, 2), plain);
    const QImage blurred = render(content.blur(4), {60, 40}, 2);
    EXPECT_NE(blurred, plain);
    // Blur spreads ink beyond the circle's edge and softens its centre line.
    EXPECT_EQ(qAlpha(plain.pixel(60, 6)), 0);
    EXPECT_GT(qAlpha(blurred.pixel(60, 6)), 0);
}

TEST_F(Effects, GaussianBlurKeepsTheTotalAndSpreadsLikeAGaussian)
{
    QImage image(101, 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setPixel(50, 0, qRgba(255, 255, 255, 255));
    QImage wide(101, 101, QImage::Format_ARGB32_Premultiplied);
    wide.fill(Qt::transparent);
    for (int y = 0; y < 101; ++y)
        wide.setPixel(50, y, qRgba(255, 255, 255, 255));  // a vertical line: blur along x only matters
    gaussianBlur(wide, 6);
    double total = 0, variance = 0;
    for (int x = 0; x < 101; ++x) {
        const double a = qAlpha(wide.pixel(x, 50));
        total += a;
        variance += a * (x - 50) * (x - 50);
    }
    EXPECT_NEAR(total, 255, 255 * 0.05);
    EXPECT_NEAR(std::sqrt(variance / total), 6, 0.6);
}

namespace {

// A premultiplied image of random pixels (every colour channel at most the alpha).
QImage randomImage(int w, int h, uint32_t seed)
{
    std::mt19937 random(seed);
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // A quarter of the pixels transparent and a quarter opaque, as drawn layers have.
            const int pick = int(random() % 4);
            const int a = pick == 0 ? 0 : pick == 1 ? 255 : int(random() % 256);
            const auto channel = [&] { return int(random() % uint32_t(a + 1)); };
            const int r = channel(), g = channel(), b = channel();
            image.setPixel(x, y, qRgba(r, g, b, a));
        }
    return image;
}

// The blur written out plainly: three boxes whose variances add up to sigma², each run along the
// rows and then down the columns as a mean over its whole window, the image's edge pixels repeated
// beyond it, every pass rounded to 8 bits.
QImage referenceBlur(const QImage &source, double sigma)
{
    const double ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
    int narrow = int(std::floor(ideal));
    if (narrow % 2 == 0)
        --narrow;
    const int narrowCount = int(std::round((12 * sigma * sigma - 3 * narrow * narrow - 12 * narrow - 9) / (-4.0 * narrow - 4)));
    QImage image = source;
    const int w = image.width(), h = image.height();
    const auto pass = [&](int width, bool down) {
        const int r = width / 2;
        QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int sum[4] = {};
                for (int d = -r; d <= r; ++d) {
                    const QRgb p = down ? image.pixel(x, std::clamp(y + d, 0, h - 1)) : image.pixel(std::clamp(x + d, 0, w - 1), y);
                    sum[0] += qRed(p);
                    sum[1] += qGreen(p);
                    sum[2] += qBlue(p);
                    sum[3] += qAlpha(p);
                }
                const auto mean = [&](int s) { return (2 * s + width) / (2 * width); };
                out.setPixel(x, y, qRgba(mean(sum[0]), mean(sum[1]), mean(sum[2]), mean(sum[3])));
            }
        image = out;
    };
    for (int i = 0; i < 3; ++i) {
        const int width = i < narrowCount ? narrow : narrow + 2;
        pass(width, false);
        pass(width, true);
    }
    return image;
}

// Every channel of every pixel of `blurred` within `tolerance` of `reference`, and every pixel still
// a valid premultiplied colour; the first failure is reported with its position.
::testing::AssertionResult closeAndPremultiplied(const QImage &blurred, const QImage &reference, int tolerance = 1)
{
    if (blurred.size() != reference.size())
        return ::testing::AssertionFailure() << "size " << blurred.width() << "x" << blurred.height();
    for (int y = 0; y < blurred.height(); ++y)
        for (int x = 0; x < blurred.width(); ++x) {
            const QRgb b = blurred.pixel(x, y), r = reference.pixel(x, y);
            for (int shift = 0; shift < 32; shift += 8)
                if (std::abs(int((b >> shift) & 0xff) - int((r >> shift) & 0xff)) > tolerance)
                    return ::testing::AssertionFailure() << "at " << x << "," << y << ": " << Qt::hex << b << " against " << r;
            if (qRed(b) > qAlpha(b) || qGreen(b) > qAlpha(b) || qBlue(b) > qAlpha(b))
                return ::testing::AssertionFailure() << "at " << x << "," << y << ": " << Qt::hex << b << " is not premultiplied";
        }
    return ::testing::AssertionSuccess();
}

// Random images of each size blurred by each sigma, against the plain three boxes (and, with
// `reduced`, the reduced blur too).
void expectBlurMatchesReference(std::initializer_list<QSize> sizes, std::initializer_list<double> sigmas, uint32_t seed,
                                bool reduced)
{
    for (const QSize size : sizes)
        for (const double sigma : sigmas) {
            const QImage source = randomImage(size.width(), size.height(), seed++);
            QImage blurred = source;
            gaussianBlur(blurred, sigma);
            const QImage reference = referenceBlur(source, sigma);
            EXPECT_TRUE(closeAndPremultiplied(blurred, reference)) << size.width() << "x" << size.height() << " sigma " << sigma;
            if (reduced) {
                EXPECT_TRUE(closeAndPremultiplied(blurredReduced(source, sigma), reference));
            }
        }
}

}  // namespace

namespace {

// `source` stretched to `size` by bilinear filtering written out plainly: pixel centres aligned,
// the edge pixels repeated, each channel mixed in floating point.
QImage referenceEnlarge(const QImage &source, QSize size)
{
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    const auto at = [](int i, int from, int to) {
        return std::clamp((i + 0.5) * from / to - 0.5, 0.0, double(from - 1));
    };
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const double sx = at(x, source.width(), size.width()), sy = at(y, source.height(), size.height());
            const int x0 = int(sx), y0 = int(sy);
            const int x1 = std::min(x0 + 1, source.width() - 1), y1 = std::min(y0 + 1, source.height() - 1);
            const double fx = sx - x0, fy = sy - y0;
            const auto channel = [&](int shift) {
                const auto c = [&](int px, int py) { return double((source.pixel(px, py) >> shift) & 0xff); };
                const double top = c(x0, y0) * (1 - fx) + c(x1, y0) * fx, bottom = c(x0, y1) * (1 - fx) + c(x1, y1) * fx;
                return uint32_t(std::lround(top * (1 - fy) + bottom * fy)) << shift;
            };
            out.setPixel(x, y, channel(0) | channel(8) | channel(16) | channel(24));
        }
    return out;
}

}  // namespace

TEST_F(Effects, EnlargingMatchesBilinearFilteringWrittenOutPlainly)
{
    // Whole factors as reduced layers come back (2, 4, 8), stretches that are no whole factor (a
    // blurred image whose size was odd), and sources of a single pixel, row or column.
    const std::pair<QSize, QSize> cases[] = {{{18, 11}, {37, 23}}, {{32, 24}, {64, 48}}, {{16, 2}, {129, 17}},
                                             {{45, 45}, {360, 360}}, {{7, 5}, {56, 40}},  {{1, 1}, {5, 3}},
                                             {{1, 9}, {4, 36}},      {{9, 1}, {36, 4}},   {{3, 3}, {3, 3}}};
    uint32_t seed = 500;
    for (const auto &[from, to] : cases) {
        const QImage source = randomImage(from.width(), from.height(), seed++);
        EXPECT_TRUE(closeAndPremultiplied(enlarged(source, to), referenceEnlarge(source, to)))
            << from.width() << "x" << from.height() << " to " << to.width() << "x" << to.height();
    }
}

TEST_F(Effects, ABlurDrawnReducedLandsWhereTheFullBlurWould)
{
    // At scale 2 a blur of 4 points is 8 pixels of sigma: its layer is drawn at a quarter of the
    // resolution, blurred there and stretched back up as it is composited. Off the pixel grid too,
    // it must look like the whole picture blurred at full resolution. (Shapes only: text drawn at a
    // quarter of its size takes on other ink, which no blur hides.)
    const Element content = ZStack({}, Fill(Circle(), Color::rgb(1, 0.5, 0)).frame(22, 22).offset(-12, 0),
                                   Fill(RoundedRectangle(3), Color::white()).frame(14, 18).offset(12, 0),
                                   Fill(Color::rgb(0.2, 0.6, 1)).frame(30, 1.5).offset(4, 14))
                                .offset(0.3, 0.7);
    const QSizeF size(90, 60);
    const QImage reference = referenceBlur(render(content, size, 2), 8);
    const QImage drawn = render(content.blur(4), size, 2);
    ASSERT_EQ(drawn.size(), reference.size());
    int largest = 0;
    double total = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            for (int shift = 0; shift < 32; shift += 8) {
                const int d = std::abs(int((drawn.pixel(x, y) >> shift) & 0xff) - int((reference.pixel(x, y) >> shift) & 0xff));
                largest = std::max(largest, d);
                total += d;
            }
    // Drawn one pixel aside the layer gives 14 and 1.4, stretched without centring the pixels 27 and 2.7.
    EXPECT_LE(largest, 9);
    EXPECT_LT(total / (4.0 * drawn.width() * drawn.height()), 0.8);
}

TEST_F(Effects, ABlurDrawnReducedSpreadsAsTheBlurAtFullResolution)
{
    // A line one pixel wide, blurred by sigmas from just below the first reduction to well above it:
    // drawn at a lower resolution, blurred there and stretched back, it spreads as the same blur of
    // the line drawn at full resolution does, within 8 % (both are three boxes of whole widths).
    const auto spread = [](const QImage &image) {
        const int y = image.height() / 2;
        double total = 0, mean = 0, variance = 0;
        for (int x = 0; x < image.width(); ++x) {
            total += qAlpha(image.pixel(x, y));
            mean += qAlpha(image.pixel(x, y)) * x;
        }
        mean /= total;
        for (int x = 0; x < image.width(); ++x)
            variance += qAlpha(image.pixel(x, y)) * (x - mean) * (x - mean);
        return std::sqrt(variance / total);
    };
    const Element line = Fill(Color::white()).frame(0.5, 40);
    for (const double radius : {1.4, 1.6, 2.5, 3.2, 5.0}) {
        const double drawn = spread(render(line.blur(radius), {80, 40}, 2));
        const double full = spread(referenceBlur(render(line, {80, 40}, 2), 2 * radius));
        EXPECT_NEAR(drawn / full, 1, 0.08) << "radius " << radius << ": " << drawn << " against " << full;
    }
}

TEST_F(Effects, AFadeJustInsideABlurFadesTheBlurredPicture)
{
    // The fade is applied as the blurred layer is composited: the picture must be the blur of the
    // offset content, faded, as if the fade had had a layer of its own.
    const Element content = ZStack({}, Fill(Circle(), Color::rgb(1, 0.5, 0)).frame(22, 22).offset(-8, 0),
                                   Fill(Color::white()).frame(16, 12).offset(8, 2));
    const QSizeF size(80, 50);
    for (const double fade : {0.25, 0.7}) {
        QImage reference = render(content.offset(3, -2).blur(3), size, 2);
        {
            QPainter p(&reference);
            p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            p.fillRect(reference.rect(), QColor(0, 0, 0, int(std::lround(fade * 255))));
        }
        const QImage folded = render(content.opacity(fade).offset(3, -2).blur(3), size, 2);
        EXPECT_TRUE(closeAndPremultiplied(folded, reference, 2)) << "fade " << fade;
    }
}

TEST_F(Effects, ALayerCoversWhatItsLeavesDrawAndNotTheRoomAroundThem)
{
    // A row padded into a wide frame, with a spacer, a faded-out badge and an empty place: only the
    // tile and the words draw, each widened by a point for ink past its frame.
    tree.setSize({300, 60});
    tree.setRoot(HStack({.spacing = 10}, Fill(Color::white()).frame(20, 20),
                        Text(QStringLiteral("Words"), Font::system(12), Color::white()), Spacer(),
                        Fill(Color::white()).frame(30, 30).opacity(0), Empty())
                     .padding(Edges::horizontal(15))
                     .frame(240, 40)
                     .offset(0, 5)
                     .blur(2));
    tree.update();
    const Node *blur = tree.root();
    const Node *row = blur->children().front().get();
    while (std::string_view(row->spec().kind()) != "HStack")
        row = row->children().front().get();
    const Node *tile = row->children()[0].get(), *words = row->children()[1].get();
    QPointF rowAt;
    for (const Node *n = row; n != blur; n = n->parent())
        rowAt += n->frame().topLeft() + QPointF(n->value(Prop::offsetX, 0), n->value(Prop::offsetY, 0));
    const QRectF expected = tile->frame().united(words->frame()).translated(rowAt).adjusted(-1, -1, 1, 1);
    const QRectF bounds = subtreeBounds(*blur);
    EXPECT_NEAR(bounds.left(), expected.left(), 1e-9);
    EXPECT_NEAR(bounds.top(), expected.top(), 1e-9);
    EXPECT_NEAR(bounds.right(), expected.right(), 1e-9);
    EXPECT_NEAR(bounds.bottom(), expected.bottom(), 1e-9);
    EXPECT_LT(bounds.width(), 150);  // not the 240-point frame
    // A blurred child's reach widens it; a subtree that draws nothing has no bounds.
    tree.setRoot(ZStack({}, Fill(Color::white()).frame(10, 10).blur(2), Spacer()).frame(100, 100));
    tree.update();
    EXPECT_NEAR(subtreeBounds(*tree.root()).width(), 10 + 2 + 2 * 3 * 2, 1e-9);
    tree.setRoot(ZStack({}, Spacer(), Fill(Color::white()).opacity(0)).frame(100, 100));
    tree.update();
    EXPECT_TRUE(subtreeBounds(*tree.root()).isNull());
}

TEST_F(Effects, AFadedGroupKeepsTheInkItsLeavesDrawPastTheirFrames)
{
    // Half of a stroke lies outside its shape's frame: a group fade's layer must not cut it off.
    const Element ring = Stroke(Rectangle(), Color::white(), StrokeStyle{.width = 2}).frame(20, 20);
    const Element dot = Fill(Color::white()).frame(4, 4);
    const QImage grouped = render(ZStack({}, ring, dot).opacity(0.5), {40, 40}, 2);
    const QImage each = render(ZStack({}, ring.opacity(0.5), dot.opacity(0.5)), {40, 40}, 2);
    EXPECT_TRUE(closeAndPremultiplied(grouped, each, 1));
    EXPECT_GT(qAlpha(grouped.pixel(2 * 10 - 1, 2 * 20)), 100);  // just outside the ring's frame
}

TEST_F(Effects, GaussianBlurMatchesThreeBoxesWrittenOutPlainly)
{
    // Odd sizes, narrow and wide; sigmas below the size at which the image would be reduced first.
    expectBlurMatchesReference({{37, 23}, {101, 9}, {13, 61}, {64, 64}, {3, 5}}, {0.6, 1.5, 3, 4.5, 7.9}, 1, true);
}

TEST_F(Effects, GaussianBlurOfTinyImagesAndWindowsWiderThanTheImage)
{
    // Single pixels, single rows and columns, and boxes many times the image's size (up to windows
    // of some 300 pixels, whose sums no longer fit 16 bits): the edges are repeated however far the
    // window reaches.
    expectBlurMatchesReference({{1, 1}, {1, 17}, {17, 1}, {2, 3}, {5, 2}, {1, 2}}, {1, 5, 12, 40, 150}, 100, false);
    // One pixel blurs to itself.
    QImage one(1, 1, QImage::Format_ARGB32_Premultiplied);
    one.setPixel(0, 0, qRgba(10, 200, 30, 220));
    gaussianBlur(one, 12);
    EXPECT_EQ(one.pixel(0, 0), qRgba(10, 200, 30, 220));
}

TEST_F(Effects, GaussianBlurLeavesAUniformImageUniform)
{
    const QRgb colours[] = {qRgba(0, 0, 0, 0), qRgba(255, 255, 255, 255), qRgba(17, 130, 201, 201), qRgba(1, 0, 1, 3)};
    const QSize sizes[] = {{440, 114}, {9, 31}, {1, 7}};
    for (const QRgb colour : colours)
        for (const QSize size : sizes)
            for (const double sigma : {0.8, 4.0, 8.0, 30.0}) {
                QImage image(size, QImage::Format_ARGB32_Premultiplied);
                image.fill(colour);
                gaussianBlur(image, sigma);
                ASSERT_EQ(image.size(), size);
                int changed = 0;
                for (int y = 0; y < size.height(); ++y)
                    for (int x = 0; x < size.width(); ++x)
                        changed += image.pixel(x, y) != colour;
                EXPECT_EQ(changed, 0) << Qt::hex << colour << Qt::dec << " " << size.width() << "x" << size.height() << " sigma " << sigma;
            }
}

TEST_F(Effects, ShadowFallsOffsetBelowTheContent)
{
    const QImage image = render(Fill(Color::white()).frame(20, 10).shadow(Color::black(0.5), 2, 0, 8), {60, 40});
    EXPECT_EQ(qRed(image.pixel(30, 20)), 255);          // content on top
    EXPECT_GT(qAlpha(image.pixel(30, 31)), 60);         // the shadow below
    EXPECT_EQ(qRed(image.pixel(30, 31)), 0);            // in black
    EXPECT_EQ(qAlpha(image.pixel(30, 8)), 0);           // nothing above
}

TEST_F(Effects, MaskFromTheSourceOverUnionOfTwoGradients)
{
    // One gradient fades out towards the middle from the left, the other from the right; their
    // union keeps both ends and drops the middle, like a fade at both edges.
    const LinearGradient left{{{Color::white(1), 0}, {Color::white(0), 0.5}}, UnitPoint::leading(), UnitPoint::trailing()};
    const LinearGradient right{{{Color::white(0), 0.5}, {Color::white(1), 1}}, UnitPoint::leading(), UnitPoint::trailing()};
    const QImage image = render(Fill(Color::rgb(1, 0, 0)).mask(ZStack({}, Fill(Rectangle(), left), Fill(Rectangle(), right))),
                                {100, 10});
    EXPECT_GT(qAlpha(image.pixel(1, 5)), 240);
    EXPECT_GT(qAlpha(image.pixel(98, 5)), 240);
    EXPECT_LT(qAlpha(image.pixel(50, 5)), 10);
    EXPECT_NEAR(qAlpha(image.pixel(25, 5)), 128, 10);
    EXPECT_NEAR(qAlpha(image.pixel(75, 5)), 128, 10);
    EXPECT_EQ(qGreen(image.pixel(1, 5)), 0);
    EXPECT_EQ(qRed(image.pixel(1, 5)), qAlpha(image.pixel(1, 5)));  // the content's colour, premultiplied
}

TEST_F(Effects, AMaskOverSparseContentCutsEveryPixelAsAWholeMaskWould)
{
    // A thin outline and a dot far from it leave most of the layer empty; the mask (a gradient and
    // a circle) must still cut each drawn pixel by its own alpha there, and nothing else may show.
    const LinearGradient fade{{{Color::white(0.2), 0}, {Color::white(0.6), 1}}, UnitPoint::leading(), UnitPoint::trailing()};
    const Element content = ZStack({.alignment = Alignment::topLeading()},
                                   Stroke(RoundedRectangle(12), Color::rgb(1, 1, 1), StrokeStyle{.width = 1.5}),
                                   Fill(Circle(), Color::rgb(1, 0.5, 0)).frame(8, 8).offset(150, 60));
    const Element mask = ZStack({}, Fill(Rectangle(), fade), Fill(Circle(), Color::white(0.5)).frame(40, 40));
    const QSizeF size(200, 100);
    const QImage plain = render(content, size, 2);
    const QImage cut = render(mask, size, 2);
    const QImage masked = render(content.mask(mask), size, 2);
    ASSERT_EQ(masked.size(), plain.size());
    int drawn = 0;
    for (int y = 0; y < masked.height(); ++y)
        for (int x = 0; x < masked.width(); ++x) {
            const QRgb c = plain.pixel(x, y), m = cut.pixel(x, y), r = masked.pixel(x, y);
            const int a = qAlpha(m);
            ASSERT_NEAR(qAlpha(r), qAlpha(c) * a / 255.0, 1.5) << x << "," << y;
            ASSERT_NEAR(qRed(r), qRed(c) * a / 255.0, 1.5) << x << "," << y;
            ASSERT_NEAR(qGreen(r), qGreen(c) * a / 255.0, 1.5) << x << "," << y;
            drawn += qAlpha(r) > 0;
        }
    EXPECT_GT(drawn, 500);
}

TEST_F(Effects, ScaleAboutAnAnchor)
{
    const QImage image = render(Fill(Color::white()).frame(20, 20).scaleEffect(0.5, UnitPoint::topLeading()), {20, 20});
    EXPECT_EQ(qAlpha(image.pixel(2, 2)), 255);
    EXPECT_EQ(qAlpha(image.pixel(15, 15)), 0);
    const QImage centred = render(Fill(Color::white()).frame(20, 20).scaleEffect(0.5), {20, 20});
    EXPECT_EQ(qAlpha(centred.pixel(2, 2)), 0);
    EXPECT_EQ(qAlpha(centred.pixel(10, 10)), 255);
}

TEST_F(Effects, RotationAboutYNarrowsAndVanishesEdgeOn)
{
    const QImage flat = render(Fill(Color::white()).frame(40, 20), {60, 40});
    const QImage turned = render(Fill(Color::white()).frame(40, 20).rotation3D(60), {60, 40});
    EXPECT_EQ(qAlpha(flat.pixel(12, 20)), 255);
    EXPECT_EQ(qAlpha(turned.pixel(12, 20)), 0);  // cos 60° halves the width about the centre
    EXPECT_EQ(qAlpha(turned.pixel(30, 20)), 255);
    // Perspective: the near edge is taller than the far one.
    int nearHeight = 0, farHeight = 0;
    for (int y = 0; y < 40; ++y) {
        nearHeight += qAlpha(turned.pixel(21, y)) > 128;
        farHeight += qAlpha(turned.pixel(38, y)) > 128;
    }
    EXPECT_NE(nearHeight, farHeight);
    const QImage edgeOn = render(Fill(Color::white()).frame(40, 20).rotation3D(90), {60, 40});
    EXPECT_EQ(edgeOn, render(Empty(), {60, 40}));
}

TEST_F(Effects, AlphaThresholdMergesBlurredShapes)
{
    // Two circles a little apart: blurred and thresholded at half coverage they join.
    const Element blobs = ZStack({}, Fill(Circle(), Color::black()).frame(16, 16).offset(-9, 0),
                                 Fill(Circle(), Color::black()).frame(16, 16).offset(9, 0));
    const QImage apart = render(blobs, {60, 30});
    EXPECT_EQ(qAlpha(apart.pixel(30, 15)), 0);
    const QImage merged = render(blobs.blur(4).alphaThreshold(0.5, 1, Color::black()), {60, 30});
    EXPECT_EQ(qAlpha(merged.pixel(30, 15)), 255);
    // Every pixel is either solid or empty.
    for (int y = 0; y < merged.height(); ++y)
        for (int x = 0; x < merged.width(); ++x)
            EXPECT_TRUE(qAlpha(merged.pixel(x, y)) == 0 || qAlpha(merged.pixel(x, y)) == 255);
}

TEST_F(Effects, GlassFallsBackToThePlainFill)
{
    bool glassSeen = true;
    const QImage image = render(ZStack({}, Glass(Capsule(), Color::black(0.8)),
                                       Observe([&](const Env &env) {
                                           glassSeen = env[env::glassUsed];
                                           return Empty();
                                       })),
                                {60, 20});
    EXPECT_NEAR(qAlpha(image.pixel(30, 10)), 204, 1);
    EXPECT_FALSE(glassSeen);
}

TEST_F(Effects, BlurAndOpacityOfOneLayerMoveOnTheirOwnCurves)
{
    vesk::Observed<bool> visible{true};
    tree.setSize({60, 40});
    tree.setRoot(Observe([&](const Env &) {
        const bool v = visible.get();
        return Fill(Color::white()).frame(20, 20).blur(v ? 0 : 12).animated(Animation::linear(1)).opacity(v ? 1 : 0).animated(Animation::linear(0.2));
    }));
    visible = false;
    time.flush();
    time.advance(0.1);
    const Node *opacity = tree.root()->children().front().get();
    const Node *blur = opacity->children().front().get();
    ASSERT_STREQ(blur->spec().kind(), "Blur");
    EXPECT_NEAR(opacity->value(Prop::opacity, -1), 0.5, 0.01);
    EXPECT_NEAR(blur->value(Prop::blur, -1), 1.2, 0.01);
    EXPECT_TRUE(tree.dump().contains(QStringLiteral("blur=1.2")));
}

TEST_F(Effects, ALayerShownWithADelayWaitsBlurredThenSharpens)
{
    // The island layer pattern: blur and opacity on their own curves, the delay only on showing.
    vesk::Observed<bool> visible{false};
    tree.setSize({60, 40});
    tree.setRoot(Observe([&](const Env &) {
        const bool v = visible.get();
        return Fill(Color::white())
            .frame(20, 20)
            .blur(v ? 0 : 12)
            .animated(v ? Animation::spring(0.22, 1.0).delayed(0.2) : Animation::easeOut(0.1).delayed(0.04))
            .opacity(v ? 1 : 0)
            .animated(v ? Animation::spring(0.2, 1.0).delayed(0.2) : Animation::easeIn(0.2).delayed(0.04))
            .allowsHitTesting(v);
    }));
    const Node *opacity = tree.root()->children().front()->children().front().get();
    const Node *blur = opacity->children().front().get();
    ASSERT_STREQ(opacity->spec().kind(), "Opacity");
    visible = true;
    time.flush();
    time.advance(0.19);
    EXPECT_EQ(opacity->value(Prop::opacity, -1), 0);
    EXPECT_EQ(blur->value(Prop::blur, -1), 12);
    time.advance(0.1);
    EXPECT_GT(opacity->value(Prop::opacity, -1), 0.3);
    EXPECT_LT(blur->value(Prop::blur, -1), 8);
    time.advance(1);
    EXPECT_EQ(opacity->value(Prop::opacity, -1), 1);
    EXPECT_TRUE(tree.hitsSomething({30, 20}));

    // Hiding never waits beyond the curves' own short delay, and takes no hits at once.
    visible = false;
    time.flush();
    EXPECT_FALSE(tree.hitsSomething({30, 20}));
    time.advance(0.3);
    EXPECT_EQ(opacity->value(Prop::opacity, -1), 0);
    EXPECT_EQ(qAlpha(tree.render(1).pixel(30, 20)), 0);
}

TEST_F(Effects, ShadowFollowsItsContentWhenItChangesOrMoves)
{
    vesk::Observed<double> width{10};
    tree.setSize({80, 40});
    tree.setRoot(Observe([&](const Env &) {
        return Fill(Color::white()).frame(width.get(), 10).shadow(Color::black(0.6), 1, 0, 10);
    }));
    EXPECT_EQ(qAlpha(tree.render(1).pixel(40 + 12, 30)), 0);
    tree.render(1);  // drawn twice: the second time from the kept picture
    EXPECT_EQ(qAlpha(tree.render(1).pixel(40 + 12, 30)), 0);
    width = 40;
    time.flush();
    EXPECT_GT(qAlpha(tree.render(1).pixel(40 + 12, 30)), 60);
    withAnimation(Animation::linear(1), [&] { width = 10; });
    time.flush();
    time.advance(0.5);  // 25 wide half way: the shadow reaches x = 52 no more
    const QImage mid = tree.render(1);
    EXPECT_GT(qAlpha(mid.pixel(40 + 10, 30)), 60);
    EXPECT_EQ(qAlpha(mid.pixel(40 + 16, 30)), 0);
}

TEST_F(Effects, AShadowKeepsItsPictureWhileOnlyWhatIsBesideItChanges)
{
    // The shadow's silhouette is its content drawn once more. While its picture is kept the content
    // is drawn once a frame, however often the rest of the tree changes; a change inside it draws
    // the silhouette again.
    vesk::Observed<int> count{0};
    vesk::Observed<double> width{20};
    int drawn = 0;
    tree.setSize({80, 40});
    tree.setRoot(Observe([&](const Env &) {
        return HStack({},
                      Painter(AnyValue::of(1), {width.get()},
                              [&](QPainter &p, const QRectF &r, const std::vector<double> &v) {
                                  ++drawn;
                                  p.fillRect(QRectF(r.topLeft(), QSizeF(v[0], r.height())), Qt::white);
                              })
                          .frame(30, 10)
                          .shadow(Color::black(0.5), 2, 0, 4),
                      Text(QString::number(count.get()), Font::system(11), Color::white()).frame(20, 12));
    }));
    tree.render(2);
    EXPECT_EQ(drawn, 2);
    for (int frame = 1; frame <= 3; ++frame) {
        count = frame;
        time.flush();
        tree.render(2);
        EXPECT_EQ(drawn, 2 + frame);
    }
    width = 25;
    time.flush();
    tree.render(2);
    EXPECT_EQ(drawn, 7);
}

TEST_F(Effects, AKeptSubtreeIsDrawnAgainOnlyWhenItChangesOrMoves)
{
    vesk::Observed<double> width{20};
    vesk::Observed<bool> enabled{true};
    int drawn = 0;
    tree.setSize({60, 40});
    tree.setRoot(Observe([&](const Env &) {
        return ZStack({},
                      Painter(AnyValue::of(1), {width.get()},
                              [&](QPainter &p, const QRectF &r, const std::vector<double> &v) {
                                  ++drawn;
                                  p.fillRect(QRectF(r.topLeft(), QSizeF(v[0], r.height())), QColor(255, 255, 255, 128));
                              }),
                      Fill(Color::white(0.3)).frame(10, 10))
            .frame(50, 20)
            .keptWhileStill(enabled.get());
    }));
    const QImage first = tree.render(2);
    EXPECT_EQ(drawn, 1);
    // The second frame makes the picture (drawing once more), the next ones only show it.
    EXPECT_EQ(tree.render(2), first);
    EXPECT_EQ(tree.render(2), first);
    EXPECT_EQ(tree.render(2), first);
    EXPECT_EQ(drawn, 2);

    // A change is drawn at once, and kept again after a frame at rest.
    width = 40;
    time.flush();
    const QImage wider = tree.render(2);
    EXPECT_EQ(drawn, 3);
    EXPECT_NE(wider, first);
    EXPECT_EQ(qAlpha(wider.pixel(2 * 40, 2 * 12)), 128);  // 35 points into the 40-wide fill
    EXPECT_EQ(qAlpha(first.pixel(2 * 40, 2 * 12)), 0);
    tree.render(2);
    EXPECT_EQ(tree.render(2), wider);
    EXPECT_EQ(drawn, 4);

    // While it moves it is drawn every frame, from its moving values.
    withAnimation(Animation::linear(1), [&] { width = 10; });
    time.flush();
    for (int frame = 0; frame < 3; ++frame) {
        time.advance(0.25);
        tree.render(2);
    }
    EXPECT_EQ(drawn, 7);

    // Not enabled, nothing is kept and every frame draws.
    time.advance(1);
    enabled = false;
    time.flush();
    const int before = drawn;
    tree.render(2);
    tree.render(2);
    tree.render(2);
    EXPECT_EQ(drawn, before + 3);
    const Node *kept = nullptr;
    std::function<void(const Node &)> find = [&](const Node &n) {
        if (std::string_view(n.spec().kind()) == "Kept")
            kept = &n;
        for (const auto &c : n.children())
            find(*c);
    };
    find(*tree.root());
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->layerCache, nullptr);
}

TEST_F(Effects, AKeptPictureIsShownUnderTheClipAndTheFadeOfWhatHoldsIt)
{
    // A kept picture is cut and faded as the subtree itself would be.
    const Element content = ZStack({}, square(-6), Fill(Color::white(0.5)).frame(30, 8)).keptWhileStill();
    tree.setSize({60, 40});
    tree.setRoot(content.frame(24, 24).clipped().opacity(0.5));
    const QImage direct = tree.render(2);
    tree.render(2);
    const QImage kept = tree.render(2);
    int largest = 0;
    for (int y = 0; y < direct.height(); ++y)
        for (int x = 0; x < direct.width(); ++x)
            largest = std::max(largest, std::abs(qAlpha(direct.pixel(x, y)) - qAlpha(kept.pixel(x, y))));
    EXPECT_LE(largest, 1);
    EXPECT_EQ(qAlpha(kept.pixel(2 * 30 + 26, 2 * 20)), 0);  // beyond the 24-point clip
    EXPECT_NEAR(qAlpha(kept.pixel(2 * 30 - 2 * 6, 2 * 20)), 128, 2);
}
