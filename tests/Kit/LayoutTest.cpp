#include "Kit/Kit.h"

#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

// A fixed-size box with an id, to find it after layout.
Element box(const char *id, double w, double h) { return Fill(Color::white()).frame(w, h).id(QString::fromLatin1(id)); }

class Layout : public ::testing::Test {
protected:
    QRectF frameOf(const char *id)
    {
        Node *n = tree.find(QString::fromLatin1(id));
        EXPECT_NE(n, nullptr) << id;
        return n ? n->frameInTree() : QRectF();
    }
    void show(Element root, QSizeF size = {200, 100})
    {
        tree.setSize(size);
        tree.setRoot(std::move(root));
    }
    vesk::VirtualTime time;
    Tree tree;
};

}  // namespace

TEST_F(Layout, HStackPlacesChildrenWithSpacingAndCentresThem)
{
    show(HStack({}, box("a", 20, 10), box("b", 30, 40)));
    // 20 + 8 + 30 = 58 wide, 40 high, centred in 200 x 100.
    EXPECT_EQ(frameOf("a"), QRectF(71, 45, 20, 10));
    EXPECT_EQ(frameOf("b"), QRectF(99, 30, 30, 40));
}

TEST_F(Layout, StackAlignmentAndCustomSpacing)
{
    show(VStack({.alignment = Alignment::leading(), .spacing = 3}, box("a", 20, 10), box("b", 40, 10)));
    EXPECT_EQ(frameOf("a"), QRectF(80, 38.5, 20, 10));
    EXPECT_EQ(frameOf("b"), QRectF(80, 51.5, 40, 10));

    show(HStack({.alignment = Alignment::bottom(), .spacing = 0}, box("a", 20, 10), box("b", 40, 30)));
    EXPECT_EQ(frameOf("a").bottom(), frameOf("b").bottom());
    EXPECT_EQ(frameOf("a").right(), frameOf("b").left());
}

TEST_F(Layout, SpacerPushesToTheEdges)
{
    show(HStack({}, box("a", 20, 10), Spacer(), box("b", 30, 10)).frame(200, 20));
    EXPECT_EQ(frameOf("a").left(), 0);
    EXPECT_EQ(frameOf("b").right(), 200);
}

TEST_F(Layout, FlexibleChildrenShareWhatIsLeft)
{
    // Two flexible fills share the width left by the fixed box equally.
    show(HStack({.spacing = 0}, Fill(Color::white()).id(QStringLiteral("l")), box("m", 40, 10),
                Fill(Color::white()).id(QStringLiteral("r")))
             .frame(200, 20));
    EXPECT_EQ(frameOf("l").width(), 80);
    EXPECT_EQ(frameOf("r").width(), 80);
    EXPECT_EQ(frameOf("m").left(), 80);
}

TEST_F(Layout, AStackPlacedInTheSizeItAskedForGivesEachChildWhatItMeasured)
{
    // Two texts of different lengths, the longer one the less flexible: measured with room to
    // spare, each takes its ideal width; placed in exactly that size, neither may be cut.
    const Font font = Font::system(12, Weight::semibold);
    show(HStack({.spacing = 20}, HStack({.spacing = 4}, Text(QStringLiteral("Next"), font), box("s", 10, 10)).id(QStringLiteral("a")),
                Text(QStringLiteral("Back"), font).id(QStringLiteral("b"))),
         {760, 100});
    EXPECT_EQ(frameOf("a").width(), textWidth(QStringLiteral("Next"), font) + 4 + 10);
    EXPECT_EQ(frameOf("b").width(), textWidth(QStringLiteral("Back"), font));
    const auto items = drawnItems(tree);
    for (const DrawnItem &i : items)
        if (i.kind == DrawnItem::Kind::text) {
            EXPECT_FALSE(i.text.endsWith(QChar(0x2026))) << i.text.toStdString();
        }
}

TEST_F(Layout, EmptyElementTakesNoSpaceNorSpacing)
{
    show(HStack({.spacing = 10}, box("a", 20, 10), Empty(), box("b", 20, 10)));
    EXPECT_EQ(frameOf("b").left() - frameOf("a").right(), 10);
}

