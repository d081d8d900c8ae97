#include "Kit/Kit.h"

#include "Base/Observed.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace kit;

namespace {

class KitAdditions : public ::testing::Test {
protected:
    vesk::VirtualTime time;
    Tree tree{QSizeF(200, 100)};

    std::vector<DrawnItem> visible(DrawnItem::Kind kind) const
    {
        std::vector<DrawnItem> out;
        for (const DrawnItem &i : drawnItems(tree))
            if (i.kind == kind && i.isVisible())
                out.push_back(i);
        return out;
    }
};

}  // namespace

TEST_F(KitAdditions, AnimatableDescribesEveryFrameWhileMovingAndOvershootsWithASpring)
{
    vesk::Observed<double> target{0};
    std::vector<double> seen;
    tree.setRoot(Observe([&](const Env &) {
        return Animatable(target.get(), [&](double v) {
            seen.push_back(v);
            return Empty();
        });
    }));
    ASSERT_EQ(seen, std::vector<double>{0});
    withAnimation(Animation::spring(0.4, 0.5), [&] { target = 1; });
    time.flush();
    for (int i = 0; i < 120; ++i)
        time.advance(1.0 / 60);
    ASSERT_GT(seen.size(), 20u);
    EXPECT_GT(*std::max_element(seen.begin(), seen.end()), 1.0) << "an underdamped spring overshoots";
    EXPECT_DOUBLE_EQ(seen.back(), 1.0);
    // At rest: no frames, no descriptions.
    EXPECT_FALSE(tree.isAnimating());
    const size_t settled = seen.size();
    time.advance(1);
    EXPECT_EQ(seen.size(), settled);
    // Without animation it jumps: one description with the new value.
    target = 0.25;
    time.flush();
    EXPECT_DOUBLE_EQ(seen.back(), 0.25);
    EXPECT_FALSE(tree.isAnimating());
}

TEST_F(KitAdditions, AnimatableFollowsAnImplicitAnimationOfItsChange)
{
    vesk::Observed<double> target{0};
    std::vector<double> seen;
    tree.setRoot(Observe([&](const Env &) {
        return Animatable(target.get(), [&](double v) {
                   seen.push_back(v);
                   return Empty();
               })
            .animation(Animation::linear(1), target.get());
    }));
    target = 10;
    time.flush();
    time.advance(0.5);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_NEAR(seen.back(), 5, 0.3);
    time.advance(1);
    EXPECT_DOUBLE_EQ(seen.back(), 10);
}

TEST_F(KitAdditions, OnSizeChangeReportsOnAppearingAndOnlyWhenTheLaidOutSizeChanges)
{
    vesk::Observed<QString> label{QStringLiteral("one")};
    vesk::Observed<int> unrelated{0};
    std::vector<QSizeF> sizes;
    tree.setRoot(Observe([&](const Env &) {
        unrelated.get();
        return Text(label.get()).fixedSize().onSizeChange([&](QSizeF s) { sizes.push_back(s); });
    }));
    ASSERT_EQ(sizes.size(), 1u);
    EXPECT_EQ(sizes[0].width(), textWidth(QStringLiteral("one"), Font()));
    unrelated = 1;  // described again, same size: nothing
    time.flush();
    EXPECT_EQ(sizes.size(), 1u);
    label = QStringLiteral("a longer label");
    time.flush();
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_GT(sizes[1].width(), sizes[0].width());
    // Animated layout reports the size layout decided, at once.
    withAnimation(Animation::linear(1), [&] { label = QStringLiteral("x"); });
    time.flush();
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_EQ(sizes[2].width(), textWidth(QStringLiteral("x"), Font()));
}

TEST_F(KitAdditions, SpinnerTurnsOnceASecondAndNeedsFramesOnlyWhileShown)
{
    vesk::Observed<bool> shown{true};
    tree.setRoot(Observe([&](const Env &) { return If(shown.get(), Spinner(20)); }));
    // The arc's angle, read from the dump: a quarter of a second turns it a quarter turn.
    auto angle = [&] {
        const QString dump = tree.dump();
        const int at = dump.indexOf(QStringLiteral("values=("));
        return dump.mid(at + 8, dump.indexOf(u')', at) - at - 8).toDouble();
    };
    time.advance(0.1);
    const double a = angle();
    time.advance(0.25);
    const double b = angle();
    EXPECT_NEAR(std::fmod(b - a + 360, 360), 90, 8);
    time.advance(1);
    EXPECT_NEAR(std::fmod(angle() - b + 360 + 180, 360) - 180, 0, 8) << "one turn a second";
    const QImage c = tree.render(1);
    // White on transparent.
    bool white = false;
    for (int y = 0; y < c.height() && !white; ++y)
        for (int x = 0; x < c.width() && !white; ++x)
            white = QColor(c.pixel(x, y)) == QColor(Qt::white) && qAlpha(c.pixel(x, y)) == 255;
    EXPECT_TRUE(white);
    EXPECT_TRUE(tree.isAnimating());
    shown = false;
    time.flush();
    time.advance(0.1);
    EXPECT_FALSE(tree.isAnimating());
}

