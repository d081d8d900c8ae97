// The island's panel repainted only where its drawing changed: frame after frame of the closed live
// activity, an opening island, a page change, a scrolling title and the tour's reveal, the pixels
// the panel holds equal a full repaint of the same frame (within one level), and a frame in which
// only the bars move repaints the bars alone.
#include "App/ViewWiring.h"
#include "Island/NotchView.h"
#include "Island/NotchWindowController.h"
#include "Island/SimFactorySupport.h"
#include "Kit/ImageDifferenceSupport.h"
#include "Kit/Kit.h"
#include "Model/IslandTestSupport.h"
#include "NowPlaying/NowPlayingService.h"
#include "Onboarding/OnboardingIslandView.h"
#include "Platform/sim/SimPanelWindow.h"
#include "Platform/sim/SimPointerMonitor.h"

#include <functional>

using namespace vesk;

namespace {

using kit::test::difference;
using kit::test::Difference;

class DamagedRepaint : public test::PlatformTest {
protected:
    void SetUp() override
    {
        installStandardViews();
        display = plug(laptop()).displayNumber;
        model = settledPrimary();
        NotchWindowController::Services services{&screens,
                                                 test::makingInto(window),
                                                 [] { return std::make_unique<SimPointerMonitor>(); },
                                                 {},
                                                 {},
                                                 [](const std::vector<kit::MenuItem> &, QPointF) {}};
        controller = NotchWindowController::forIsland(model, display, IslandStyle::notch, services);
        time.advance(1);
    }

    void play(const std::string &title)
    {
        NowPlayingService &service = model->nowPlaying();
        auto image = std::make_shared<QImage>(120, 120, QImage::Format_ARGB32);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x)
                image->setPixel(x, y, qRgb((x * 7 + y) % 256, (y * 3) % 256, (x ^ y) % 256));
        service.artwork = NowPlayingService::Image(image);
        service.artworkVersion = service.artworkVersion.peek() + 1;
        service.accent = QColor(0x5A, 0xC8, 0xF5);
        Track track = playing(title);
        track.artist = "The Artist";
        track.duration = 240;
        track.timestamp = time.wallNow();
        service.track = track;
        service.titleVersion = service.titleVersion.peek() + 1;
        service.artistVersion = service.artistVersion.peek() + 1;
    }

    // Runs `frames` steps of 1/60 s; after each that painted, the panel's pixels must equal a
    // full repaint of the island's tree within one level. A frame painted a second time is not
    // always the first to the level (the island's shadow is copied from a picture the second time
    // one is drawn, a kept layer is shown from its picture), and a blur inside a layer cut to the
    // damage may start a pixel elsewhere; nothing else may differ. While only loops move, frames
    // come at most every third step (the bars' rate), so the panel may lag the clock by two steps,
    // never three. Returns how many steps painted.
    int expectFramesEqualFullRepaints(const char *sequence, int frames)
    {
        int painted = 0, lagging = 0;
        for (int i = 0; i < frames; ++i) {
            const uint64_t before = controller->paintCount();
            time.advance(1.0 / 60);
            const bool paintedNow = controller->paintCount() != before;
            painted += paintedNow ? 1 : 0;
            const Difference d = difference(window->content(), controller->tree().render(2));
            if (!paintedNow && d.largest > 1) {
                EXPECT_LE(++lagging, 2) << sequence << ", frame " << i << ": the panel is three steps behind";
                if (lagging > 2)
                    break;
                continue;
            }
            lagging = 0;
            EXPECT_LE(d.largest, 1) << sequence << ", frame " << i << ": " << d.pixels << " pixels differ, most at "
                                    << d.at.x() << "," << d.at.y();
            if (d.largest > 1)
                break;  // one report per sequence
        }
        return painted;
    }

    uint32_t display = 0;
    std::shared_ptr<NotchViewModel> model;
    SimPanelWindow *window = nullptr;
    std::unique_ptr<NotchWindowController> controller;
};

}  // namespace

TEST_F(DamagedRepaint, TheClosedLiveActivityAndItsOpeningEqualFullRepaints)
{
    play("Song");
    EXPECT_GT(expectFramesEqualFullRepaints("arrival", 90), 0);
    EXPECT_NEAR(expectFramesEqualFullRepaints("bars", 60), 20, 1) << "the bars move at every one of their frames, 20 a second";
    model->open(false);
    expectFramesEqualFullRepaints("opening", 60);
    model->close(false);
    expectFramesEqualFullRepaints("closing", 60);
}

TEST_F(DamagedRepaint, APageChangeAndAScrollingTitleEqualFullRepaints)
{
    play("A Rather Long Song Title That Scrolls Through Its Row Over And Over");
    addEvent(*model, "Standup", 600);
    time.advance(2);
    model->open(false);
    expectFramesEqualFullRepaints("open media page", 150);  // the title scrolls
    ASSERT_GT(model->pages().size(), 1u);
    model->setPage(1);
    expectFramesEqualFullRepaints("page change", 60);
    model->setPage(0);
    expectFramesEqualFullRepaints("page change back", 60);
}

TEST_F(DamagedRepaint, TheToursRevealEqualsFullRepaints)
{
    using Page = OnboardingIslandView::Page;
    model->startOnboarding(int(Page::welcome));
    expectFramesEqualFullRepaints("tour opening", 90);
    model->setOnboardingPage(int(Page::features));
    expectFramesEqualFullRepaints("features reveal", 90);
}

TEST_F(DamagedRepaint, ABarsOnlyFrameDamagesTheBarsAlone)
{
    play("Song");
    time.advance(3);
    // The island's tree drawn on its own, at the panel's scale, with its damage tracked.
    kit::Tree tree(QSizeF(NotchView::panelWidth, NotchView::panelHeight));
    kit::withoutAnimation([&] { tree.setRoot(kit::view(NotchView{model.get()})); });
    time.advance(0.5);
    QImage pixels;
    tree.paintChanges(pixels, 2);
    // The bars: the nodes whose loops move them, in device pixels, plus the point a leaf's ink
    // may stray and a pixel of antialiasing, over the frames seen.
    std::function<void(const kit::Node &, QRegion &)> bars = [&](const kit::Node &n, QRegion &out) {
        if (n.runningLoops()) {
            const QRectF f = n.frameInTree().adjusted(-1, -1, 1, 1);
            out += QRectF(f.topLeft() * 2, f.size() * 2).toAlignedRect().adjusted(-2, -2, 2, 2);
        }
        for (const auto &c : n.children())
            bars(*c, out);
    };
    QRegion allowed;
    bars(*tree.root(), allowed);
    ASSERT_FALSE(allowed.isEmpty()) << "the bars loop";
    for (int frame = 0; frame < 30; ++frame) {
        time.advance(1.0 / 60);
        bars(*tree.root(), allowed);
        const QRegion damage = tree.paintChanges(pixels, 2);
        EXPECT_FALSE(damage.isEmpty()) << "frame " << frame;
        EXPECT_TRUE((damage - allowed).isEmpty())
            << "frame " << frame << ": damage beyond the bars at " << (damage - allowed).boundingRect().x() << ","
            << (damage - allowed).boundingRect().y();
        EXPECT_LT(damage.boundingRect().width() * damage.boundingRect().height(), 60 * 40 * 4)
            << "about 20 x 16 points of bars";
    }
    EXPECT_EQ(difference(pixels, tree.render(2)).largest, 0);
}