TEST_F(Layout, FixedFrameAlignsItsContent)
{
    show(box("a", 20, 10).frame(100, 50, Alignment::bottomTrailing()), {100, 50});
    EXPECT_EQ(frameOf("a"), QRectF(80, 40, 20, 10));
    show(box("a", 20, 10).frame(100, std::nullopt, Alignment::leading()), {100, 50});
    EXPECT_EQ(frameOf("a"), QRectF(0, 20, 20, 10));
}

TEST_F(Layout, FlexibleFramesClampAndExpand)
{
    // maxWidth infinite takes the whole offer; content aligned inside.
    show(box("a", 20, 10).maxFrame(Alignment::topLeading()), {200, 100});
    EXPECT_EQ(frameOf("a"), QRectF(0, 0, 20, 10));
    EXPECT_EQ(tree.root()->frame(), QRectF(0, 0, 200, 100));

    // minWidth pushes a small content's frame out; maxWidth caps a greedy content.
    Element::Limits min;
    min.minWidth = 60;
    show(box("a", 20, 10).frame(min).id(QStringLiteral("f")), {200, 100});
    EXPECT_EQ(frameOf("f").width(), 60);
    Element::Limits max;
    max.maxWidth = 50;
    show(Fill(Color::white()).frame(max).id(QStringLiteral("f")), {200, 100});
    EXPECT_EQ(frameOf("f").width(), 50);
    EXPECT_EQ(frameOf("f").height(), 100);
}

TEST_F(Layout, AStretchingFrameNeverGrowsPastItsOfferForWiderContent)
{
    // A line kept at its natural length (fixed size) beside a 20-point box in a 200-point row: the
    // frame that stretches takes the 180 points left, and the line overflows it from its leading
    // edge, so the row and the box keep their places.
    const Element::Limits stretch{.maxWidth = infinity, .alignment = Alignment::leading()};
    show(HStack({.spacing = 0}, box("a", 20, 10), box("line", 300, 10).frame(stretch).id(QStringLiteral("f")))
             .id(QStringLiteral("row"))
             .frame(200, 20),
         {200, 20});
    EXPECT_EQ(frameOf("row"), QRectF(0, 5, 200, 10));
    EXPECT_EQ(frameOf("a").left(), 0);
    EXPECT_EQ(frameOf("f"), QRectF(20, 5, 180, 10));
    EXPECT_EQ(frameOf("line"), QRectF(20, 5, 300, 10));

    // A finite maximum below the offer still caps it; a minimum above the offer still wins.
    show(box("line", 300, 10).frame(Element::Limits{.maxWidth = 100}).id(QStringLiteral("f")), {200, 20});
    EXPECT_EQ(frameOf("f").width(), 100);
    show(box("line", 300, 10).frame(Element::Limits{.minWidth = 250, .maxWidth = infinity}).id(QStringLiteral("f")), {200, 20});
    EXPECT_EQ(frameOf("f").width(), 250);
    // Without an offer the frame still takes its content's ideal length.
    show(box("line", 300, 10).frame(stretch).fixedSize().id(QStringLiteral("f")), {200, 20});
    EXPECT_EQ(frameOf("f").width(), 300);
}

TEST_F(Layout, PaddingPerEdgeAndNegative)
{
    show(box("a", 20, 10).padding(Edges{1, 2, 3, 4}).id(QStringLiteral("p")), {200, 100});
    EXPECT_EQ(frameOf("p").size(), QSizeF(26, 14));
    EXPECT_EQ(frameOf("a").topLeft() - frameOf("p").topLeft(), QPointF(2, 1));

    show(box("a", 20, 10).padding(Edges::horizontal(-5)).id(QStringLiteral("p")), {200, 100});
    EXPECT_EQ(frameOf("p").width(), 10);
    EXPECT_EQ(frameOf("a").left() - frameOf("p").left(), -5);
}

