#include "Onboarding/TourTestSupport.h"

#include "Kit/InteractionNodes.h"

using namespace vesk;
using namespace kit;

namespace {

class TourKit : public test::TourTest {
protected:
    void mount(Element content)
    {
        tree.setRoot(std::move(content));
        settle();
    }
    static const Node *firstIn(const Node &node, const char *kind)
    {
        if (node.spec().kind() == std::string_view(kind))
            return &node;
        for (const auto &c : node.children())
            if (const Node *found = firstIn(*c, kind))
                return found;
        return nullptr;
    }
    static void allIn(const Node &node, const char *kind, std::vector<const Node *> &out)
    {
        if (node.spec().kind() == std::string_view(kind))
            out.push_back(&node);
        for (const auto &c : node.children())
            allIn(*c, kind, out);
    }
    const Node *first(const char *kind) const { return firstIn(*tree.root(), kind); }
    // The colour of the image's pixel at tree point p (scale 1).
    QColor pixel(QPointF p) const { return tree.render(1).pixelColor(p.toPoint()); }
};

}  // namespace

TEST_F(TourKit, ButtonsAre26HighProminentWhiteOnBlackPlainGreyWithTheSymbolAfterTheTitle)
{
    mount(HStack({.spacing = 20}, view(TourButton{QStringLiteral("Next"), QStringLiteral("arrow.right"), true, {}}),
                 view(TourButton{QStringLiteral("Back"), std::nullopt, false, {}})));
    const auto next = control(QStringLiteral("Next"));
    const auto back = control(QStringLiteral("Back"));
    ASSERT_TRUE(next && back) << names(DrawnItem::Kind::control).join(u'|').toStdString();
    EXPECT_EQ(next->rect.height(), 26);
    EXPECT_EQ(back->rect.height(), 26);
    const auto symbols = visible(DrawnItem::Kind::symbol);
    ASSERT_EQ(symbols.size(), 1u) << "only the prominent button has a symbol";
    EXPECT_EQ(symbols[0].text, QStringLiteral("arrow.right"));
    EXPECT_EQ(symbols[0].rect.height(), 10);
    QRectF title;
    for (const DrawnItem &t : visible(DrawnItem::Kind::text))
        if (t.text == QLatin1String("Next"))
            title = t.rect;
    EXPECT_NEAR(symbols[0].rect.left(), title.right() + 4, 0.01) << "4 points after the title";
    EXPECT_NEAR(title.left(), next->rect.left() + 12, 0.01);

    // Inside the capsules: white behind the prominent title, dark grey behind the plain one.
    const QColor prominent = pixel(QPointF(next->rect.left() + 6, next->rect.center().y()));
    EXPECT_EQ(prominent, QColor(Qt::white));
    const QColor plain = pixel(QPointF(back->rect.left() + 6, back->rect.center().y()));
    EXPECT_NEAR(plain.redF(), 0.2, 0.02);
    EXPECT_NEAR(plain.alphaF(), 0.85, 0.02);
}

TEST_F(TourKit, APressedButtonShrinksAndSpringsBackWhetherOrNotTheClickCompletes)
{
    int clicks = 0;
    mount(view(TourButton{QStringLiteral("Allow"), std::nullopt, false, [&] { ++clicks; }}));
    const QPointF centre = control(QStringLiteral("Allow"))->rect.center();
    auto scale = [&] { return first("Scale")->value(Prop::scaleX, 1); };
    tree.handlePointer(PointerEvent::move(centre));
    tree.handlePointer(PointerEvent::press(centre));
    time.advance(0.05);
    EXPECT_LT(scale(), 1);
    EXPECT_GT(scale(), 0.94) << "springs on the clock, not at once";
    settle();
    EXPECT_NEAR(scale(), 0.94, 0.001);
    // Let go outside: no click, and the label springs back all the same.
    tree.handlePointer(PointerEvent::move(centre + QPointF(200, 0)));
    tree.handlePointer(PointerEvent::release(centre + QPointF(200, 0)));
    settle();
    EXPECT_NEAR(scale(), 1, 0.001);
    EXPECT_EQ(clicks, 0);
    click(centre);
    settle();
    EXPECT_EQ(clicks, 1);
    EXPECT_NEAR(scale(), 1, 0.001);
}

