// The panes that ask for access: the HUDs pane's replacement switch and waiting row over the
// simulated accessibility trust, the Live Activities pane's Focus request and footnote, and the
// calendar rows of both calendar panes before and after the service refreshes, and the calendar
// pane's preview strip dimmed while the page is off.
#include "Model/Defaults.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimAccessibilityTrust.h"
#include "Platform/sim/SimCalendarStore.h"
#include "Platform/sim/SimFocusStatus.h"
#include "Base/MainQueue.h"
#include "Base/VirtualTime.h"
#include "Readouts/CalendarService.h"
#include "Settings/PaneKit/KitWidget.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/Panes/CalendarPane.h"
#include "Settings/Panes/HUDsPane.h"

#include <QCheckBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>

using namespace vesk;
using Kind = PaneForm::Kind;
using State = SimAccessPermission::State;

namespace {

class AccessPanesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        Defaults::registerTable(UserDefaults::standard(), QProcessEnvironment());
        setAccessibilityTrust(&trust);
        setFocusStatus(&focus);
    }
    void TearDown() override
    {
        setAccessibilityTrust(nullptr);
        setFocusStatus(nullptr);
    }
    static bool shows(const PaneScaffold &pane, const std::string &line)
    {
        const auto lines = pane.form().describe();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    static bool showsPrefix(const PaneScaffold &pane, const std::string &prefix)
    {
        const auto lines = pane.form().describe();
        return std::any_of(lines.begin(), lines.end(), [&](const std::string &l) { return l.rfind(prefix, 0) == 0; });
    }
    static void click(PaneScaffold &pane, const char *label)
    {
        auto *row = pane.form().find(Kind::switcher, QString::fromUtf8(label));
        ASSERT_TRUE(row) << label;
        row->checkBox->click();
    }
    void set(const Setting<bool> &setting, bool on) { UserDefaults::standard().set(setting, on); }
    bool stored(const Setting<bool> &setting) { return UserDefaults::standard().value(setting); }

    VirtualTime time;
    SimAccessibilityTrust trust;
    SimFocusStatus focus;
    SimCalendarStore store;
};

const std::string replaceLine = "switch \"Replace the system volume and brightness HUD\"";
const std::string waitingRow = "button \"Waiting for Accessibility permission\"";

TEST_F(AccessPanesTest, ReplacementSwitchShowsTheKeyOnlyWhileAReadoutIsOnAndNeverWritesByShowing)
{
    set(settings::replaceSystemHUD, true);
    set(settings::showVolumeHUD, false);
    set(settings::showBrightnessHUD, false);
    HUDsPane pane;
    EXPECT_TRUE(shows(pane, replaceLine + " off disabled"));
    click(pane, "Replace the system volume and brightness HUD");  // disabled: ignored
    EXPECT_TRUE(stored(settings::replaceSystemHUD));
    EXPECT_EQ(UserDefaults::standard().storedValue(settings::replaceSystemHUD.key), nlohmann::json(true));

    set(settings::showBrightnessHUD, true);
    EXPECT_TRUE(shows(pane, replaceLine + " on"));
    click(pane, "Replace the system volume and brightness HUD");
    EXPECT_FALSE(stored(settings::replaceSystemHUD));
}

TEST_F(AccessPanesTest, TrustedReplacementAsksNothingAndShowsNoWaitingRow)
{
    HUDsPane pane;
    pane.show();
    click(pane, "Replace the system volume and brightness HUD");
    time.flush();
    EXPECT_TRUE(stored(settings::replaceSystemHUD));
    EXPECT_EQ(trust.permission.requestCount(), 0);
    EXPECT_FALSE(showsPrefix(pane, waitingRow));
}

TEST_F(AccessPanesTest, UntrustedReplacementPromptsOnceAndTheRowGoesAtTheFirstPollAfterTheGrant)
{
    trust.permission.setState(State::denied);
    HUDsPane pane;
    pane.show();
    EXPECT_TRUE(pane.isPolling());
    click(pane, "Replace the system volume and brightness HUD");
    EXPECT_EQ(trust.permission.requestCount(), 1);
    EXPECT_TRUE(shows(pane, waitingRow + " \"Open System Settings\u2026\""));
    // A change of another key is no new change of the replacement to on.
    set(settings::showChargingPeek, false);
    EXPECT_EQ(trust.permission.requestCount(), 1);

    pane.form().findPressable(QStringLiteral("Waiting for Accessibility permission"))->button->click();
    EXPECT_EQ(trust.openedAnchor, std::optional<std::string>("Privacy_Accessibility"));

    time.advance(1.4);
    trust.permission.setState(State::granted);  // the user allows it in the desktop's settings
    EXPECT_TRUE(showsPrefix(pane, waitingRow)) << "seen only at the next poll";
    time.advance(0.1);
    EXPECT_TRUE(pane.isTrusted());
    EXPECT_FALSE(showsPrefix(pane, waitingRow));

    // Off and on again while trusted: no prompt.
    click(pane, "Replace the system volume and brightness HUD");
    click(pane, "Replace the system volume and brightness HUD");
    EXPECT_EQ(trust.permission.requestCount(), 1);
}

