// The views that fill the island: page tabs, open pages, the liquid bubble, readouts and the size
// label, each inside the real island view where it matters.
#include "Island/IslandViews.h"
#include "Island/LiquidBubble.h"
#include "Island/OpenView.h"
#include "Island/PeekView.h"
#include "Island/SizePreviewLabel.h"
#include "Island/TabBar.h"

#include "Model/IslandTestSupport.h"
#include "Model/Motion.h"
#include "KitNodeSupport.h"
#include "LongTextSupport.h"
#include "Kit/Kit.h"
#include "Kit/Palette.h"

#include <cmath>
#include <limits>

using namespace kit;
using namespace vesk;

namespace {

class IslandViews : public test::PlatformTest {
protected:
    IslandViews() { fillIslandViewSlots(islandSlots); }
    void SetUp() override { model = settledPrimary(); }
    void show()
    {
        tree.setRoot(view(NotchView{model.get(), &islandSlots}));
        time.advance(0.01);
    }
    void settle(double seconds = 2) { time.advance(seconds); }

    std::vector<DrawnItem> visible(DrawnItem::Kind kind) const
    {
        std::vector<DrawnItem> out;
        for (const DrawnItem &i : drawnItems(tree))
            if (i.kind == kind && i.isVisible() && (kind != DrawnItem::Kind::control || i.takesHits))
                out.push_back(i);
        return out;
    }
    std::optional<QRectF> control(const QString &name) const
    {
        for (const DrawnItem &i : visible(DrawnItem::Kind::control))
            if (i.text == name)
                return i.rect;
        return std::nullopt;
    }
    bool anyText(const QString &text) const
    {
        for (const DrawnItem &i : drawnItems(tree))
            if (i.kind == DrawnItem::Kind::text && i.text == text)
                return true;
        return false;
    }
    void click(QPointF p)
    {
        tree.handlePointer(PointerEvent::move(p));
        tree.handlePointer(PointerEvent::press(p));
        tree.handlePointer(PointerEvent::release(p));
        time.flush();
    }

    NotchViewSlots islandSlots;
    std::shared_ptr<NotchViewModel> model;
    Tree tree{QSizeF(NotchView::panelWidth, NotchView::panelHeight)};
};

// The node that carries a page of the open view (its identity wrapper), with its effects below.
struct PageLayer {
    double opacity, blur, scale;
    bool hits;
};
PageLayer pageLayer(const Tree &tree, const IslandPage &page)
{
    const Node *id = tree.find(page);
    EXPECT_TRUE(id);
    if (!id)
        return {};
    const Node *hit = test::findKind(id, "AllowsHitTesting");
    return {test::findKind(id, "Opacity")->value(Prop::opacity, 1), test::findKind(id, "Blur")->value(Prop::blur, 0),
            test::findKind(id, "Scale")->value(Prop::scaleX, 1), hit->spec().allowsHits(*hit)};
}

}  // namespace

// ---- Page tabs ------------------------------------------------------------------------------------

TEST_F(IslandViews, TabClicksTurnByTheirDistanceFromTheCurrentPage)
{
    show();
    model->open(false);
    settle();
    ASSERT_EQ(model->pages().size(), 3u);
    const auto timer = control(QStringLiteral("Timer"));
    ASSERT_TRUE(timer);
    // The dots hang 6 points under the open island, 18 high.
    EXPECT_NEAR(timer->height(), 18, 1e-6);
    EXPECT_NEAR(timer->top(), model->openSize().height + 6, 0.5);
    click(timer->center());
    settle();
    EXPECT_EQ(model->page(), 2);
    // The current dot turns by 0: nothing moves.
    click(control(QStringLiteral("Timer"))->center());
    settle();
    EXPECT_EQ(model->page(), 2);
    click(control(QStringLiteral("Now Playing"))->center());
    settle();
    EXPECT_EQ(model->page(), 0);
    // Over a dot: the pointing hand and one hovered control.
    tree.handlePointer(PointerEvent::move(control(QStringLiteral("Calendar"))->center()));
    time.flush();
    EXPECT_EQ(model->hoveredControls, 1);
    EXPECT_EQ(model->cursor(), NotchViewModel::Cursor::pointingHand);
    EXPECT_EQ(tree.tooltipAt(control(QStringLiteral("Calendar"))->center()), QStringLiteral("Calendar"));
    tree.handlePointer(PointerEvent::leave());
    EXPECT_EQ(model->hoveredControls, 0);
}

