#include "IslandTestSupport.h"

using namespace vesk;
using vesk::test::IslandTest;

class NotchViewModelTest : public IslandTest {};

TEST_F(NotchViewModelTest, MirrorSharesTheServicesAndStartsFromThePrimarysReadings)
{
    auto primary = NotchViewModel::makePrimary(simulatedServices());
    primary->volumeLevel = 0.4f;
    primary->isMuted = true;
    primary->outputs = std::vector<AudioOutput::Device>{{7, "Headphones", "headphones", true}};
    primary->currentOutputID = 7u;
    primary->setDownloadFraction(std::optional<double>(0.3));

    auto mirror = NotchViewModel::makeMirror(*primary);
    EXPECT_FALSE(mirror->isPrimary());
    EXPECT_EQ(&mirror->nowPlaying(), &primary->nowPlaying());
    EXPECT_EQ(&mirror->countdown(), &primary->countdown());
    EXPECT_EQ(mirror->volumeLevel.peek(), 0.4f);
    EXPECT_TRUE(mirror->isMuted.peek());
    EXPECT_EQ(mirror->outputs.peek().size(), 1u);
    EXPECT_EQ(mirror->currentOutputID.peek(), 7u);
    EXPECT_EQ(mirror->downloadFraction().peek(), std::optional<std::optional<double>>(0.3));
    EXPECT_TRUE(mirror->hasReadOutputs);
    EXPECT_EQ(mirror->ongoing.peek(), Peek::download(0.3));  // chosen at construction
    ASSERT_EQ(primary->mirrors().size(), 1u);
    EXPECT_EQ(primary->mirrors()[0], mirror);
}

TEST_F(NotchViewModelTest, SettingsAreCachedAndReReadOnChange)
{
    auto model = NotchViewModel::makePrimary(simulatedServices());
    EXPECT_FALSE(model->openOnHover.peek());  // the table's default, not the field's starting value
    EXPECT_TRUE(model->fadesToGlassSetting.peek());
    defaults().set(settings::fadeToGlass, false);
    defaults().set(settings::notchShimmer, false);
    EXPECT_FALSE(model->fadesToGlassSetting.peek());
    EXPECT_FALSE(model->showsRim.peek());
}

TEST_F(NotchViewModelTest, UnchangedSettingsWriteNotifiesNoView)
{
    auto model = settledPrimary();
    int changes = 0;
    auto tracking = trackObservation(
        [&] {
            (void)model->state();
            (void)model->pages();
            (void)model->hoverSwell.get();
            (void)model->notchSizeAdjustment.get();
            (void)model->showVisualizer.get();
        },
        [&] { ++changes; });
    defaults().set(settings::hudDuration, 2.0);  // a key no cached field reads
    defaults().set(settings::showVisualizer, true);  // the value it already has
    EXPECT_EQ(changes, 0);
    defaults().set(settings::showVisualizer, false);
    EXPECT_EQ(changes, 1);
}

TEST_F(NotchViewModelTest, AdjustmentChangeShowsAPreviewOnEveryIslandButNotAtFirstRead)
{
    defaults().set(settings::notchWidthAdjustment, 20.0);
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    EXPECT_FALSE(primary->sizeAdjustmentPreview.peek());
    EXPECT_FALSE(mirror->sizeAdjustmentPreview.peek());
    EXPECT_EQ(primary->notchSizeAdjustment.peek(), (Size{20, 0}));

    defaults().set(settings::notchWidthAdjustment, 25.0);
    EXPECT_EQ(primary->sizeAdjustmentPreview.peek(), NotchViewModel::SizeAdjustment::width(25));
    EXPECT_EQ(mirror->sizeAdjustmentPreview.peek(), NotchViewModel::SizeAdjustment::width(25));
    EXPECT_EQ(primary->state(), NotchState::closed);

    defaults().set(settings::notchHeightAdjustment, 4.0);
    EXPECT_EQ(primary->sizeAdjustmentPreview.peek(), NotchViewModel::SizeAdjustment::height(4));
    time.advance(0.81);
    EXPECT_FALSE(primary->sizeAdjustmentPreview.peek());
    EXPECT_FALSE(mirror->sizeAdjustmentPreview.peek());
}