TEST_F(TourKit, TheSwitchFlipsOnClickMovesItsKnobAndIgnoresClicksWhenDisabled)
{
    bool on = false;
    auto build = [&](bool enabled) {
        return view(IslandSwitch{on, [&](bool v) { on = v; }}).disabled(!enabled);
    };
    mount(build(true));
    auto knobX = [&] {
        double x = -1;
        std::function<void(const Node &)> walk = [&](const Node &n) {
            if (n.spec().kind() == std::string_view("Shape") && std::abs(n.targetFrame().width() - 14) < 0.01)
                x = mapFromTree(n, QPointF(0, 0)).x() * -1;
            for (const auto &c : n.children())
                walk(*c);
        };
        walk(*tree.root());
        return x;
    };
    const auto off = control(QStringLiteral("switch off"));
    ASSERT_TRUE(off);
    EXPECT_EQ(off->rect.size(), QSizeF(32, 18));
    const double leftKnob = knobX();
    click(off->rect.center());
    EXPECT_TRUE(on);
    mount(build(true));
    EXPECT_TRUE(control(QStringLiteral("switch on")));
    EXPECT_NEAR(knobX() - leftKnob, 32 - 18, 0.01) << "the knob travels from side to side";
    mount(build(false));
    click(control(QStringLiteral("switch on"))->rect.center());
    EXPECT_TRUE(on) << "disabled: the click changes nothing";
}

TEST_F(TourKit, CardsOfThreeTogglesAre96HighAndOfThreeAccessRows114)
{
    auto toggle = [](const char *title) { return StepToggle(QStringLiteral("timer"), QString::fromLatin1(title), true, {}); };
    mount(StepCard({toggle("a"), toggle("b"), toggle("c")}).frame(412, std::nullopt));
    EXPECT_EQ(tree.root()->targetFrame().height(), 96);
    auto access = [](const char *title) {
        return AccessRow(QStringLiteral("calendar"), QString::fromLatin1(title), QStringLiteral("detail"), Granted());
    };
    mount(StepCard({access("a"), access("b"), access("c")}).frame(412, std::nullopt));
    EXPECT_EQ(tree.root()->targetFrame().height(), 114);
    EXPECT_EQ(row(QStringLiteral("b"))->value, QStringLiteral("Granted"));
    EXPECT_EQ(row(QStringLiteral("b"))->rect.height(), 38);
}

TEST_F(TourKit, TheHeaderTextWrapsBesideTheMascotAndIsNeverCut)
{
    const QString text = QStringLiteral("Artwork and a visualiser sit beside me while music plays. Click me for the full player.");
    mount(view(StepHeader{QStringLiteral("Title"), text}).frame(412, std::nullopt, Alignment::top()));
    QRectF paragraph;
    for (const DrawnItem &t : visible(DrawnItem::Kind::text))
        if (t.text == text)
            paragraph = t.rect;
    ASSERT_FALSE(paragraph.isEmpty()) << "shown whole, not cut";
    EXPECT_EQ(paragraph.height(), 2 * lineHeight(Font::system(11.5)));
    EXPECT_LE(paragraph.right() - tree.root()->targetFrame().left(), 412 - 34 - 12 + 0.01) << "beside the 34-point mascot";
}

TEST_F(TourKit, TheMascotPopsInOnceAfterItsDelayAndStays)
{
    auto described = [](int n) { return VStack({}, Text(QString::number(n)), view(Mascot{34})); };
    tree.setRoot(described(1));
    time.flush();
    auto look = [&] { return std::pair(first("Opacity")->value(Prop::opacity, -1), first("Scale")->value(Prop::scaleX, -1)); };
    time.advance(0.1);
    EXPECT_EQ(look(), std::pair(0.0, 0.6)) << "invisible and small until 0.15 s";
    time.advance(0.1);
    EXPECT_GT(look().first, 0);
    time.advance(2);
    EXPECT_NEAR(look().first, 1, 0.001);
    EXPECT_NEAR(look().second, 1, 0.001);
    // Described again (its parent changed), it does not pop in a second time.
    tree.setRoot(described(2));
    time.flush();
    time.advance(0.01);
    EXPECT_NEAR(look().first, 1, 0.001);
}

TEST_F(TourKit, EveryMascotOfTheTourHasAppearedBeforeItsPageIsReached)
{
    show(0);
    model->setOnboardingPage(7);
    time.advance(0.05);  // the done page only starts to fade in
    std::vector<const Node *> mascots;
    allIn(*tree.root(), "Mascot", mascots);
    ASSERT_EQ(mascots.size(), 8u) << "welcome, six headers, done";
    for (const Node *mascot : mascots)
        EXPECT_NEAR(firstIn(*mascot, "Opacity")->value(Prop::opacity, -1), 1, 0.001);
}
