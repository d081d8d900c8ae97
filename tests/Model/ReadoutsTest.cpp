#include "IslandTestSupport.h"

using namespace vesk;
using vesk::test::IslandTest;

class ReadoutsTest : public IslandTest {};

TEST_F(ReadoutsTest, DurationIsReadFromTheSettingsOnEveryCall)
{
    auto model = settledPrimary();
    model->show(Peek::capsLock(true));
    time.advance(1.59);
    EXPECT_TRUE(model->peek.peek());
    time.advance(0.02);
    EXPECT_FALSE(model->peek.peek());
    EXPECT_EQ(model->lastPeek.peek(), Peek::capsLock(true));  // kept for the closing animation

    defaults().set(settings::hudDuration, 4.0);
    model->show(Peek::capsLock(false));
    time.advance(3.9);
    EXPECT_TRUE(model->peek.peek());
    time.advance(0.2);
    EXPECT_FALSE(model->peek.peek());
}

TEST_F(ReadoutsTest, NewReadoutReplacesTheShownOneAndRestartsItsTime)
{
    auto model = settledPrimary();
    model->show(Peek::battery(20, false), 3);
    time.advance(2);
    model->show(Peek::focus(true), 2.5);
    time.advance(1.5);  // the battery's end has passed and must not end the focus readout
    EXPECT_EQ(model->peek.peek(), Peek::focus(true));
    time.advance(1.1);
    EXPECT_FALSE(model->peek.peek());
}

TEST_F(ReadoutsTest, HapticsOnlyOnThePrimaryAndNeverForLevels)
{
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    primary->show(Peek::volume(0.5f, false));
    primary->show(Peek::volume(0.6f, false));
    primary->show(Peek::brightness(0.2f));
    EXPECT_TRUE(haptics.entries.empty());

    primary->show(Peek::battery(90, true), 3);
    primary->show(Peek::battery(90, true), 3);  // the same readout again: no new haptic
    primary->show(Peek::focus(true), 2.5);
    EXPECT_EQ(patternsOf(*primary), (std::vector{HapticPattern::generic, HapticPattern::generic}));
    EXPECT_TRUE(patternsOf(*mirror).empty());

    defaults().set(settings::hapticFeedback, false);
    primary->show(Peek::focus(false), 2.5);
    EXPECT_EQ(haptics.entries.size(), 2u);
}

TEST_F(ReadoutsTest, ReadoutsAreForwardedToMirrorsWithTheSameDuration)
{
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    time.advance(1);
    primary->show(Peek::downloadDone(), 2.5);
    EXPECT_EQ(mirror->peek.peek(), Peek::downloadDone());
    EXPECT_EQ(mirror->state(), NotchState::peek);
    time.advance(2.6);
    EXPECT_FALSE(mirror->peek.peek());

    // A readout that each island shows for itself is not forwarded.
    primary->show(Peek::volume(0.3f, false), std::nullopt, false);
    EXPECT_FALSE(mirror->peek.peek());
}

TEST_F(ReadoutsTest, OngoingActivityPriority)
{
    auto model = settledPrimary();
    addEvent(*model, "Standup", 120);
    auto extension = runExtension("ci", "Building");
    model->refreshOngoing();
    EXPECT_EQ(model->ongoing.peek()->kind(), Peek::Kind::event);  // event over a plain extension

    model->setDownloadFraction(std::optional<double>(0.25));
    model->refreshOngoing();
    EXPECT_EQ(model->ongoing.peek(), Peek::download(0.25));

    model->countdown().start();
    EXPECT_EQ(model->ongoing.peek(), Peek::timer());

    extension->show(ExtensionActivity{"ci", "flame", QColor(Qt::red), "Failed", true});
    model->refreshOngoing();
    EXPECT_EQ(model->ongoing.peek()->kind(), Peek::Kind::custom);

    ExtensionStore::shared().stop("ci");
    model->countdown().reset();
    model->setDownloadFraction(std::nullopt);
    defaults().set(settings::showEventActivity, false);
    model->refreshOngoing();
    EXPECT_FALSE(model->ongoing.peek());
    EXPECT_EQ(model->lastPeek.peek(), Peek::download(0.25));  // the last one handed over stays
}

TEST_F(ReadoutsTest, UndeterminedDownloadIsAnActivityWithoutLabel)
{
    auto model = settledPrimary();
    model->setDownloadFraction(std::optional<double>{});
    model->refreshOngoing();
    ASSERT_EQ(model->ongoing.peek(), Peek::download(std::nullopt));
    EXPECT_EQ(model->state(), NotchState::peek);
    EXPECT_FALSE(model->peekToDraw()->text());
}