TEST_F(IslandViews, HiddenDotsTakeNoClickAndNoHover)
{
    show();
    model->open(false);
    settle();
    const QPointF calendar = control(QStringLiteral("Calendar"))->center();
    model->close(false);
    settle();
    EXPECT_FALSE(control(QStringLiteral("Calendar")));
    click(calendar);
    settle();
    EXPECT_EQ(model->page(), 0);
    EXPECT_EQ(model->hoveredControls, 0);
    EXPECT_EQ(tree.cursor(), Qt::ArrowCursor);
}

TEST_F(IslandViews, OnePageHasNoTabsAndExtensionsAreNamedFromTheCatalogue)
{
    defaults().set(settings::showCalendar, false);
    defaults().set(settings::showTimerPage, false);
    show();
    model->open(false);
    settle();
    ASSERT_EQ(model->pages().size(), 1u);
    EXPECT_FALSE(control(QStringLiteral("Now Playing")));
    EXPECT_EQ(TabBar::name(IslandPage::media()), QStringLiteral("Now Playing"));
    EXPECT_EQ(TabBar::name(IslandPage::calendar()), QStringLiteral("Calendar"));
    EXPECT_EQ(TabBar::name(IslandPage::timer()), QStringLiteral("Timer"));
    EXPECT_EQ(TabBar::name(IslandPage::ext("not.in.the.catalogue")), QString());
}

// ---- Open pages ---------------------------------------------------------------------------------

TEST_F(IslandViews, HalfADragShowsBothPagesHalfWayAndNeitherTakesHits)
{
    int mediaBuilds = 0, timerBuilds = 0;
    OpenView::Slots pages;
    pages.media = [&](NotchViewModel &) {
        ++mediaBuilds;
        return Text(QStringLiteral("MEDIA"));
    };
    pages.calendar = [](NotchViewModel &) { return Text(QStringLiteral("CALENDAR")); };
    pages.timer = [&](NotchViewModel &) {
        ++timerBuilds;
        return Text(QStringLiteral("TIMER"));
    };
    islandSlots.openView = [&pages](NotchViewModel &m) { return view(OpenView{&m, &pages}); };
    show();
    model->open(false, IslandPage::calendar());
    settle();
    // Only the current page is built; its neighbours a page away are empty.
    EXPECT_TRUE(anyText(QStringLiteral("CALENDAR")));
    EXPECT_FALSE(anyText(QStringLiteral("MEDIA")));
    EXPECT_FALSE(anyText(QStringLiteral("TIMER")));
    EXPECT_EQ(timerBuilds, 0);

    model->pageDrag = model->openSize().width / 2;
    settle(0.01);
    for (const IslandPage &p : {IslandPage::media(), IslandPage::calendar()}) {
        const PageLayer layer = pageLayer(tree, p);
        EXPECT_NEAR(layer.opacity, 0.5, 1e-9);
        EXPECT_NEAR(layer.blur, 7, 1e-9);
        EXPECT_NEAR(layer.scale, 0.97, 1e-9);
        EXPECT_FALSE(layer.hits);
    }
    EXPECT_TRUE(anyText(QStringLiteral("MEDIA")));
    EXPECT_GT(mediaBuilds, 0);
    EXPECT_FALSE(anyText(QStringLiteral("TIMER")));
    EXPECT_EQ(OpenView::position(1, model->openSize().width / 2, model->openSize().width), 0.5);
    EXPECT_EQ(OpenView::distance(2, 0.5), 1);
}

