#include "Onboarding/TourTestSupport.h"

#include "App/SettingsHost.h"
#include "Model/Defaults.h"
#include "Onboarding/Steps.h"

using namespace vesk;
using namespace kit;
using Page = OnboardingIslandView::Page;

namespace {

class TourFrame : public test::TourTest {
protected:
    // The footer's buttons: the controls in the 28-point row above the bottom padding.
    QStringList buttons() const
    {
        const double footerTop = tree.root()->targetFrame().bottom() - 16 - 28;
        QStringList out;
        for (const DrawnItem &i : visible(DrawnItem::Kind::control))
            if (i.rect.top() >= footerTop - 0.01)
                out << i.text;
        return out;
    }
    // The dots' widths, left to right (the only capsules 5 high in the footer).
    std::vector<double> dotWidths() const
    {
        std::vector<double> widths;
        std::function<void(const Node &)> walk = [&](const Node &n) {
            if (n.spec().kind() == std::string_view("Shape") && std::abs(n.targetFrame().height() - 5) < 0.01)
                widths.push_back(n.targetFrame().width());
            for (const auto &c : n.children())
                if (!c->isLeaving())
                    walk(*c);
        };
        walk(*tree.root());
        return widths;
    }
    bool showsText(const QString &text) const { return names(DrawnItem::Kind::text).contains(text); }
};

}  // namespace

TEST_F(TourFrame, EachPageHasItsFooter)
{
    show(0);
    EXPECT_EQ(buttons(), (QStringList{"Skip tour", "Show me"}));
    EXPECT_TRUE(dotWidths().empty()) << "no dots on the welcome page";
    for (int raw = 1; raw <= 6; ++raw) {
        model->setOnboardingPage(raw);
        settle();
        EXPECT_EQ(buttons().first(), QStringLiteral("Back")) << raw;
        EXPECT_EQ(buttons().last(), QStringLiteral("Next")) << raw;
        std::vector<double> expected(6, 5.0);
        expected[size_t(raw - 1)] = 14;
        EXPECT_EQ(dotWidths(), expected) << "page " << raw;
    }
    model->setOnboardingPage(7);
    settle();
    EXPECT_EQ(buttons(), (QStringList{"Start Vesk"}));
    // The start button sits at the right; the left holds only the empty placeholder.
    EXPECT_GT(control(QStringLiteral("Start Vesk"))->rect.left(), 380);
}

TEST_F(TourFrame, BackAndNextMoveOneStepWithoutWrapping)
{
    show(0);
    ASSERT_TRUE(click(QStringLiteral("Show me")));
    EXPECT_EQ(model->onboardingPage().peek(), 1);
    settle();
    ASSERT_TRUE(click(QStringLiteral("Back")));
    EXPECT_EQ(model->onboardingPage().peek(), 0);
    settle();
    EXPECT_EQ(buttons(), (QStringList{"Skip tour", "Show me"}));
    for (int expected = 1; expected <= 7; ++expected) {
        ASSERT_TRUE(click(expected == 1 ? QStringLiteral("Show me") : QStringLiteral("Next")));
        EXPECT_EQ(model->onboardingPage().peek(), expected);
        settle();
    }
    EXPECT_FALSE(control(QStringLiteral("Next"))) << "no Next on the last page";
    bool finished = false;
    model->onOnboardingFinished = [&] { finished = true; };
    ASSERT_TRUE(click(QStringLiteral("Start Vesk")));
    EXPECT_FALSE(model->onboardingPage().peek());
    EXPECT_TRUE(finished);
}

TEST_F(TourFrame, SkipTourFinishesFromTheWelcomePage)
{
    show(0);
    int finished = 0;
    model->onOnboardingFinished = [&] { ++finished; };
    ASSERT_TRUE(click(QStringLiteral("Skip tour")));
    EXPECT_FALSE(model->onboardingPage().peek());
    EXPECT_EQ(finished, 1);
}