TEST_F(ReadoutsTest, DownloadFractionIsKeptInRange)
{
    auto model = settledPrimary();
    model->setDownloadFraction(std::optional<double>(1.7));
    EXPECT_EQ(*model->downloadFraction().peek(), std::optional<double>(1.0));
    model->setDownloadFraction(std::optional<double>(-0.2));
    EXPECT_EQ(*model->downloadFraction().peek(), std::optional<double>(0.0));
    model->setDownloadFraction(std::optional<double>(std::nan("")));
    ASSERT_TRUE(model->downloadFraction().peek());
    EXPECT_EQ(*model->downloadFraction().peek(), std::nullopt);  // undetermined, not a number
    model->setDownloadFraction(std::optional<double>(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(*model->downloadFraction().peek(), std::nullopt);
}

TEST_F(ReadoutsTest, UpcomingEventWindow)
{
    auto model = settledPrimary();
    addEvent(*model, "Standup", 600);  // exactly the lead of 10 minutes
    model->refreshOngoing();
    ASSERT_TRUE(model->ongoing.peek());
    EXPECT_EQ(model->ongoing.peek()->as<Peek::Event>()->minutes, 10);

    time.advance(600 + 30);
    model->refreshOngoing();
    ASSERT_TRUE(model->ongoing.peek());
    EXPECT_EQ(model->ongoing.peek()->as<Peek::Event>()->minutes, 0);
    EXPECT_EQ(model->peekToDraw()->text(), QString::fromUtf8("Standup · now"));

    time.advance(30);
    model->refreshOngoing();
    EXPECT_FALSE(model->ongoing.peek());
}

TEST_F(ReadoutsTest, EventMinutesRoundUpAndAllDayEventsNeverCount)
{
    auto model = settledPrimary();
    addEvent(*model, "Holiday", 30, true);
    addEvent(*model, "Call", 90);
    addEvent(*model, "Too far", 601);
    model->refreshOngoing();
    ASSERT_TRUE(model->ongoing.peek());
    EXPECT_EQ(model->ongoing.peek()->as<Peek::Event>()->title, "Call");
    EXPECT_EQ(model->ongoing.peek()->as<Peek::Event>()->minutes, 2);
}

TEST_F(ReadoutsTest, LongTitlePreviewStartsOnlyWhenTheEventIsFirstChosen)
{
    auto model = settledPrimary();
    addEvent(*model, "Design review!", 300);  // 14 characters
    model->refreshOngoing();
    EXPECT_FALSE(model->isPreviewingEvent.peek());

    calendarStore.clear();
    addEvent(*model, "Design reviews!", 300);  // 15 characters
    model->refreshOngoing();
    EXPECT_TRUE(model->isPreviewingEvent.peek());
    time.advance(4.6);
    EXPECT_FALSE(model->isPreviewingEvent.peek());
    time.advance(60);
    model->refreshOngoing();  // the same event, a new minute count
    EXPECT_EQ(model->ongoing.peek()->as<Peek::Event>()->minutes, 4);
    EXPECT_FALSE(model->isPreviewingEvent.peek());
}

TEST_F(ReadoutsTest, DismissedActivityStaysDismissedWhileItUpdates)
{
    auto model = settledPrimary();
    model->countdown().start();
    model->isActivityDismissed = true;
    time.advance(5);
    model->refreshOngoing();
    EXPECT_TRUE(model->isActivityDismissed.peek());
    EXPECT_EQ(model->state(), NotchState::closed);

    model->countdown().reset();
    model->setDownloadFraction(std::optional<double>(0.1));
    model->refreshOngoing();
    EXPECT_FALSE(model->isActivityDismissed.peek());
    EXPECT_EQ(model->state(), NotchState::peek);
    EXPECT_EQ(model->ongoing.peek(), Peek::download(0.1));
}

TEST_F(ReadoutsTest, PillStyleRemembersTheBubblesActivity)
{
    auto model = settledPrimary();
    model->style = IslandStyle::pill;
    model->countdown().start();
    EXPECT_EQ(model->lastBubble.peek(), Peek::timer());
    model->countdown().reset();
    EXPECT_EQ(model->lastBubble.peek(), Peek::timer());  // not cleared with the activity
}

TEST_F(ReadoutsTest, RefreshReachesEveryMirror)
{
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    mirror->style = IslandStyle::pill;
    primary->setDownloadFraction(std::optional<double>(0.5));
    mirror->setDownloadFraction(std::optional<double>(0.5));
    primary->refreshOngoing();
    EXPECT_EQ(mirror->ongoing.peek(), Peek::download(0.5));
    EXPECT_EQ(mirror->lastBubble.peek(), Peek::download(0.5));
    EXPECT_FALSE(primary->lastBubble.peek());
}

TEST_F(ReadoutsTest, FinishedTimerPlaysASoundAndShowsDoneEverywhere)
{
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    primary->countdown().setDuration(60);
    primary->countdown().start();
    haptics.entries.clear();
    time.advance(60);
    EXPECT_EQ(sound.played, std::vector<std::string>{"complete"});
    EXPECT_FALSE(primary->ongoing.peek());
    EXPECT_EQ(primary->peek.peek(), Peek::timerDone());
    EXPECT_EQ(mirror->peek.peek(), Peek::timerDone());
    EXPECT_EQ(patternsOf(*primary), (std::vector{HapticPattern::levelChange, HapticPattern::generic}));
    EXPECT_TRUE(patternsOf(*mirror).empty());
    EXPECT_EQ(primary->tabForVisibleActivity(), IslandPage::timer());
    time.advance(4.01);
    EXPECT_FALSE(primary->peek.peek());
}

TEST_F(ReadoutsTest, VisibleActivityLeadsToItsPage)
{
    auto model = settledPrimary();
    EXPECT_FALSE(model->tabForVisibleActivity());
    model->nowPlaying().track = playing("Song");
    EXPECT_EQ(model->tabForVisibleActivity(), IslandPage::media());
    runExtension("weather", "Rain");
    model->refreshOngoing();
    EXPECT_EQ(model->tabForVisibleActivity(), IslandPage::ext("weather"));
    model->show(Peek::battery(10, false), 3);
    EXPECT_FALSE(model->tabForVisibleActivity());  // the battery belongs to no page
}