TEST_F(IslandViews, AnExtensionPageIsBuiltOnlyWhileShownOrHoveredAndWhileItRuns)
{
    auto ext = std::make_shared<SimulatedExtension>(ExtensionInfo{"sim.alpha", "Alpha"});
    ExtensionStore::shared().run(ext);
    show();
    model->open(false, IslandPage::ext("sim.alpha"));
    settle();
    ASSERT_EQ(model->pages().at(size_t(model->page())), IslandPage::ext("sim.alpha"));
    EXPECT_TRUE(anyText(QStringLiteral("Alpha")));
    model->close(false);
    settle();
    EXPECT_FALSE(anyText(QStringLiteral("Alpha"))) << "closed and not hovered: not built";
    model->isHovering = true;
    settle(0.01);
    EXPECT_TRUE(anyText(QStringLiteral("Alpha")));
    model->isHovering = false;
    model->open(false);
    settle();
    // Its extension stops while the identifier is still listed by the open page: nothing shows.
    EXPECT_EQ(OpenView::topInset(IslandStyle::pill, 32), 16);
    EXPECT_EQ(OpenView::topInset(IslandStyle::notch, 32), 32);
}

// ---- The bubble -----------------------------------------------------------------------------------

TEST(LiquidBubbleShape, FromInsideTheCapsuleToASeparateBubbleAndBeyond)
{
    const Size island{200, 34}, bubble{60, 34};
    const double gap = 6;
    const auto at0 = LiquidBubble::shape(0, island, bubble, gap);
    EXPECT_NEAR(at0.dropHeight, 0.62 * 34, 1e-9);
    EXPECT_NEAR(at0.dropX, 200 - 0.95 * at0.dropHeight, 1e-9);
    EXPECT_EQ(at0.neck, 0);
    EXPECT_EQ(at0.readoutOpacity, 0);
    EXPECT_FALSE(at0.moving);

    const auto half = LiquidBubble::shape(0.5, island, bubble, gap);
    EXPECT_NEAR(half.neck, 0.32 * 34, 1e-9);
    EXPECT_EQ(half.readoutOpacity, 0);
    EXPECT_TRUE(half.moving);
    EXPECT_GT(half.neck, LiquidBubble::neckThreshold);

    const auto one = LiquidBubble::shape(1, island, bubble, gap);
    EXPECT_NEAR(one.dropHeight, 34, 1e-9);
    EXPECT_NEAR(one.dropWidth, 60, 1e-9);
    EXPECT_NEAR(one.dropX, 206, 1e-9);
    EXPECT_NEAR(one.dropY, 0, 1e-9);
    EXPECT_EQ(one.neck, 0);
    EXPECT_EQ(one.readoutOpacity, 1);
    EXPECT_EQ(one.readoutScale, 1);
    EXPECT_NEAR(one.readoutX, 206, 1e-9);

    // An overshooting spring carries the drop past its place and swells it a little; the readout
    // stays as at 1.
    const auto over = LiquidBubble::shape(1.2, island, bubble, gap);
    EXPECT_NEAR(over.dropHeight, 34 * (1 + 0.06 * 0.2), 1e-9);
    EXPECT_GT(over.dropX, 206);
    EXPECT_EQ(over.neck, 0);
    EXPECT_EQ(over.readoutOpacity, 1);
    EXPECT_EQ(over.readoutScale, 1);
}

TEST_F(IslandViews, TheRestingBubbleSitsSixPointsRightOfTheCapsule)
{
    defaults().set(settings::externalDisplayStyle, std::string("pill"));
    Tree bubbleTree{QSizeF(400, 100)};
    double reported = 0;
    const Size island{200, 34};
    bubbleTree.setRoot(view(LiquidBubble{model.get(), 1, island, Size{80, 34}, 6,
                                         Peek::battery(55, false), [&](double w) { reported = w; }})
                           .frame(400, 100, Alignment::topLeading()));
    time.advance(0.5);
    EXPECT_GT(reported, 0) << "the compact readout reports its width";
    const QImage image = bubbleTree.render(1);
    // Nothing in the gap, black from 206 on, at the capsule's middle height.
    EXPECT_EQ(qAlpha(image.pixel(203, 17)), 0);
    EXPECT_EQ(qAlpha(image.pixel(210, 17)), 255);
    EXPECT_EQ(qAlpha(image.pixel(206 + 78, 17)), 255);
    EXPECT_EQ(qAlpha(image.pixel(206 + 83, 17)), 0);
    // The readout inside it.
    bool text = false;
    for (const DrawnItem &i : drawnItems(bubbleTree))
        text = text || (i.kind == DrawnItem::Kind::text && i.isVisible() && i.text == QStringLiteral("55%"));
    EXPECT_TRUE(text);
}