TEST_F(NotchViewModelTest, HeldSliderKeepsThePreviewUntilReleased)
{
    auto model = settledPrimary();
    model->setAdjustingSize(true, true);
    EXPECT_EQ(model->sizeAdjustmentPreview.peek(), NotchViewModel::SizeAdjustment::width(0));
    defaults().set(settings::notchWidthAdjustment, 10.0);
    time.advance(5);
    EXPECT_EQ(model->sizeAdjustmentPreview.peek(), NotchViewModel::SizeAdjustment::width(10));
    model->setAdjustingSize(false, true);
    time.advance(0.5);
    model->setAdjustingSize(true, true);  // pressed again in time: stays
    time.advance(1);
    EXPECT_TRUE(model->sizeAdjustmentPreview.peek());
    model->setAdjustingSize(false, true);
    time.advance(0.81);
    EXPECT_FALSE(model->sizeAdjustmentPreview.peek());

    model->style = IslandStyle::pill;  // the capsule ignores adjustments
    defaults().set(settings::notchWidthAdjustment, 30.0);
    EXPECT_FALSE(model->sizeAdjustmentPreview.peek());
}

TEST_F(NotchViewModelTest, HidingTheLastPageMovesToTheNewLastPage)
{
    auto model = settledPrimary();
    model->setPage(2);
    EXPECT_EQ(model->pages()[static_cast<size_t>(model->page())], IslandPage::timer());
    defaults().set(settings::showTimerPage, false);
    EXPECT_EQ(model->page(), 1);
    EXPECT_EQ(model->pages()[1], IslandPage::calendar());
}

TEST_F(NotchViewModelTest, PageStaysWithinPagesWhenAnExtensionStops)
{
    auto model = settledPrimary();
    runExtension("weather", "Rain");
    model->setPage(3);
    EXPECT_EQ(model->pages()[3], IslandPage::ext("weather"));
    ExtensionStore::shared().stop("weather");
    EXPECT_EQ(model->page(), 2);
}

TEST_F(NotchViewModelTest, RemovingSomethingThatIsNotAMirrorChangesNothing)
{
    auto primary = settledPrimary();
    auto mirror = NotchViewModel::makeMirror(*primary);
    auto stranger = NotchViewModel::makePrimary(simulatedServices());
    primary->removeMirror(*primary);
    primary->removeMirror(*stranger);
    EXPECT_EQ(primary->mirrors().size(), 1u);
    defaults().set(settings::showCalendar, false);
    EXPECT_FALSE(primary->showCalendar.peek());
}

TEST_F(NotchViewModelTest, RemovedMirrorStopsReactingAndItsPendingWorkNeverRuns)
{
    auto primary = NotchViewModel::makePrimary(simulatedServices());
    auto mirror = NotchViewModel::makeMirror(*primary);
    primary->show(Peek::battery(5, false), 3);
    mirror->nowPlaying().track = playing("Song");
    primary->previewTrack();
    mirror->setAdjustingSize(false, true);
    ASSERT_TRUE(mirror->peek.peek());
    const size_t pendingBefore = time.queue().pendingCount();

    primary->removeMirror(*mirror);
    EXPECT_TRUE(primary->mirrors().empty());
    // Settle, readout and preview of the mirror are gone from the queue.
    EXPECT_EQ(time.queue().pendingCount(), pendingBefore - 3);

    time.advance(10);
    EXPECT_FALSE(mirror->hasSettled.peek());
    EXPECT_TRUE(mirror->peek.peek());
    EXPECT_TRUE(mirror->isPreviewingTrack.peek());
    defaults().set(settings::showCalendar, false);
    EXPECT_TRUE(mirror->showCalendar.peek());
    primary->show(Peek::focus(true), 2.5);
    EXPECT_EQ(mirror->peek.peek(), Peek::battery(5, false));
}

