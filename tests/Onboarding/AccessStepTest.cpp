#include "Onboarding/TourTestSupport.h"

#include "Model/Defaults.h"
#include "Onboarding/AccessStep.h"

#include <cmath>

using namespace vesk;
using namespace kit;

namespace {

// Trust that counts the prompts it was asked to show.
class CountingTrust final : public AccessibilityTrust {
public:
    bool isTrusted() const override { return trusted; }
    void request(std::function<void(bool)> done) override
    {
        ++requests;
        mainQueue().post([done = std::move(done), t = trusted] { done(t); });
    }
    bool trusted = false;
    int requests = 0;
};

class AccessStepTest : public test::TourTest {
protected:
    AccessStepTest() { setAccessibilityTrust(&counting); }
    void showAccess() { show(5); }
    CountingTrust counting;
};

const QString calendarRow = QStringLiteral("Calendar");
const QString accessibilityRow = QStringLiteral("Accessibility");
const QString loginRow = QStringLiteral("Launch at login");

}  // namespace

TEST_F(AccessStepTest, RowsFollowEveryCalendarStatusTrustAndSetting)
{
    showAccess();
    const std::vector<std::pair<CalendarAccess, const char *>> statuses = {
        {CalendarAccess::fullAccess, "Granted"}, {CalendarAccess::notDetermined, "Allow"},
        {CalendarAccess::denied, "Open"},        {CalendarAccess::restricted, "Open"},
        {CalendarAccess::writeOnly, "Open"},
    };
    for (const auto &[status, shown] : statuses) {
        calendarStore.setStatus(status);
        settle(1.1);  // the next tick
        EXPECT_EQ(rowValue(calendarRow), QString::fromLatin1(shown)) << int(status);
    }
    for (bool trusted : {false, true}) {
        for (bool replaces : {false, true}) {
            counting.trusted = trusted;
            defaults().set(settings::replaceSystemHUD, replaces);
            settle(1.1);
            const char *expected = trusted && replaces ? "Granted" : replaces ? "Open" : "Allow";
            EXPECT_EQ(rowValue(accessibilityRow), QString::fromLatin1(expected)) << trusted << replaces;
        }
    }
    for (auto status : {LoginItem::Status::enabled, LoginItem::Status::disabled}) {
        login.setStatus(status);
        settle(1.1);
        EXPECT_EQ(rowValue(loginRow), QString::fromLatin1(status == LoginItem::Status::enabled ? "on" : "off"));
    }
}

TEST_F(AccessStepTest, TheAccessibilityButtonPromptsOnlyWhenTheLastTickFoundNoTrust)
{
    counting.trusted = true;
    showAccess();
    EXPECT_EQ(rowValue(accessibilityRow), QStringLiteral("Allow"));
    ASSERT_TRUE(clickRow(accessibilityRow));
    EXPECT_TRUE(defaults().value(settings::replaceSystemHUD));
    EXPECT_EQ(counting.requests, 0) << "already trusted: no prompt";
    time.flush();
    EXPECT_EQ(rowValue(accessibilityRow), QStringLiteral("Granted")) << "at once, not at the next tick";

    counting.trusted = false;
    settle(1.1);
    EXPECT_EQ(rowValue(accessibilityRow), QStringLiteral("Open"));
    ASSERT_TRUE(clickRow(accessibilityRow));
    EXPECT_EQ(counting.requests, 1);
    // Trust granted in the desktop's settings turns the row within a second.
    counting.trusted = true;
    settle(1.0);
    EXPECT_EQ(rowValue(accessibilityRow), QStringLiteral("Granted"));
}

TEST_F(AccessStepTest, AllowAsksTheCalendarAndTheRowTurnsAtTheNextTick)
{
    calendarStore.setStatus(CalendarAccess::notDetermined);
    showAccess();
    ASSERT_TRUE(clickRow(calendarRow));
    EXPECT_EQ(calendarStore.requestCount(), 1);
    settle(1.1);
    EXPECT_EQ(rowValue(calendarRow), QStringLiteral("Granted"));
    EXPECT_TRUE(model->calendar().isAuthorized().peek()) << "the service refreshed on the answer";

    calendarStore.setStatus(CalendarAccess::denied);
    settle(1.1);
    ASSERT_TRUE(clickRow(calendarRow));  // "Open": the privacy page, never a second request
    EXPECT_EQ(calendarStore.requestCount(), 1);
}

TEST_F(AccessStepTest, ARefusedLoginItemIsALogLineAndTheSwitchShowsTheRealState)
{
    std::vector<std::string> lines;
    setLogSink([&](std::string_view line) { lines.emplace_back(line); });
    showAccess();
    ASSERT_TRUE(clickRow(loginRow));
    EXPECT_EQ(login.status(), LoginItem::Status::enabled);
    settle(1.1);
    EXPECT_EQ(rowValue(loginRow), QStringLiteral("on"));
    EXPECT_TRUE(lines.empty());

    login.setFailing(true);
    ASSERT_TRUE(clickRow(loginRow));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Vesk: could not update login item: the login item cannot be changed (simulated)");
    settle(1.1);
    EXPECT_EQ(rowValue(loginRow), QStringLiteral("on"));
}

TEST_F(AccessStepTest, AHiddenAccessPageReadsNothingAndComingBackShowsFreshRows)
{
    showAccess();
    EXPECT_EQ(rowValue(accessibilityRow), QStringLiteral("Allow"));
    model->setOnboardingPage(6);
    settle();
    EXPECT_FALSE(row(accessibilityRow)) << "hidden with its page";
    // Nothing is scheduled for the hidden page within the hour.
    const int evaluations = tree.evaluationCount();
    time.advance(60);
    EXPECT_EQ(tree.evaluationCount(), evaluations);

    counting.trusted = true;
    defaults().set(settings::replaceSystemHUD, true);
    time.flush();
    // Come back a fifth of a second past a whole second, so no 1-second tick falls in what follows.
    const double fraction = std::fmod(time.wallNow(), 1.0);
    time.advance(fraction < 0.2 ? 0.2 - fraction : 1.2 - fraction);
    model->setOnboardingPage(5);
    time.advance(0.1);
    EXPECT_EQ(rowValue(accessibilityRow), QStringLiteral("Granted")) << "read again as the page returns";
}