TEST_F(IslandViews, NoPeekDrawsNoBubbleAndProgressZeroNoCanvas)
{
    Tree bubbleTree{QSizeF(400, 100)};
    bubbleTree.setRoot(view(LiquidBubble{model.get(), 1, Size{200, 34}, Size{80, 34}, 6, std::nullopt, {}}));
    EXPECT_TRUE(bubbleTree.render(1).isNull() || bubbleTree.render(1) == [&] {
        QImage empty(400, 100, QImage::Format_ARGB32_Premultiplied);
        empty.fill(Qt::transparent);
        return empty;
    }());
    bubbleTree.setRoot(view(LiquidBubble{model.get(), 0, Size{200, 34}, Size{80, 34}, 6, Peek::battery(55, false), {}})
                           .frame(400, 100, Alignment::topLeading()));
    EXPECT_FALSE(test::findKind(bubbleTree.root(), "Shape")) << "no drop at progress 0";
    EXPECT_FALSE(test::findKind(bubbleTree.root(), "Painter"));
}

// ---- Readouts -------------------------------------------------------------------------------------

TEST_F(IslandViews, ReadoutSymbolsAndTintsFollowTheirThresholds)
{
    auto look = [&](const Peek &p) { return PeekView::look(p, *model); };
    EXPECT_EQ(look(Peek::volume(0.34f, false)).symbol, QStringLiteral("speaker.wave.2.fill"));
    EXPECT_EQ(look(Peek::volume(0.3399f, false)).symbol, QStringLiteral("speaker.wave.1.fill"));
    EXPECT_EQ(look(Peek::volume(0.67f, false)).symbol, QStringLiteral("speaker.wave.3.fill"));
    EXPECT_EQ(look(Peek::volume(0.9f, true)).symbol, QStringLiteral("speaker.slash.fill"));
    EXPECT_EQ(look(Peek::volume(0, false)).symbol, QStringLiteral("speaker.slash.fill"));
    EXPECT_EQ(look(Peek::brightness(0.5f)).symbol, QStringLiteral("sun.max.fill"));
    EXPECT_EQ(look(Peek::brightness(0.49f)).symbol, QStringLiteral("sun.min.fill"));

    const auto low = look(Peek::battery(20, false));
    EXPECT_EQ(low.symbol, QStringLiteral("powerplug.fill"));
    EXPECT_EQ(low.tint, Color::white(0.6));
    EXPECT_EQ(low.textTint, palette::red);
    EXPECT_EQ(look(Peek::battery(21, false)).textTint, Color::white());
    const auto charging = look(Peek::battery(20, true));
    EXPECT_EQ(charging.symbol, QStringLiteral("bolt.fill"));
    EXPECT_EQ(charging.textTint, palette::green);

    const auto gone = look(Peek::device("headphones", false));
    EXPECT_EQ(gone.symbol, QStringLiteral("headphones"));
    EXPECT_EQ(gone.tint, Color::white(0.5));
    EXPECT_EQ(gone.textTint, Color::white(0.6));
    EXPECT_EQ(look(Peek::focus(true)).tint, palette::indigo);
    EXPECT_EQ(look(Peek::focus(false)).symbol, QStringLiteral("moon"));
    EXPECT_EQ(look(Peek::capsLock(false)).symbol, QStringLiteral("capslock"));
    EXPECT_EQ(look(Peek::inputSource(QStringLiteral("ABC"))).symbol, QStringLiteral("keyboard"));
    EXPECT_EQ(look(Peek::download(std::nullopt)).tint, palette::blue);
    ExtensionActivity activity{"sim.alpha", "cpu", QColor(10, 200, 30), QStringLiteral("42%")};
    const auto custom = look(Peek::custom(activity));
    EXPECT_EQ(custom.symbol, QStringLiteral("cpu"));
    EXPECT_EQ(custom.tint, Color::fromQColor(QColor(10, 200, 30)));
    model->countdown().setMode(CountdownTimer::Mode::stopwatch);
    EXPECT_EQ(look(Peek::timer()).symbol, QStringLiteral("stopwatch"));
    EXPECT_EQ(look(Peek::timer()).tint, palette::orange);
}

