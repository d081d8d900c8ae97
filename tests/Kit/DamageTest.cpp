// Repainting only what changed: the damage a frame finds, and pictures repainted there that equal
// full repaints of the same frames.
#include "ImageDifferenceSupport.h"
#include "Kit/Kit.h"

#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kit;

namespace {

using kit::test::difference;
using kit::test::Difference;

class Damage : public ::testing::Test {
protected:
    // Draws the next frame into the kept picture and checks it against a full repaint.
    QRegion frame(double scale = 2)
    {
        const QRegion damage = tree.paintChanges(kept, scale);
        const Difference d = difference(kept, tree.render(scale));
        EXPECT_EQ(d.largest, 0) << "at " << d.at.x() << "," << d.at.y() << " (t=" << time.now() << ")";
        return damage;
    }
    // Frames every 1/60 s for `seconds`, each checked; the union of their damage.
    QRegion frames(double seconds, double scale = 2)
    {
        QRegion all;
        for (double t = 0; t < seconds - 1e-9; t += 1.0 / 60) {
            time.advance(1.0 / 60);
            all += frame(scale);
        }
        return all;
    }
    static QRect onDevice(QRectF points, double scale = 2)
    {
        return QRectF(points.topLeft() * scale, points.size() * scale).toAlignedRect();
    }

    vesk::VirtualTime time;
    Tree tree{QSizeF(200, 100)};
    QImage kept;
};

Element bar(double x)
{
    return Fill(RoundedRectangle(0.5), Color::white())
        .frame(2, 4)
        .loop(LoopTarget::height(), Loop::between(4, 16, 0.4, Animation::Kind::easeInOut, true, 1.0))
        .frame(4, 20)
        .offset(x, 0);
}

// A text and a fill that rest, and two bars that bounce 60 and 70 points right of the centre.
Element restingWithBars()
{
    return ZStack({},
                  Fill(RoundedRectangle(8), Color::rgb(0.1, 0.1, 0.1)).frame(180, 60),
                  Text("Resting", Font::system(13, Weight::semibold), Color::white()).offset(-40, 0),
                  bar(60), bar(70));
}

}  // namespace

TEST_F(Damage, TheFirstFrameIsWholeAndAFrameWithoutChangeDrawsNothing)
{
    tree.setRoot(restingWithBars().opacity(1));
    tree.setShown(false);  // the bars rest too
    EXPECT_EQ(frame(), QRegion(0, 0, 400, 200));
    EXPECT_TRUE(frame().isEmpty());
    time.advance(1);
    EXPECT_TRUE(frame().isEmpty());
    EXPECT_TRUE(tree.damage(2).isEmpty());
    EXPECT_EQ(tree.damage(1), QRegion(0, 0, 200, 100)) << "another scale is drawn anew";
    EXPECT_EQ(frame(1), QRegion(0, 0, 200, 100));
    tree.setSize({150, 100});
    EXPECT_EQ(frame(1), QRegion(0, 0, 150, 100)) << "and so is another size";
}

TEST_F(Damage, BouncingBarsDamageOnlyTheirOwnPlaces)
{
    tree.setRoot(restingWithBars());
    frame();
    const QRegion all = frames(1.0);
    ASSERT_FALSE(all.isEmpty());
    // Each bar's frame (2 points wide, up to 16 high, centred at 100 + 60 and + 70) and the point
    // a leaf's ink may stray, rounded out and widened by a pixel.
    QRegion allowed;
    for (double x : {160.0, 170.0})
        allowed += onDevice(QRectF(x - 1, 50 - 8, 2, 16).adjusted(-1, -1, 1, 1)).adjusted(-2, -2, 2, 2);
    EXPECT_TRUE((all - allowed).isEmpty()) << "damage beyond the bars: " << (all - allowed).boundingRect().x();
    EXPECT_FALSE(all.intersects(onDevice(QRectF(30, 30, 100, 40)))) << "the text and most of the fill rest";
}

TEST_F(Damage, ContentThatMovesOrGoesIsRepaintedWhereItWasAndWhereItIs)
{
    vesk::Observed<int> place{0};
    tree.setRoot(Observe([&](const Env &) {
        return HStack({.spacing = 4}, Fill(Color::white()).frame(20, 20),
                      If(place.get() < 2, Element(Fill(Circle(), Color::rgb(1, 0, 0)).frame(10, 10).id(7))))
            .offset(place.get() == 1 ? 50 : 0, 0);
    }));
    frame();
    place = 1;
    time.flush();
    const QRegion moved = frame();
    EXPECT_TRUE(moved.contains(QPoint(2 * 100, 2 * 50))) << "where the fill was";
    EXPECT_TRUE(moved.contains(QPoint(2 * 150, 2 * 50))) << "where it is";
    place = 2;
    time.flush();
    frame();  // the circle is gone from its place
    withAnimation(Animation::easeInOut(0.3), [&] { place = 0; });
    time.flush();
    frames(0.5);  // slides back and fades in
}

TEST_F(Damage, ChangesUnderABlurOrShadowRepaintTheirWholeLayer)
{
    vesk::Observed<bool> wide{false};
    tree.setRoot(Observe([&](const Env &) {
        return HStack({.spacing = 30},
                      ZStack({}, Fill(Color::white()).frame(wide.get() ? 40 : 20, 20), bar(10)).blur(6),
                      Fill(RoundedRectangle(4), Color::white()).frame(wide.get() ? 30 : 20, 20).shadow(Color::black(0.8), 5, 0, 3),
                      Fill(Color::white()).frame(10, 10))
            .animation(Animation::easeInOut(0.4), wide.get());
    }));
    frame();
    wide = true;
    time.flush();
    const QRegion moving = frames(0.6);
    // The still square beside them is repainted only where the shadow's reach covers it.
    EXPECT_FALSE(moving.isEmpty());
    frames(0.5);  // the bar keeps the blur busy
}

