#include "Island/IslandShape.h"
#include "Island/NotchBottomEdge.h"
#include "Island/NotchShape.h"

#include "Model/Motion.h"
#include "Kit/Kit.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <cmath>

using vesk::IslandShape;
using vesk::NotchBottomEdge;
using vesk::NotchShape;

namespace {

// Samples the outline at evenly spaced fractions of its length.
std::vector<QPointF> samples(const QPainterPath &path, int count = 200)
{
    std::vector<QPointF> out;
    for (int i = 0; i < count; ++i)
        out.push_back(path.pointAtPercent(double(i) / (count - 1)));
    return out;
}

double maxDistance(const std::vector<QPointF> &a, const std::vector<QPointF> &b)
{
    double d = 0;
    for (size_t i = 0; i < a.size(); ++i)
        d = std::max(d, std::hypot(a[i].x() - b[i].x(), a[i].y() - b[i].y()));
    return d;
}

// The largest distance from a point of one outline to the nearest point of the other.
double hausdorff(const std::vector<QPointF> &a, const std::vector<QPointF> &b)
{
    auto oneWay = [](const std::vector<QPointF> &from, const std::vector<QPointF> &to) {
        double worst = 0;
        for (QPointF p : from) {
            double best = 1e9;
            for (QPointF q : to)
                best = std::min(best, std::hypot(p.x() - q.x(), p.y() - q.y()));
            worst = std::max(worst, best);
        }
        return worst;
    };
    return std::max(oneWay(a, b), oneWay(b, a));
}

bool samePath(const QPainterPath &a, const QPainterPath &b, double tolerance = 1e-6)
{
    return maxDistance(samples(a), samples(b)) < tolerance;
}

const QRectF kRect(10, 5, 200, 40);

}  // namespace

TEST(IslandShape, AllRadiiZeroIsARectangle)
{
    QPainterPath rect;
    rect.addRect(kRect);
    EXPECT_EQ(IslandShape{}.path(kRect).boundingRect(), kRect);
    for (QPointF p : samples(IslandShape{}.path(kRect))) {
        const bool onEdge = std::abs(p.x() - kRect.left()) < 1e-6 || std::abs(p.x() - kRect.right()) < 1e-6
                            || std::abs(p.y() - kRect.top()) < 1e-6 || std::abs(p.y() - kRect.bottom()) < 1e-6;
        EXPECT_TRUE(onEdge) << p.x() << "," << p.y();
    }
    EXPECT_TRUE(samePath(NotchShape{}.path(kRect), IslandShape{}.path(kRect)));
}

TEST(IslandShape, TopCornerAndBottomRadiusOfHalfTheHeightMakeACapsule)
{
    const double h = kRect.height();
    const QPainterPath capsule = IslandShape{0, h / 2, h / 2}.path(kRect);
    // The ends are quarter ellipses meeting at mid-height: the leftmost point is at mid-height.
    EXPECT_TRUE(capsule.contains(QPointF(kRect.left() + 0.5, kRect.center().y())));
    EXPECT_FALSE(capsule.contains(QPointF(kRect.left() + 2, kRect.top() + 2)));
    EXPECT_FALSE(capsule.contains(QPointF(kRect.right() - 2, kRect.bottom() - 2)));
    EXPECT_TRUE(capsule.contains(QPointF(kRect.left() + h / 2, kRect.top() + 0.5)));
    // Each end is close to a circle of radius h/2 (0.5523 is a near-circle).
    const QPointF centre(kRect.left() + h / 2, kRect.center().y());
    for (QPointF p : samples(capsule, 400))
        if (p.x() < centre.x() - 0.01) {
            EXPECT_NEAR(std::hypot(p.x() - centre.x(), p.y() - centre.y()), h / 2, 0.05);
        }
}

TEST(IslandShape, EarsCurveInwardsFromTheOuterCorners)
{
    const QPainterPath eared = IslandShape{24, 0, 32}.path(QRectF(0, 0, 300, 80));
    // The outline starts at the outer top corners and reaches the sides 24 in, 24 down.
    EXPECT_EQ(eared.elementAt(0).x, 0);
    EXPECT_EQ(eared.elementAt(0).y, 0);
    EXPECT_FALSE(eared.contains(QPointF(2, 30)));   // outside the side at x = 24
    EXPECT_TRUE(eared.contains(QPointF(30, 30)));
    EXPECT_TRUE(eared.contains(QPointF(3, 0.1)));   // the ear meets the top edge tangentially
    EXPECT_FALSE(eared.contains(QPointF(3, 0.5)));
}

TEST(IslandShape, RadiiAreCappedSoSmallShapesNeverTurnInsideOut)
{
    const QRectF small(0, 0, 40, 20);
    // Top radius at W/4 = 10; bottom and corner at min(H/2, W/4) = 10.
    EXPECT_TRUE(samePath(IslandShape{100, 0, 0}.path(small), IslandShape{10, 0, 0}.path(small)));
    EXPECT_TRUE(samePath(IslandShape{0, 100, 100}.path(small), IslandShape{0, 10, 10}.path(small)));
    const QRectF wide(0, 0, 400, 20);
    EXPECT_TRUE(samePath(IslandShape{0, 50, 50}.path(wide), IslandShape{0, 10, 10}.path(wide)));
    EXPECT_TRUE(samePath(NotchShape{500, 500}.path(small), NotchShape{10, 10}.path(small)));
    // The outline stays inside its rectangle and never crosses itself into negative width.
    for (const QPainterPath &p : {IslandShape{100, 100, 100}.path(small), NotchShape{100, 100}.path(small)})
        EXPECT_TRUE(small.adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(p.boundingRect()));
}