// Texts from outside (an extension's activity, a keyboard layout's name) of any length: the island
// grows with the text up to its widest, the text ends in an ellipsis there, and everything the
// readout draws lies inside the island, which lies inside its panel with room for its shadow.
TEST_F(IslandViews, AReadoutOfAnyLengthStaysInsideItsIslandAndTheIslandInsideItsPanel)
{
    show();
    for (const IslandStyle style : {IslandStyle::notch, IslandStyle::pill}) {
        model->updateNotch(plug(laptop()), style, false);
        for (const int length : test::textLengths) {
            const QString text = test::wordsOfLength(length);
            ExtensionActivity activity{"sim.alpha", "star", QColor(Qt::yellow), text};
            for (const Peek &peek : {Peek::custom(activity), Peek::inputSource(text)}) {
                SCOPED_TRACE(testing::Message() << (style == IslandStyle::pill ? "capsule" : "notch") << ", " << peek.caseName()
                                                << ", " << length << " characters");
                model->show(peek, 5);
                settle(1);
                const Size size = model->size();
                const QRectF island((NotchView::panelWidth - size.width) / 2, 0, size.width, NotchView::panelHeight);
                EXPECT_LE(size.width + 19, NotchView::panelWidth - 2 * 60) << "swollen";
                const double textMax = model->readoutTextMaxWidth();
                EXPECT_GE(textMax, 150);
                bool drawn = false;
                for (const DrawnItem &i : visible(DrawnItem::Kind::text)) {
                    if (length > 0 && !text.startsWith(i.text.left(10)))
                        continue;
                    drawn = true;
                    EXPECT_LE(i.rect.width(), textMax);
                    EXPECT_EQ(i.text.endsWith(QChar(0x2026)), textWidth(text, NotchViewModel::readoutFont()) > textMax)
                        << i.text.toStdString();
                }
                EXPECT_TRUE(drawn || length == 0);
                // The island's own hover area reaches past its edges by design: texts and symbols.
                for (const std::string &line : test::outside(tree, island, false))
                    ADD_FAILURE() << line << " outside the island";
            }
        }
    }

    // The capsule's bubble shows the same texts in half that room.
    for (const int length : test::textLengths) {
        Tree bubbleTree{QSizeF(NotchView::panelWidth, 100)};
        double reported = 0;
        ExtensionActivity activity{"sim.alpha", "star", QColor(Qt::yellow), test::wordsOfLength(length)};
        bubbleTree.setRoot(view(LiquidBubble{model.get(), 1, Size{200, 34}, Size{80, 34}, 6, Peek::custom(activity),
                                             [&](double w) { reported = w; }})
                               .frame(NotchView::panelWidth, 100, Alignment::topLeading()));
        time.advance(0.5);
        EXPECT_GT(reported, 0) << length << " characters";
        EXPECT_LE(reported, model->readoutTextMaxWidth(true) + 60) << length << " characters";
    }
}

TEST(PeekViewMetrics, SlotAndInsetFromTheIslandHeight)
{
    const auto pill = PeekView::metrics(32, true, false);
    EXPECT_EQ(pill.e, 6);
    EXPECT_EQ(pill.slot, 20);
    EXPECT_EQ(pill.symbolSize, 13);
    EXPECT_EQ(PeekView::metrics(32, true, true).slot, 21.5);
    EXPECT_EQ(PeekView::metrics(32, false, true).slot, 19) << "notch style: h - 13, no rim";
    // 0.2 x 17.5 = 3.5 rounds away from zero.
    EXPECT_EQ(PeekView::metrics(17.5, true, false).e, 4);
    EXPECT_EQ(PeekView::metrics(5, true, false).e, 3);
    // A low simulated notch never gives a negative square.
    EXPECT_EQ(PeekView::metrics(8, false, false).slot, 0);
    EXPECT_EQ(PeekView::metrics(8, false, false).symbolSize, 0);
}