TEST_F(AccessPanesTest, AStoredReplacementIsNoChangeAndAPaneOpenedAfterTheGrantNeverWaits)
{
    trust.permission.setState(State::denied);
    set(settings::replaceSystemHUD, true);
    {
        HUDsPane pane;
        pane.show();
        EXPECT_EQ(trust.permission.requestCount(), 0) << "the first display asks nothing";
        EXPECT_TRUE(showsPrefix(pane, waitingRow));
        set(settings::replaceSystemHUD, false);
        EXPECT_EQ(trust.permission.requestCount(), 0) << "turning it off asks nothing";
        EXPECT_FALSE(showsPrefix(pane, waitingRow));
    }
    trust.permission.setState(State::granted);
    set(settings::replaceSystemHUD, true);
    HUDsPane later;
    EXPECT_FALSE(showsPrefix(later, waitingRow));
}

TEST_F(AccessPanesTest, TheTrustPollRunsOnlyWhileThePaneShowsAndStopsWithIt)
{
    trust.permission.setState(State::denied);
    auto pane = std::make_unique<HUDsPane>();
    EXPECT_FALSE(pane->isPolling()) << "not on screen yet";
    pane->show();
    EXPECT_TRUE(pane->isPolling());
    pane->hide();
    EXPECT_FALSE(pane->isPolling());
    pane->show();
    time.flush();
    const size_t pending = mainQueue().pendingCount();
    pane.reset();
    EXPECT_EQ(mainQueue().pendingCount(), pending - 1) << "the pane's poll goes with it";
    time.advance(10);
}

const std::string focusFootnote = "footnote \"Focus needs a desktop that shares its do-not-disturb state; this one "
                                  "does not, so this readout will stay off.\"";

TEST_F(AccessPanesTest, FocusAsksOnlyWhenTurnedOnLaterAndTheAnswerSetsTheFootnote)
{
    focus.permission.setState(State::denied);
    CalendarService calendar(store);
    ActivitiesPane pane(&calendar);
    EXPECT_FALSE(pane.hasFocusAccess());
    EXPECT_FALSE(shows(pane, focusFootnote)) << "the readout is off";

    click(pane, "Focus turning on or off");
    EXPECT_EQ(focus.permission.requestCount(), 1);
    time.flush();
    EXPECT_TRUE(shows(pane, focusFootnote));
    EXPECT_TRUE(stored(settings::showFocusActivity)) << "a refusal leaves the switch on";

    click(pane, "Focus turning on or off");
    EXPECT_EQ(focus.permission.requestCount(), 1) << "turning it off asks nothing";
    EXPECT_FALSE(shows(pane, focusFootnote));

    focus.permission.setState(State::granted);
    click(pane, "Focus turning on or off");
    EXPECT_FALSE(pane.hasFocusAccess()) << "the answer comes on the main queue";
    time.flush();
    EXPECT_EQ(focus.permission.requestCount(), 2);
    EXPECT_TRUE(pane.hasFocusAccess());
    EXPECT_FALSE(shows(pane, focusFootnote));
}

TEST_F(AccessPanesTest, AFocusAnswerAfterThePaneIsGoneDoesNothing)
{
    CalendarService calendar(store);
    auto pane = std::make_unique<ActivitiesPane>(&calendar);
    click(*pane, "Focus turning on or off");
    EXPECT_EQ(focus.permission.requestCount(), 1);
    pane.reset();
    time.flush();  // the completion runs and must find the pane gone (sanitiser builds see a stray write)
    EXPECT_EQ(mainQueue().pendingCount(), 0u);
}

TEST_F(AccessPanesTest, CalendarRowsFollowTheServiceAfterItRefreshes)
{
    store.setStatus(CalendarAccess::notDetermined);
    CalendarService calendar(store);
    calendar.refresh();
    CalendarPane pane(&calendar);
    const std::string footnote = "footnote \"Without access the page shows the month but no events.\"";
    EXPECT_TRUE(shows(pane, "button \"Calendar access\" \"Allow\u2026\""));
    EXPECT_TRUE(shows(pane, footnote));
    EXPECT_FALSE(showsPrefix(pane, "label \"Calendar access\""));

    pane.form().findPressable(QStringLiteral("Calendar access"))->button->click();
    EXPECT_EQ(store.requestCount(), 1);
    EXPECT_TRUE(shows(pane, footnote)) << "nothing changes before the answer";
    time.flush();
    EXPECT_TRUE(shows(pane, "label \"Calendar access\" \"Allowed\""));
    EXPECT_FALSE(showsPrefix(pane, "button \"Calendar access\""));
    EXPECT_FALSE(shows(pane, footnote));
}

