#include "Settings/SettingsView.h"

#include "Platform/UserDefaults.h"
#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::SettingsView;

namespace {

class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override { UserDefaults::setStandard(std::make_unique<UserDefaults>()); }
    VirtualTime time;
};

std::vector<Pane> panes(std::initializer_list<Pane> list) { return list; }

TEST_F(SelectionTest, FirstPaneComesFromTheDebugVariableThenTheStoredPaneThenGeneral)
{
    EXPECT_EQ(Selection(std::nullopt).pane().peek(), Pane::general);
    UserDefaults::standard().set(SettingsView::lastPaneSetting, "Lock Screen");
    EXPECT_EQ(Selection(std::nullopt).pane().peek(), Pane::lockScreen);
    // The case name and the title both match, the variable wins whatever is stored, and a variable
    // that matches nothing does not fall back to the stored pane.
    EXPECT_EQ(Selection(QStringLiteral("huds")).pane().peek(), Pane::huds);
    EXPECT_EQ(Selection(QStringLiteral("Now Playing")).pane().peek(), Pane::nowPlaying);
    EXPECT_EQ(Selection(QStringLiteral("")).pane().peek(), Pane::general);
    EXPECT_EQ(Selection(QStringLiteral("lock screen")).pane().peek(), Pane::general);
    UserDefaults::standard().set(SettingsView::lastPaneSetting, "Nowhere");
    EXPECT_EQ(Selection(std::nullopt).pane().peek(), Pane::general);
    UserDefaults::standard().set(SettingsView::lastPaneSetting.key, 3);
    EXPECT_EQ(Selection(std::nullopt).pane().peek(), Pane::general);
}

TEST_F(SelectionTest, CreatingWritesNothingAndCallsNobody)
{
    UserDefaults::standard().set(SettingsView::lastPaneSetting, "notch");
    Selection s(std::nullopt);
    EXPECT_EQ(UserDefaults::standard().value(lastPaneSetting), "notch");
    EXPECT_TRUE(s.back().peek().empty());
    EXPECT_TRUE(s.forward().peek().empty());
}

TEST_F(SelectionTest, HistoryGoesBackAndForwardLikeABrowser)
{
    Selection s(std::nullopt);
    std::vector<Pane> told;
    s.onChange = [&](Pane p) { told.push_back(p); };
    s.go(Pane::notch);
    s.go(Pane::huds);
    s.goBack();
    EXPECT_EQ(s.pane().peek(), Pane::notch);
    EXPECT_EQ(s.back().peek(), panes({Pane::general}));
    EXPECT_EQ(s.forward().peek(), panes({Pane::huds}));
    EXPECT_EQ(UserDefaults::standard().value(lastPaneSetting), "Notch");
    // Going to the pane shown changes nothing; a new pane empties the forward stack.
    s.go(Pane::notch);
    EXPECT_EQ(s.forward().peek(), panes({Pane::huds}));
    s.go(Pane::about);
    EXPECT_TRUE(s.forward().peek().empty());
    EXPECT_EQ(s.back().peek(), panes({Pane::general, Pane::notch}));
    s.goForward();  // nothing to go forward to
    EXPECT_EQ(s.pane().peek(), Pane::about);
    s.goBack();
    s.goBack();
    s.goBack();  // past the oldest: nothing
    EXPECT_EQ(s.pane().peek(), Pane::general);
    EXPECT_EQ(s.forward().peek(), panes({Pane::about, Pane::notch}));
    EXPECT_EQ(told, panes({Pane::notch, Pane::huds, Pane::notch, Pane::about, Pane::notch, Pane::general}));
}

TEST_F(SelectionTest, SidebarPicksCountOnlyStrictlyAfterHalfASecond)
{
    Selection s(std::nullopt);
    s.pickFromSidebar(Pane::notch);
    time.advance(0.5);
    s.pickFromSidebar(Pane::notch);
    EXPECT_EQ(s.pane().peek(), Pane::general);
    time.advance(0.001);
    s.pickFromSidebar(Pane::notch);
    EXPECT_EQ(s.pane().peek(), Pane::notch);
}

TEST(PaneFilterTest, TrimsBlanksAndMatchesTitlesOnlyInAnyCase)
{
    EXPECT_EQ(filtered(QStringLiteral("  cal\t")), panes({Pane::calendar}));
    EXPECT_EQ(filtered(QStringLiteral("now")), panes({Pane::nowPlaying}));
    EXPECT_EQ(filtered(QStringLiteral("")).size(), 9u);
    EXPECT_EQ(filtered(QStringLiteral(" \t ")).size(), 9u);
    EXPECT_TRUE(filtered(QStringLiteral("zebra")).empty());
    // Case names are not searched; a line break is not trimmed.
    EXPECT_TRUE(filtered(QStringLiteral("huds\n")).empty());
    EXPECT_TRUE(filtered(QStringLiteral("lockScreen")).empty());
    EXPECT_EQ(filtered(QStringLiteral("E")).front(), Pane::general);
}

TEST(PaneTableTest, RawValuesAreExactlyTheNineTitles)
{
    for (Pane p : allPanes)
        EXPECT_EQ(fromRawValue(title(p)), p);
    EXPECT_EQ(fromRawValue(QStringLiteral("nowPlaying")), std::nullopt);
    EXPECT_EQ(fromRawValue(QStringLiteral("general")), std::nullopt);
}

}  // namespace