TEST_F(IslandViews, TheProbeReportsTheTrailingWidthAndTheSpinnerStandsAt14)
{
    show();
    model->show(Peek::download(std::nullopt), 5);
    settle(0.5);
    ASSERT_TRUE(model->measuredTrailing.get());
    EXPECT_EQ(model->measuredTrailing.get()->width, 14);
    model->show(Peek::volume(0.5f, false), 5);
    settle(0.5);
    EXPECT_EQ(model->measuredTrailing.get()->width, 58);
    model->show(Peek::inputSource(QStringLiteral("Dvorak\n<b>x")), 5);
    settle(0.5);
    const Peek shown = Peek::inputSource(QStringLiteral("Dvorak\n<b>x"));
    ASSERT_EQ(model->measuredTrailing.get()->peek, shown);
    EXPECT_EQ(model->measuredTrailing.get()->width,
              std::ceil(textWidth(QStringLiteral("Dvorak <b>x"), NotchViewModel::readoutFont()) - 1e-9));
    // One line, the markup as it stands.
    bool drawn = false;
    for (const DrawnItem &i : visible(DrawnItem::Kind::text))
        drawn = drawn || i.text == QStringLiteral("Dvorak <b>x");
    EXPECT_TRUE(drawn);
}

TEST_F(IslandViews, LevelBarClampsItsLevel)
{
    auto barWidth = [&](float level) {
        Tree bar{QSizeF(100, 20)};
        bar.setRoot(view(LevelBar{level}));
        // The second capsule is the level.
        std::vector<double> widths;
        std::function<void(const Node &)> walk = [&](const Node &n) {
            if (std::string(n.spec().kind()) == "Shape")
                widths.push_back(n.frame().width());
            for (const auto &c : n.children())
                walk(*c);
        };
        walk(*bar.root());
        return widths.size() == 2 ? widths[1] : -1.0;
    };
    EXPECT_EQ(barWidth(1.3f), 58);
    EXPECT_EQ(barWidth(-0.2f), 0);
    EXPECT_NEAR(barWidth(0.5f), 29, 1e-6);
}

// ---- Size label -----------------------------------------------------------------------------------

TEST(SizePreviewLabelText, SignedWholePoints)
{
    using A = NotchViewModel::SizeAdjustment;
    EXPECT_EQ(SizePreviewLabel::text(A::width(4.7)), QStringLiteral("+4 pt"));
    EXPECT_EQ(SizePreviewLabel::text(A::width(-0.5)), QStringLiteral("0 pt"));
    EXPECT_EQ(SizePreviewLabel::text(A::height(-3.2)), QStringLiteral("-3 pt"));
    EXPECT_EQ(SizePreviewLabel::text(std::nullopt), QStringLiteral("+0 pt"));
    EXPECT_EQ(SizePreviewLabel::symbol(std::nullopt), QStringLiteral("arrow.left.and.right"));
    EXPECT_EQ(SizePreviewLabel::symbol(A::height(2)), QStringLiteral("arrow.up.and.down"));
    EXPECT_EQ(SizePreviewLabel::symbol(A::width(2)), QStringLiteral("arrow.left.and.right"));
    // Values a slider never gives are still converted safely.
    EXPECT_EQ(SizePreviewLabel::text(A::width(std::numeric_limits<double>::quiet_NaN())), QStringLiteral("+0 pt"));
    EXPECT_EQ(SizePreviewLabel::text(A::width(-std::numeric_limits<double>::infinity())), QStringLiteral("+0 pt"));
    EXPECT_EQ(SizePreviewLabel::wholePoints(1e300), 9223372036854774784LL);
    EXPECT_EQ(SizePreviewLabel::wholePoints(-1e300), std::numeric_limits<long long>::min());
}