TEST(IslandShape, CornerRuleControlPoints)
{
    const QPainterPath p = IslandShape{0, 0, 20}.path(QRectF(0, 0, 200, 40));
    // Step 4: from (0, 20) to (20, 40) around (0, 40): control points 0.5523 of the way.
    bool found = false;
    for (int i = 0; i + 3 < p.elementCount(); ++i) {
        if (p.elementAt(i).x == 0 && p.elementAt(i).y == 20 && p.elementAt(i + 1).isCurveTo()) {
            EXPECT_NEAR(p.elementAt(i + 1).y, 20 + 20 * 0.5523, 1e-9);
            EXPECT_NEAR(p.elementAt(i + 1).x, 0, 1e-9);
            EXPECT_NEAR(p.elementAt(i + 2).x, 20 - 20 * 0.5523, 1e-9);
            EXPECT_NEAR(p.elementAt(i + 3).x, 20, 1e-9);
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

TEST(NotchBottomEdge, NotchStyleIsOpenAndConcentric)
{
    const QRectF r(0, 0, 300, 80);
    const QPainterPath edge = NotchBottomEdge{NotchBottomEdge::Style::notch, 6, 20, 1.5}.path(r);
    const QPointF first(edge.elementAt(0).x, edge.elementAt(0).y);
    const QPointF last = edge.currentPosition();
    EXPECT_EQ(first, QPointF(1.5, 0));
    EXPECT_EQ(last, QPointF(298.5, 0));  // nothing joins the two top ends
    // The bottom runs 1.5 above the filled outline's bottom.
    EXPECT_NEAR(edge.pointAtPercent(0.5).y(), 78.5, 1e-6);
}

TEST(NotchBottomEdge, PillStyleIsTheInsetCapsuleBetweenTheBodysSideWalls)
{
    const QRectF r(0, 0, 200, 40);
    const QPainterPath a = NotchBottomEdge{NotchBottomEdge::Style::pill, 0, 20, 2}.path(r);
    EXPECT_TRUE(samePath(a, IslandShape{0, 18, 18}.path(r.adjusted(2, 2, -2, -2))));
    // The open capsule's body stands its top radius in from each side: so does its edge, inset
    // by 2 from the body's walls and bottom, its corners concentric with the body's.
    const QRectF open(0, 0, 400, 190);
    const QPainterPath b = NotchBottomEdge{NotchBottomEdge::Style::pill, 24, 32, 0.75}.path(open);
    EXPECT_TRUE(samePath(b, IslandShape{24, 31.25, 31.25}.path(open.adjusted(0.75, 0.75, -0.75, -0.75))));
    EXPECT_NEAR(b.boundingRect().left(), 24.75, 1e-6);
    EXPECT_NEAR(b.boundingRect().right(), 400 - 24.75, 1e-6);
    EXPECT_NEAR(b.boundingRect().bottom(), 190 - 0.75, 1e-6);
    // An inset beyond the radius leaves a rectangle, never a negative radius.
    EXPECT_TRUE(samePath(NotchBottomEdge{NotchBottomEdge::Style::pill, 0, 2, 5}.path(r),
                         IslandShape{}.path(r.adjusted(5, 5, -5, -5))));
}

TEST(NotchBottomEdge, OnlyTheRadiiAnimate)
{
    const kit::AnyShape shape = NotchBottomEdge{NotchBottomEdge::Style::notch, 6, 20, 1.5}.shape();
    EXPECT_EQ(shape.data, (std::vector<double>{6, 20}));
    EXPECT_EQ(shape.constants, (std::vector<double>{1.5}));
    EXPECT_TRUE(samePath(shape.path(QRectF(0, 0, 300, 80)), NotchBottomEdge{NotchBottomEdge::Style::notch, 6, 20, 1.5}.path(QRectF(0, 0, 300, 80))));
}

TEST(IslandShape, MorphFromEarsToCapsuleNeverJumps)
{
    vesk::VirtualTime time;
    const QSizeF size(300, 60);
    const double h = size.height();
    kit::Tree tree(size);
    tree.setRoot(kit::Fill(IslandShape{24, 0, 32}, kit::Color::black()));
    kit::withAnimation(vesk::Motion::open, [&] { tree.setRoot(kit::Fill(IslandShape{0, h / 2, h / 2}, kit::Color::black())); });
    const kit::Node &node = *tree.root();
    const QRectF rect(QPointF(0, 0), size);
    auto presented = [&] {
        std::vector<double> d;
        for (int i = 0; i < 3; ++i)
            d.push_back(node.value(kit::dataProp(i), 0));
        return IslandShape{d[0], d[1], d[2]}.path(rect);
    };
    std::vector<QPointF> previous = samples(presented());
    EXPECT_LT(maxDistance(previous, samples(IslandShape{24, 0, 32}.path(rect))), 1e-6);
    double largestStep = 0;
    int frames = 0;
    while (tree.isAnimating() && frames < 600) {
        time.advance(kit::FrameDriver::interval);
        const std::vector<QPointF> now = samples(presented());
        largestStep = std::max(largestStep, hausdorff(previous, now));
        previous = now;
        ++frames;
    }
    EXPECT_GT(frames, 10);
    EXPECT_LT(largestStep, 5.0);  // a few points per frame at most, never a jump
    EXPECT_LT(maxDistance(previous, samples(IslandShape{0, h / 2, h / 2}.path(rect))), 1e-6);
}