TEST_F(TourFrame, AnAbsentOrUnknownPageShowsWelcome)
{
    EXPECT_EQ(OnboardingIslandView::currentPage(std::nullopt), Page::welcome);
    EXPECT_EQ(OnboardingIslandView::currentPage(9), Page::welcome);
    EXPECT_EQ(OnboardingIslandView::currentPage(-1), Page::welcome);
    EXPECT_EQ(OnboardingIslandView::currentPage(5), Page::access);
    EXPECT_FALSE(OnboardingIslandView::pageFromRaw(8));

    show(3);
    model->finishOnboarding();  // the view stays on screen while it fades out
    settle();
    EXPECT_TRUE(showsText(QStringLiteral("Hi, I'm Vesk!")));
    EXPECT_EQ(buttons(), (QStringList{"Skip tour", "Show me"}));

    // The model keeps a stored page within the tour: 9 opens the last page.
    model->startOnboarding(9);
    settle();
    EXPECT_EQ(model->onboardingPage().peek(), 7);
    EXPECT_EQ(buttons(), (QStringList{"Start Vesk"}));
}

TEST_F(TourFrame, AllPagesAreBuiltOnceAndOnlyTheCurrentOneShowsAndTakesHits)
{
    show(3);
    std::vector<const Node *> before;
    for (int raw = 0; raw < 8; ++raw) {
        before.push_back(tree.find(raw));
        ASSERT_TRUE(before.back()) << raw;
    }
    model->setOnboardingPage(4);
    time.advance(0.1);  // mid-change: both fade, the old one shrinking
    const double outgoing = tree.find(3)->firstLiveChild()->value(Prop::opacity, 1);
    EXPECT_GT(outgoing, 0.01);
    EXPECT_LT(outgoing, 0.99);
    settle();
    for (int raw = 0; raw < 8; ++raw)
        EXPECT_EQ(tree.find(raw), before[size_t(raw)]) << "page " << raw << " kept";
    // Only the activities page draws its texts.
    EXPECT_TRUE(showsText(QStringLiteral("Live Activities.")));
    EXPECT_FALSE(showsText(QStringLiteral("Your music, one click away.")));
    EXPECT_TRUE(row(QStringLiteral("Timer and stopwatch")));
    EXPECT_FALSE(row(QStringLiteral("Show beside the notch"))) << "the music page's rows are hidden";
}

TEST_F(TourFrame, TheTourFillsTheIslandWithTheNotchOrPillPadding)
{
    show(0);
    const double notch = model->notchSize().height;
    EXPECT_EQ(model->size().height, notch + 236);
    EXPECT_EQ(model->size().width, 460);
    EXPECT_EQ(tree.root()->targetFrame().size(), QSizeF(460, notch + 236));
    // The page area starts below the notch: its layer's top is the top padding.
    auto pageTop = [&] { return mapFromTree(*tree.find(0), QPointF(0, 0)).y() * -1 - tree.root()->targetFrame().top(); };
    EXPECT_NEAR(pageTop(), notch + 8, 0.01);

    model->updateNotch(plug(laptop()), IslandStyle::pill, false);
    settle();
    EXPECT_EQ(model->size().height, 252);
    EXPECT_EQ(tree.root()->targetFrame().height(), 252);
    EXPECT_NEAR(pageTop(), 24, 0.01);
}

TEST(TourStart, DebugOnboardingParsesAnOptionalSignAndDigitsElseZero)
{
    auto page = [](const char *value) {
        QProcessEnvironment env;
        if (value)
            env.insert(QStringLiteral("VESK_DEBUG_ONBOARDING"), QString::fromLatin1(value));
        return SettingsHost::onboardingStartPage(env);
    };
    EXPECT_EQ(page("3"), 3);
    EXPECT_EQ(page("+3"), 3);
    EXPECT_EQ(page("-2"), -2);
    EXPECT_EQ(page("x"), 0);
    EXPECT_EQ(page(""), 0);
    EXPECT_EQ(page(nullptr), 0);
    EXPECT_EQ(page(" 3"), 0) << "the whole string";
    EXPECT_EQ(page("3x"), 0);
    EXPECT_EQ(page("99999999999999"), 0) << "beyond an int";
}