TEST_F(NotchViewModelTest, FrontmostApplicationIsFollowed)
{
    workspace.setFrontmost(QString("org.example.player"));
    auto primary = settledPrimary();
    EXPECT_EQ(primary->frontmostBundleID.peek(), std::optional<std::string>("org.example.player"));
    auto mirror = NotchViewModel::makeMirror(*primary);
    primary->removeMirror(*mirror);
    workspace.setFrontmost(QString("org.example.editor"));
    time.flush();
    EXPECT_EQ(primary->frontmostBundleID.peek(), std::optional<std::string>("org.example.editor"));
    EXPECT_EQ(mirror->frontmostBundleID.peek(), std::optional<std::string>("org.example.player"));
    workspace.setFrontmost(std::nullopt);
    time.flush();
    EXPECT_FALSE(primary->frontmostBundleID.peek());
}

TEST_F(NotchViewModelTest, DroppingAModelCancelsItsWork)
{
    swipes.start();  // the process-wide touchpad look-out outlives every model
    const size_t baseline = time.queue().pendingCount();
    auto model = NotchViewModel::makePrimary(simulatedServices());
    model->show(Peek::battery(5, false), 3);
    model.reset();
    time.advance(20);  // nothing may run against the gone model
    EXPECT_EQ(time.queue().pendingCount(), baseline);
}

TEST_F(NotchViewModelTest, PeriodicRefreshPicksUpCalendarChangesOnThePrimary)
{
    auto model = settledPrimary();
    const double start = time.wallNow() + 300;
    calendarStore.add({std::nullopt, "Lunch", start, start + 1800, false, QColor(Qt::blue)});
    EXPECT_FALSE(model->ongoing.peek());  // until the refresh
    time.advance(15);
    ASSERT_TRUE(model->ongoing.peek());
    EXPECT_EQ(model->ongoing.peek()->kind(), Peek::Kind::event);
}

TEST_F(NotchViewModelTest, TodayFollowsTheDayOnRefresh)
{
    auto model = settledPrimary();
    const double first = model->today.peek();
    time.advance(60);
    model->refreshOngoing();
    EXPECT_EQ(model->today.peek(), first);  // same day: unchanged
    time.jumpWall(24 * 3600);
    model->refreshOngoing();
    EXPECT_GT(model->today.peek(), first + 23 * 3600);
}

TEST_F(NotchViewModelTest, TourPageIsKeptWithinTheTour)
{
    auto model = settledPrimary();
    model->startOnboarding(42);
    EXPECT_EQ(model->onboardingPage().peek(), 7);
    model->setOnboardingPage(-3);
    EXPECT_EQ(model->onboardingPage().peek(), 0);
    EXPECT_EQ(patternsOf(*model), std::vector{HapticPattern::generic});
}

TEST_F(NotchViewModelTest, FinishingTheTourTwiceRunsTheCallbackOnce)
{
    auto model = settledPrimary();
    int finished = 0;
    model->onOnboardingFinished = [&] { ++finished; };
    model->startOnboarding(0);
    model->finishOnboarding();
    model->finishOnboarding();
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(model->onboardingPage().peek());
    EXPECT_EQ(patternsOf(*model), (std::vector{HapticPattern::generic, HapticPattern::levelChange}));
}

TEST_F(NotchViewModelTest, SkipDragRemembersItsDirection)
{
    auto model = settledPrimary();
    model->setSkipDrag(-0.4);
    EXPECT_FALSE(model->skipsForward());
    model->setSkipDrag(0);
    EXPECT_FALSE(model->skipsForward());
    model->setSkipDrag(0.2);
    EXPECT_TRUE(model->skipsForward());
}