TEST_F(Layout, OffsetMovesWithoutChangingLayout)
{
    show(HStack({.spacing = 0}, box("a", 20, 10).offset(5, 7), box("b", 20, 10)));
    EXPECT_EQ(frameOf("b").left() - frameOf("a").right(), -5);
    EXPECT_EQ(frameOf("a").top() - frameOf("b").top(), 7);
}

TEST_F(Layout, OverlayAndBackgroundTakeTheContentSizeAndAlign)
{
    show(box("c", 100, 40).overlay(box("o", 10, 10), Alignment::topTrailing()).id(QStringLiteral("all")));
    EXPECT_EQ(frameOf("all").size(), QSizeF(100, 40));
    EXPECT_EQ(frameOf("o").topRight(), frameOf("c").topRight());

    show(box("c", 100, 40).background(box("o", 10, 10), Alignment::bottomLeading()));
    EXPECT_EQ(frameOf("o").bottomLeft(), frameOf("c").bottomLeft());
}

TEST_F(Layout, AlignmentGuideHangsALabelBelow)
{
    // The label's bottom guide is its own top minus 6: aligned at the bottom, it hangs 6 below.
    show(box("island", 100, 40).overlay(box("label", 30, 12).alignmentGuide(VAlign::bottom, [](QSizeF) { return -6.0; }),
                                        Alignment::bottom()));
    EXPECT_EQ(frameOf("label").top(), frameOf("island").bottom() + 6);
    EXPECT_EQ(frameOf("label").center().x(), frameOf("island").center().x());
}

TEST_F(Layout, TextTakesItsMeasuredWidthAndTruncatesWhenOffered_less)
{
    const Font font = Font::system(13, Weight::semibold);
    const QString text = QStringLiteral("Headphones connected");
    show(Text(text, font).id(QStringLiteral("t")));
    EXPECT_EQ(frameOf("t").size(), QSizeF(textWidth(text, font), lineHeight(font)));

    show(Text(text, font).id(QStringLiteral("t")).frame(60, 20));
    EXPECT_LE(frameOf("t").width(), 60);
    EXPECT_EQ(frameOf("t").height(), lineHeight(font));
}

TEST_F(Layout, FixedSizeIgnoresTheOffer)
{
    const Font font = Font::system(13);
    const QString text = QStringLiteral("Longer than the frame");
    show(Text(text, font).fixedSize().id(QStringLiteral("t")).frame(40, 20));
    EXPECT_EQ(frameOf("t").width(), textWidth(text, font));
}

TEST_F(Layout, GeometryReaderSeesItsSize)
{
    QSizeF seen;
    show(GeometryReader([&](QSizeF size) {
             seen = size;
             return box("a", size.width() / 2, 10);
         }).frame(120, 30),
         {200, 100});
    EXPECT_EQ(seen, QSizeF(120, 30));
    EXPECT_EQ(frameOf("a").width(), 60);
}

// Content described from the reader's size is the same node from one description to the next, so
// a change inside it animates instead of replacing the whole content.
TEST_F(Layout, GeometryReaderContentKeepsItsNodesAndAnimates)
{
    const auto reader = [](double width) {
        return GeometryReader([width](QSizeF size) { return box("a", width, size.height() / 2); })
            .animation(Animation::linear(1), width);
    };
    show(reader(20));
    const Node *before = tree.find(QStringLiteral("a"));
    show(reader(60));
    EXPECT_EQ(tree.find(QStringLiteral("a")), before);
    time.advance(0.5);
    EXPECT_NEAR(frameOf("a").width(), 40, 1e-6);
    time.advance(1);
    EXPECT_EQ(frameOf("a").size(), QSizeF(60, 50));
}

TEST_F(Layout, NestedStacksAddUp)
{
    show(VStack({.spacing = 4}, HStack({.spacing = 2}, box("a", 10, 10), box("b", 10, 20)), box("c", 50, 5))
             .id(QStringLiteral("v")));
    EXPECT_EQ(frameOf("v").size(), QSizeF(50, 29));
    EXPECT_EQ(frameOf("c").top(), frameOf("b").bottom() + 4);
}