TEST_F(AccessPanesTest, TheCalendarPaneReadsTheCalendarEachTimeItComesOnScreen)
{
    CalendarService calendar(store);
    store.setStatus(CalendarAccess::denied);
    calendar.refresh();
    store.setStatus(CalendarAccess::fullAccess);  // granted elsewhere, with no change reported
    CalendarPane pane(&calendar);
    EXPECT_TRUE(showsPrefix(pane, "button \"Calendar access\""));
    pane.show();
    EXPECT_TRUE(shows(pane, "label \"Calendar access\" \"Allowed\""));
    store.setStatus(CalendarAccess::denied);
    pane.hide();
    pane.show();
    EXPECT_TRUE(showsPrefix(pane, "button \"Calendar access\""));
}

TEST_F(AccessPanesTest, ContentSwitchesKeepTheirValuesButAreDisabledWithTheCalendarPageOff)
{
    CalendarService calendar(store);
    set(settings::showEventDots, false);
    set(settings::showCalendar, false);
    CalendarPane pane(&calendar);
    EXPECT_TRUE(shows(pane, "switch \"Today's events\" on disabled"));
    EXPECT_TRUE(shows(pane, "switch \"Event dots in the month\" off disabled"));
    click(pane, "Dim weekends");
    EXPECT_TRUE(stored(settings::dimWeekends));
    set(settings::showCalendar, true);
    EXPECT_TRUE(shows(pane, "switch \"Event dots in the month\" off"));
}

TEST_F(AccessPanesTest, WithTheCalendarPageOffThePreviewStripAndItsBorderFadeAsOnePicture)
{
    CalendarService calendar(store);
    set(settings::showCalendar, false);
    CalendarPane pane(&calendar);
    kit::Tree &tree = pane.strip()->tree();
    tree.setSize(QSizeF(600, CalendarPane::previewHeight + 16));
    tree.update();
    // The island hangs from the strip's top edge in the middle: the strip's border (the point from
    // 16 down) crosses the island's black fill there.
    QImage image = tree.render(2);
    const int fill = qAlpha(image.pixel(600, 2 * 19));
    EXPECT_NEAR(fill, 0.35 * 255, 2);
    EXPECT_NEAR(qAlpha(image.pixel(600, 2 * 16)), fill, 1);
    EXPECT_NEAR(qAlpha(image.pixel(600, 2 * 16 + 1)), fill, 1);
    set(settings::showCalendar, true);
    tree.update();
    image = tree.render(2);
    EXPECT_EQ(qAlpha(image.pixel(600, 2 * 19)), 255);
    EXPECT_EQ(qAlpha(image.pixel(600, 2 * 16)), 255);
}

TEST_F(AccessPanesTest, NeedsCalendarAccessOnlyWithTheEventActivityOnAndNoAccess)
{
    store.setStatus(CalendarAccess::denied);
    CalendarService calendar(store);
    calendar.refresh();
    ActivitiesPane pane(&calendar);
    const std::string row = "button \"Needs calendar access\" \"Allow\u2026\"";
    EXPECT_TRUE(shows(pane, row));
    set(settings::showEventActivity, false);
    EXPECT_FALSE(showsPrefix(pane, "button \"Needs calendar access\""));
    EXPECT_TRUE(shows(pane, "slider \"Start showing\" \"10 min\" reset=hidden disabled"));
    set(settings::showEventActivity, true);
    store.setStatus(CalendarAccess::fullAccess);
    calendar.refresh();
    EXPECT_FALSE(showsPrefix(pane, "button \"Needs calendar access\""));
}

TEST_F(AccessPanesTest, LeadSliderMovesInFiveMinuteSteps)
{
    CalendarService calendar(store);
    ActivitiesPane pane(&calendar);
    SliderRow *lead = pane.form().find(Kind::slider, QStringLiteral("Start showing"))->slider;
    EXPECT_EQ(lead->tickCount(), 11);
    lead->dragTo(23, false);
    EXPECT_EQ(UserDefaults::standard().value(settings::eventLeadMinutes), 25);
    EXPECT_EQ(lead->valueText(), "25 min");
    lead->dragTo(100, false);
    EXPECT_EQ(UserDefaults::standard().value(settings::eventLeadMinutes), 60);
}

}  // namespace