TEST_F(KitAdditions, DrawnItemsMapThroughPaddingOffsetsAndScalesAndMultiplyOpacities)
{
    tree.setRoot(VStack({.alignment = Alignment::topLeading(), .spacing = 0},
                        Text(QStringLiteral("plain")).padding(Edges{10, 20, 0, 0}),
                        Symbol(QStringLiteral("bell.fill"), 10, Weight::regular, Color::white(0.5))
                            .frame(20, 20)
                            .scaleEffect(2, UnitPoint::topLeading())
                            .offset(5, 0)
                            .opacity(0.5))
                     .frame(200, 100, Alignment::topLeading()));
    const auto texts = visible(DrawnItem::Kind::text);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, QStringLiteral("plain"));
    EXPECT_EQ(texts[0].rect.topLeft(), QPointF(20, 10));
    const auto symbols = visible(DrawnItem::Kind::symbol);
    ASSERT_EQ(symbols.size(), 1u);
    // The 10-point symbol sits centred in its 20 x 20 frame, which is doubled about its corner.
    const double top = 10 + lineHeight(Font());
    EXPECT_NEAR(symbols[0].rect.x(), 5 + 10, 1e-9);
    EXPECT_NEAR(symbols[0].rect.y(), top + 10, 1e-9);
    EXPECT_NEAR(symbols[0].rect.width(), 20, 1e-9);
    EXPECT_DOUBLE_EQ(symbols[0].opacity, 0.5);
    EXPECT_DOUBLE_EQ(symbols[0].tintAlpha, 0.5);
}

TEST_F(KitAdditions, DrawnItemsLeaveOutHiddenTransparentAndClippedAwayContent)
{
    tree.setRoot(ZStack({.alignment = Alignment::topLeading()},
                        Text(QStringLiteral("measured")).hidden(),
                        Text(QStringLiteral("faded")).opacity(0.005),
                        Text(QStringLiteral("clipped")).offset(150, 0).frame(100, 20, Alignment::topLeading()).clipped(),
                        Text(QStringLiteral("shown")).offset(0, 40),
                        Text(QString()))
                     .frame(200, 100, Alignment::topLeading()));
    std::vector<QString> names;
    for (const DrawnItem &i : visible(DrawnItem::Kind::text))
        names.push_back(i.text);
    EXPECT_EQ(names, std::vector<QString>{QStringLiteral("shown")});
    // Listed all the same when asked for everything, with the reason.
    const auto all = drawnItems(tree);
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const DrawnItem &i) { return i.hiddenOnPath; }));
    EXPECT_TRUE(std::any_of(all.begin(), all.end(), [](const DrawnItem &i) { return i.clippedAway; }));
    // Hidden content takes no hits.
    bool tapped = false;
    tree.setRoot(Fill(Color::white()).onTap([&](QPointF) { tapped = true; }).hidden().frame(200, 100));
    EXPECT_FALSE(tree.hitsSomething(QPointF(100, 50)));
    tree.handlePointer(PointerEvent::press(QPointF(100, 50)));
    tree.handlePointer(PointerEvent::release(QPointF(100, 50)));
    EXPECT_FALSE(tapped);
}

TEST_F(KitAdditions, DrawnItemsTruncateTextAsDrawnAndNameControls)
{
    bool disabled = true;
    tree.setRoot(VStack({.alignment = Alignment::leading(), .spacing = 0},
                        Text(QStringLiteral("a rather long line of text")).frame(60, 20),
                        Button(Text(QStringLiteral("OK")), [] {}),
                        Button(Fill(Color::white()).frame(10, 10), [] {}).tooltip(QStringLiteral("Tip")),
                        Button(Fill(Color::white()).frame(10, 10), [] {})
                            .tooltip(QStringLiteral("Tip"))
                            .accessibilityLabel(QStringLiteral("Label"))
                            .disabled(disabled),
                        Fill(Color::white()).frame(10, 10).onTap([](QPointF) {}).debugName(QStringLiteral("tapper")),
                        Button(Fill(Color::white()).frame(10, 10), [] {}).allowsHitTesting(false))
                     .frame(200, 100, Alignment::topLeading()));
    const auto texts = visible(DrawnItem::Kind::text);
    ASSERT_FALSE(texts.empty());
    EXPECT_TRUE(texts[0].text.endsWith(QChar(0x2026))) << texts[0].text.toStdString();
    const auto controls = visible(DrawnItem::Kind::control);
    ASSERT_EQ(controls.size(), 5u);
    EXPECT_EQ(controls[0].text, QStringLiteral("OK"));
    EXPECT_EQ(controls[1].text, QStringLiteral("Tip"));
    EXPECT_EQ(controls[2].text, QStringLiteral("Label"));
    EXPECT_TRUE(controls[2].disabled);
    EXPECT_FALSE(controls[1].disabled);
    EXPECT_EQ(controls[3].text, QStringLiteral("tapper"));
    EXPECT_FALSE(controls[4].takesHits) << "a control under allowsHitTesting(false) is not reachable";
}