TEST_F(TourFrame, NoPageCutsItsTexts)
{
    show(0);
    // Every page, with the permission rows showing their buttons, then their badges.
    for (bool granted : {false, true}) {
        calendarStore.setStatus(granted ? CalendarAccess::fullAccess : CalendarAccess::notDetermined);
        defaults().set(settings::replaceSystemHUD, granted);
        for (int raw = 0; raw < 8; ++raw) {
            model->setOnboardingPage(raw);
            settle();
            for (const QString &text : names(DrawnItem::Kind::text)) {
                // The features page cuts a detail too long for its card on purpose.
                if (raw == int(Page::features) && text.startsWith(QLatin1String("Your month")))
                    continue;
                EXPECT_FALSE(text.endsWith(QChar(0x2026))) << "page " << raw << ": " << text.toStdString();
            }
        }
    }
}

namespace {

// The union of the frames of what `node` draws (its leaves with a size, cut by the clips on the
// way), in tree points.
QRectF drawnFrame(const Node &node)
{
    QRectF all;
    if (!node.isLeaving() && node.children().empty() && !node.frame().isEmpty())
        all = node.frameInTree();
    for (const auto &c : node.children())
        if (!c->isLeaving())
            all = all.united(drawnFrame(*c));
    if (node.spec().kind() == std::string_view("Clip"))
        all &= node.frameInTree();
    return all;
}

}  // namespace

// Every page lays out inside the 172-point page area above the footer, whatever another page
// asks for, and the greeting and the close centre their columns in it, in both styles.
TEST_F(TourFrame, EveryPageLaysOutInsideItsAreaAndTheColumnsCentreInIt)
{
    show(0);
    for (const IslandStyle style : {IslandStyle::notch, IslandStyle::pill}) {
        model->updateNotch(plug(laptop()), style, false);
        settle();
        const double top = tree.root()->targetFrame().top()
                           + (style == IslandStyle::pill ? 24 : model->notchSize().height + 8);
        const double bottom = top + 172;
        for (bool granted : {false, true}) {
            calendarStore.setStatus(granted ? CalendarAccess::fullAccess : CalendarAccess::notDetermined);
            defaults().set(settings::replaceSystemHUD, granted);
            for (int raw = 0; raw < 8; ++raw) {
                SCOPED_TRACE(testing::Message() << "style " << int(style) << " page " << raw << " granted " << granted);
                model->setOnboardingPage(raw);
                settle();
                const QRectF drawn = drawnFrame(*tree.find(raw));
                EXPECT_GE(drawn.top(), top - 0.01);
                EXPECT_LE(drawn.bottom(), bottom + 0.01);
                if (raw == int(Page::welcome) || raw == int(Page::done)) {
                    EXPECT_NEAR(drawn.center().y(), (top + bottom) / 2, 0.01);
                }
            }
        }
    }
}

// The header mascot's blue glow spreads past the page area's top and right edges, as far as it
// reaches inside the tour, instead of stopping at a straight cut along them.
TEST_F(TourFrame, TheMascotsGlowIsDrawnWhole)
{
    for (const IslandStyle style : {IslandStyle::notch, IslandStyle::pill}) {
        model->updateNotch(plug(laptop()), style, false);
        show(int(Page::music));
        for (const double scale : {1.0, 2.0}) {
            SCOPED_TRACE(testing::Message() << "style " << int(style) << " scale " << scale);
            const QImage image = tree.render(scale);
            std::vector<const Node *> mascots;
            std::function<void(const Node &)> find = [&](const Node &n) {
                if (n.spec().kind() == std::string_view("Mascot"))
                    mascots.push_back(&n);
                for (const auto &c : n.children())
                    find(*c);
            };
            find(*tree.find(int(Page::music)));
            ASSERT_EQ(mascots.size(), 1u);
            const QRectF icon = mascots[0]->frameInTree();
            // The icon's top and right edges lie on the area's: the glow shows just past them
            // and fades farther out.
            auto blue = [&](double x, double y) { return qBlue(image.pixel(int(x * scale), int(y * scale))); };
            const double midX = icon.center().x(), midY = icon.center().y();
            EXPECT_GT(blue(midX, icon.top() - 1.5 / scale), 20) << "just above the top edge";
            EXPECT_GT(blue(midX, icon.top() - 6), 5) << "and farther up";
            EXPECT_GT(blue(icon.right() + 1.5 / scale, midY), 20) << "just beyond the right edge";
            EXPECT_GT(blue(icon.right() + 6, midY), 5) << "and farther out";
        }
    }
}