TEST_F(Damage, TransitionsOfInsertionAndRemovalEqualFullRepaints)
{
    vesk::Observed<bool> shown{false};
    tree.setRoot(Observe([&](const Env &) {
        return VStack({.spacing = 6}, Text("Title", Font::system(15), Color::white()),
                      If(shown.get(), Element(Text("A line that arrives", Font::system(12), Color::white())
                                                  .transition(Transition::blurReplace(6).combined(Transition::scale(0.8))))),
                      Symbol(shown.get() ? "pause.fill" : "play.fill", 14).contentTransition(ContentTransition::symbolReplace));
    }));
    frame();
    for (bool to : {true, false}) {
        withAnimation(Animation::spring(0.4, 0.8), [&] { shown = to; });
        time.flush();
        frames(0.8);
    }
}

TEST_F(Damage, AKeptPictureBesideMotionIsNotDrawnAgain)
{
    int drawn = 0;
    tree.setRoot(HStack({.spacing = 20},
                        Painter(AnyValue::of(1), {},
                                [&](QPainter &p, const QRectF &r, const std::vector<double> &) {
                                    ++drawn;
                                    p.fillRect(r, QColor(255, 255, 255, 128));
                                })
                            .frame(60, 30)
                            .keptWhileStill(),
                        bar(0)));
    frame();
    frames(0.1);
    const int settled = drawn;
    const QRegion damage = frames(1);
    EXPECT_EQ(drawn, settled) << "nothing reaches the kept picture";
    EXPECT_FALSE(damage.intersects(onDevice(QRectF(58, 35, 60, 30)))) << damage.boundingRect().x() << "," << damage.boundingRect().y() << " " << damage.boundingRect().width() << "x" << damage.boundingRect().height();
}

TEST_F(Damage, AHandDrawnChangeOrANewRootRepaintsEverything)
{
    vesk::Observed<double> v{0};
    tree.setRoot(Observe([&](const Env &) {
        return HStack({}, Painter(AnyValue::of(2), {v.get()}, [](QPainter &p, const QRectF &r, const std::vector<double> &d) {
                   p.fillRect(QRectF(r.x() - 20 + d[0], r.y(), 10, 10), Qt::white);  // beyond its own frame
               }).frame(30, 30),
               Fill(Color::white()).frame(10, 10));
    }));
    frame();
    v = 5;
    time.flush();
    EXPECT_EQ(frame(), QRegion(0, 0, 400, 200)) << "a painter may draw anywhere";
    EXPECT_TRUE(frame().isEmpty());
    tree.setRoot(Text("Another root"));
    EXPECT_EQ(frame(), QRegion(0, 0, 400, 200));
}

TEST_F(Damage, ClippedAndScaledContentIsBoundedWhereItShows)
{
    // A marquee's run: a long text moving under a clip damages the clip, not the text's length.
    tree.setRoot(Text("A rather long line that runs past the edge of its window", Font::system(12), Color::white())
                     .fixedSize()
                     .loop(LoopTarget::offsetX(), Loop::between(0, -120, 3, Animation::Kind::linear, false, 1.0))
                     .frame(80, 20, Alignment::leading())
                     .clipped()
                     .scaleEffect(1.5));
    frame();
    const QRegion damage = frames(0.5);
    // The 80 x 20 clip at the centre, scaled by 1.5 about it: 120 x 30 points.
    const QRect clip = onDevice(QRectF(100 - 60, 50 - 15, 120, 30)).adjusted(-6, -6, 6, 6);
    EXPECT_TRUE((damage - QRegion(clip)).isEmpty()) << damage.boundingRect().x() << "," << damage.boundingRect().y() << " " << damage.boundingRect().width() << "x" << damage.boundingRect().height();
    EXPECT_TRUE(damage.intersects(clip));
}

TEST_F(Damage, AStillPartThatChangesLaterAndAFadedOutPartThatLoopsEqualFullRepaints)
{
    // While the bars bounce, the resting parts are not looked into again; a faded-out group whose
    // own bar loops draws nothing and adds no damage. Each must still be repainted once it changes.
    vesk::Observed<double> shade{0.2};
    vesk::Observed<double> faded{0};
    tree.setRoot(Observe([&](const Env &) {
        return HStack({.spacing = 10}, Fill(RoundedRectangle(6), Color::rgb(shade.get(), 0.3, 0.3)).frame(40, 40),
                      ZStack({}, Fill(Color::white()).frame(30, 30), bar(0)).opacity(faded.get()), bar(0));
    }));
    frame();
    // 40 + 10 + 30 + 10 + 4 points wide, centred: the fill at 53, the group at 103, the bar at 143.
    const QRect hiddenGroup = onDevice(QRectF(103, 35, 30, 30));
    EXPECT_FALSE(frames(0.5).intersects(hiddenGroup)) << "the faded-out group draws nothing";
    shade = 0.8;
    time.flush();
    EXPECT_TRUE(frame().contains(onDevice(QRectF(73, 50, 1, 1)).center())) << "the still fill changed";
    frames(0.2);
    faded = 1;
    time.flush();
    EXPECT_TRUE(frame().intersects(hiddenGroup)) << "the group shows";
    EXPECT_TRUE(frames(0.5).intersects(hiddenGroup)) << "and its bar bounces";
    faded = 0;
    time.flush();
    frame();
    frames(0.3);
}