TEST_F(IslandViews, TheSizeLabelHangsSixPointsUnderTheIslandCentred)
{
    show();
    model->setAdjustingSize(true, true);
    defaults().set(settings::notchWidthAdjustment, 4.7);
    settle(0.5);
    ASSERT_TRUE(model->sizeAdjustmentPreview.get());
    std::optional<QRectF> label;
    for (const DrawnItem &i : visible(DrawnItem::Kind::text))
        if (i.text == QStringLiteral("+4 pt"))
            label = i.rect;
    ASSERT_TRUE(label);
    // The capsule around the text: find its red pixels in the render.
    const QImage image = tree.render(1);
    const QColor red = NotchViewMetrics::sizePreviewTint.toQColor();
    int top = -1, bottom = -1, left = -1, right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            // Below the island only (the island itself is tinted red too).
            if (y > model->size().height + 1 && c.alpha() == 255 && std::abs(c.red() - red.red()) < 3
                && std::abs(c.green() - red.green()) < 3) {
                top = top < 0 ? y : top;
                bottom = y;
                left = left < 0 ? x : std::min(left, x);
                right = std::max(right, x);
            }
        }
    ASSERT_GE(top, 0);
    EXPECT_NEAR(top, model->size().height + 6, 1);
    EXPECT_NEAR(bottom - top + 1, 24, 1);
    EXPECT_NEAR((left + right + 1) / 2.0, NotchView::panelWidth / 2, 1);
    EXPECT_FALSE(tree.hitsSomething(QPointF(NotchView::panelWidth / 2, top + 12))) << "the label takes no pointer";
}

TEST_F(IslandViews, MidWayTheDropIsSolidBlackAndJoinedToTheCapsule)
{
    const Size island{200, 34}, bubble{80, 34};
    for (double p : {0.3, 0.5, 0.7}) {
        Tree bubbleTree{QSizeF(400, 100)};
        bubbleTree.setRoot(view(LiquidBubble{model.get(), p, island, bubble, 6, Peek::battery(55, false), {}})
                               .padding(Edges{20, 20, 0, 0})
                               .frame(400, 100, Alignment::topLeading()));
        // At the panel's scale of 2 (the blur is computed at a reduced resolution there).
        const QImage image = bubbleTree.render(2);
        const auto s = LiquidBubble::shape(p, island, bubble, 6);
        const QPoint centre(int(2 * (20 + s.dropX + s.dropWidth / 2)), int(2 * (20 + s.dropY + s.dropHeight / 2)));
        EXPECT_EQ(qAlpha(image.pixel(centre)), 255) << "p = " << p;
        EXPECT_EQ(QColor(image.pixel(centre)).black(), 255) << "p = " << p;
    }
}

TEST_F(IslandViews, TheFirstBubbleLeavesTheCapsuleSolidBlackNotFadingIn)
{
    // The first peek turns the bubble from nothing into drop and readout while its progress springs
    // from 0 to 1, as the island animates it. Throughout, whatever of the drop shows is solid.
    const Size island{200, 34}, bubble{80, 34};
    Tree bubbleTree{QSizeF(400, 100)};
    auto describe = [&](std::optional<Peek> peek) {
        const bool has = peek.has_value();
        bubbleTree.setRoot(view(LiquidBubble{model.get(), has ? 1.0 : 0.0, island, bubble, 6, peek, {}})
                               .animation(Motion::open, has)
                               .frame(400, 100, Alignment::topLeading()));
    };
    describe(std::nullopt);
    time.advance(0.5);
    describe(Peek::battery(55, false));
    int seen = 0;
    for (int step = 0; step < 8; ++step) {
        time.advance(0.04);
        const QImage image = bubbleTree.render(2);
        // Right of the capsule's end, along its middle: the drop alone.
        int most = 0;
        for (int x = 2 * (island.width + 2); x < image.width(); ++x)
            most = std::max(most, qAlpha(image.pixel(x, int(island.height))));
        if (most == 0)
            continue;
        ++seen;
        EXPECT_EQ(most, 255) << "at " << 0.04 * (step + 1) << " s the drop is see-through";
    }
    EXPECT_GE(seen, 3) << "the drop left the capsule while it moved";
}
