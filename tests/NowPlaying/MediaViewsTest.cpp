// The media views: the live activity beside the notch, the bars, the artwork card and the
// switching text, drawn in Kit trees on the virtual clock.
#include "NowPlaying/Views/ArtworkView.h"
#include "NowPlaying/Views/AudioBars.h"
#include "NowPlaying/Views/LiveActivityView.h"
#include "NowPlaying/Views/MediaBadges.h"
#include "NowPlaying/Views/MediaPlayerView.h"
#include "Model/Defaults.h"

#include "App/ViewWiring.h"
#include "Island/KitNodeSupport.h"
#include "Island/LongTextSupport.h"
#include "Island/OpenView.h"
#include "Island/NotchView.h"
#include "Kit/Kit.h"
#include "Model/IslandTestSupport.h"

#include <array>
#include <cstring>
#include <functional>

using namespace kit;
using namespace vesk;
using test::shownPart;

namespace {


int leavingNodes(const Node *node)
{
    int n = node->isLeaving() ? 1 : 0;
    for (const auto &c : node->children())
        n += leavingNodes(c.get());
    return n;
}

class MediaViews : public test::PlatformTest {
protected:
    void SetUp() override { model = settledPrimary(); }

    // The bars alone, in a tree of their own size.
    void showBars(AudioBars bars, QSizeF size)
    {
        barsTree = std::make_unique<Tree>(size);
        barsTree->setRoot(view(bars));
        time.advance(0.01);
    }
    std::vector<const Node *> nodes(const char *kind) const
    {
        return test::allOfKind(barsTree->root(), kind);
    }
    std::vector<const Node *> barFills() const { return nodes("Shape"); }
    // The group opacities: the muted dimming, the dots' row, the bars' row.
    double rowOpacity(int row) const { return nodes("Opacity").at(row)->value(Prop::opacity, -1); }
    int loopingNodes() const
    {
        int n = 0;
        std::function<void(const Node *)> walk = [&](const Node *node) {
            if (node->runningLoops())
                ++n;
            for (const auto &c : node->children())
                walk(c.get());
        };
        walk(barsTree->root());
        return n;
    }

    std::shared_ptr<NotchViewModel> model;
    std::unique_ptr<Tree> barsTree;
};

}  // namespace

// ---- Sizes ---------------------------------------------------------------------------------------

TEST_F(MediaViews, LiveActivitySizesInBothStylesAndALowIsland)
{
    const auto pill = LiveActivityView::metrics(32, true, true);
    EXPECT_DOUBLE_EQ(pill.rowHeight, 33.5);
    EXPECT_DOUBLE_EQ(pill.inset, 6);
    EXPECT_DOUBLE_EQ(pill.content, 21.5);
    EXPECT_DOUBLE_EQ(pill.padding, 9);
    // Without the rim the capsule's row is the island's height.
    EXPECT_DOUBLE_EQ(LiveActivityView::metrics(32, true, false).content, 20);
    const auto notch = LiveActivityView::metrics(32, false, true);
    EXPECT_DOUBLE_EQ(notch.rowHeight, 32);
    EXPECT_DOUBLE_EQ(notch.content, 19);
    EXPECT_DOUBLE_EQ(notch.padding, 6.5);
    // An island under 13 points would give a negative square.
    EXPECT_DOUBLE_EQ(LiveActivityView::metrics(10, false, true).content, 0);
    EXPECT_DOUBLE_EQ(LiveActivityView::metrics(2, true, false).content, 0);
}

TEST_F(MediaViews, BarWidthsRadiiAndPeriods)
{
    EXPECT_NEAR(AudioBars::barWidth(15.75, 5), 1.55, 1e-12);
    EXPECT_NEAR(AudioBars::cornerRadius(AudioBars::barWidth(15.75, 5)), 0.775, 1e-12);
    EXPECT_DOUBLE_EQ(AudioBars::barWidth(4, 5), 1);  // too narrow: bars stay 1 point wide
    EXPECT_DOUBLE_EQ(AudioBars::cornerRadius(6), 1);
    EXPECT_DOUBLE_EQ(AudioBars::period(6), 0.42);
    EXPECT_DOUBLE_EQ(AudioBars::period(3), 0.28);
    EXPECT_NEAR(AudioBars::centre(1.55, 4), 0.775 + 3.55 * 4, 1e-12);
}

// ---- Bars ----------------------------------------------------------------------------------------

TEST_F(MediaViews, PlayingBarsLoopWithoutDescribingTheirViews)
{
    showBars(AudioBars{Color::white(), true, 5, false}, QSizeF(15.75, 12));
    EXPECT_EQ(loopingNodes(), 5);
    const auto fills = barFills();
    ASSERT_EQ(fills.size(), 10u);  // five dots, then five bars
    const double w = fills[5]->size().width();
    EXPECT_NEAR(w, 1.55, 1e-6);
    // The last bar's centre: its offset plus half its width.
    EXPECT_NEAR(nodes("Offset")[9]->value(Prop::offsetX, -1) + w / 2, AudioBars::centre(1.55, 4), 1e-6);
    // The bars move between frames while no view body is described.
    const uint64_t evaluations = barsTree->evaluationCount();
    std::vector<double> heights;
    for (int i = 0; i < 5; ++i) {
        time.advance(0.05);
        heights.push_back(barFills()[5]->size().height());
    }
    EXPECT_EQ(barsTree->evaluationCount(), evaluations);
    EXPECT_NE(heights.front(), heights.back());
    for (double h : heights) {
        EXPECT_GE(h, 2 - 1e-6);
        EXPECT_LE(h, 12 + 1e-6);
    }
}

TEST_F(MediaViews, NoLoopsWhenLowPausedOrNotShown)
{
    showBars(AudioBars{Color::white(), true, 5, false}, QSizeF(15.75, 2));
    EXPECT_EQ(loopingNodes(), 0);
    showBars(AudioBars{Color::white(), false, 5, false}, QSizeF(15.75, 12));
    EXPECT_EQ(loopingNodes(), 0);
    showBars(AudioBars{Color::white(), true, 0, false}, QSizeF(15.75, 12));
    EXPECT_EQ(loopingNodes(), 0);
    showBars(AudioBars{Color::white(), true, 5, false}, QSizeF(15.75, 12));
    barsTree->setShown(false);
    EXPECT_EQ(loopingNodes(), 0);
    barsTree->setShown(true);
    EXPECT_EQ(loopingNodes(), 5);
}

TEST_F(MediaViews, PausedBarsBounceWhileTheyFadeThenStop)
{
    showBars(AudioBars{Color::white(), true, 5, false}, QSizeF(15.75, 12));
    barsTree->setRoot(view(AudioBars{Color::white(), false, 5, false}));
    time.advance(0.2);
    EXPECT_EQ(loopingNodes(), 5);
    time.advance(0.3);
    EXPECT_EQ(loopingNodes(), 0);
    EXPECT_FALSE(barsTree->isAnimating());
    // Playing again within the fade keeps them going.
    barsTree->setRoot(view(AudioBars{Color::white(), true, 5, false}));
    time.advance(0.1);
    barsTree->setRoot(view(AudioBars{Color::white(), false, 5, false}));
    time.advance(0.1);
    barsTree->setRoot(view(AudioBars{Color::white(), true, 5, false}));
    time.advance(1);
    EXPECT_EQ(loopingNodes(), 5);
}

TEST_F(MediaViews, TheFirstRowStateIsShownAtOnceAndLaterOnesFade)
{
    showBars(AudioBars{Color::white(), false, 5, false}, QSizeF(15.75, 12));
    // New and paused: the dots already show, the bars are gone.
    EXPECT_DOUBLE_EQ(rowOpacity(1), 1);
    EXPECT_DOUBLE_EQ(rowOpacity(2), 0);
    barsTree->setRoot(view(AudioBars{Color::white(), true, 5, false}));
    time.advance(0.2);
    const double midway = rowOpacity(1);
    EXPECT_GT(midway, 0.05);
    EXPECT_LT(midway, 0.95);
    time.advance(0.3);
    EXPECT_DOUBLE_EQ(rowOpacity(1), 0);
    EXPECT_DOUBLE_EQ(rowOpacity(2), 1);
}

TEST_F(MediaViews, MutingBlursAndDimsOnceFromWhatIsOnScreen)
{
    showBars(AudioBars{Color::white(), true, 5, false}, QSizeF(15.75, 12));
    auto blur = [&] { return test::findKind(barsTree->root(), "Blur")->value(Prop::blur, -1); };
    barsTree->setRoot(view(AudioBars{Color::white(), true, 5, true}));
    time.advance(0.15);
    const double half = blur();
    EXPECT_GT(half, 0.5);
    EXPECT_LT(half, 2.2);
    // Muting again while it blurs changes nothing.
    barsTree->setRoot(view(AudioBars{Color::white(), true, 5, true}));
    time.advance(0.2);
    EXPECT_DOUBLE_EQ(blur(), 2.2);
    // Unmuting starts from the blur on screen.
    barsTree->setRoot(view(AudioBars{Color::white(), true, 5, false}));
    time.advance(0.01);
    EXPECT_NEAR(blur(), 2.2, 0.2);
    time.advance(0.3);
    EXPECT_DOUBLE_EQ(blur(), 0);
}

// ---- Switching text -------------------------------------------------------------------------------

TEST_F(MediaViews, SwitchingTextEditsInPlaceAndSwitchesOnANewVersion)
{
    Tree tree(QSizeF(300, 40));
    auto show = [&](const char *text, long long version) {
        tree.setRoot(view(SwitchingText{QString::fromUtf8(text), version, Alignment::center(), nullptr}));
        time.advance(0.02);
    };
    show("One", 1);
    show("Onе!", 1);
    EXPECT_EQ(leavingNodes(tree.root()), 0);
    ASSERT_TRUE(test::findKind(tree.root(), "Text"));
    EXPECT_EQ(drawnItems(tree).back().text, QString::fromUtf8("Onе!"));
    // The same text under a new version still switches.
    show("Onе!", 2);
    EXPECT_GT(leavingNodes(tree.root()), 0);
    time.advance(2);
    EXPECT_EQ(leavingNodes(tree.root()), 0);
}

// ---- Live activity in the island ------------------------------------------------------------------

class LiveActivity : public MediaViews {
protected:
    LiveActivity() { installStandardViews(); }
    void show()
    {
        tree.setRoot(view(NotchView{model.get()}));
        time.advance(0.01);
    }
    bool visibleText(const QString &text) const
    {
        for (const DrawnItem &i : drawnItems(tree))
            if (i.kind == DrawnItem::Kind::text && i.isVisible() && i.text == text)
                return true;
        return false;
    }
    bool anyText(const QString &text) const
    {
        for (const DrawnItem &i : drawnItems(tree))
            if (i.kind == DrawnItem::Kind::text && i.text == text)
                return true;
        return false;
    }
    Tree tree{QSizeF(NotchView::panelWidth, NotchView::panelHeight)};
};

TEST_F(LiveActivity, TheTitleRowExistsOnlyWithATrackAndShowsOnlyInThePreview)
{
    show();
    EXPECT_FALSE(anyText(QStringLiteral("Song")));
    Track t = playing("Song");
    t.artist = "Band";
    model->nowPlaying().track = t;
    time.advance(3);
    EXPECT_TRUE(anyText(QString::fromUtf8("Song  ·  Band")));  // the row exists, its layer hidden
    EXPECT_FALSE(visibleText(QString::fromUtf8("Song  ·  Band")));
    model->previewTrack();
    time.advance(1);
    EXPECT_TRUE(visibleText(QString::fromUtf8("Song  ·  Band")));
}

TEST_F(LiveActivity, RowTextsAndVersions)
{
    EXPECT_EQ(LiveActivityView::rowText("Song", ""), QStringLiteral("Song"));
    EXPECT_EQ(LiveActivityView::displayText(LiveActivityView::rowText("Song", "")), QStringLiteral("Song"));
    EXPECT_EQ(LiveActivityView::displayText(LiveActivityView::rowText("A\nB", "C")), QString::fromUtf8("A B  ·  C"));
    // Large counters do not overflow into each other.
    EXPECT_EQ(LiveActivityView::rowVersion(3'000'000, 7), 3'000'000'007LL);
    EXPECT_NE(LiveActivityView::rowVersion(1, 0), LiveActivityView::rowVersion(0, 999));
}

// ---- Artwork ------------------------------------------------------------------------------------

TEST(ArtworkFlipTest, HalfWayShowsTheBackEdgeOn)
{
    EXPECT_FALSE(ArtworkFlip::showsBack(0.49));
    EXPECT_TRUE(ArtworkFlip::showsBack(0.5));
    EXPECT_DOUBLE_EQ(ArtworkFlip::angle(0.5), -90);
    EXPECT_DOUBLE_EQ(ArtworkFlip::angle(0.25), 45);
    EXPECT_DOUBLE_EQ(ArtworkFlip::angle(1), 0);
    EXPECT_DOUBLE_EQ(ArtworkFlip::glare(0), 0);
    EXPECT_NEAR(ArtworkFlip::glare(0.5), 1, 1e-12);
    EXPECT_NEAR(ArtworkFlip::glare(1.2), 0, 1e-12);  // an overshooting spring glares no more
}

TEST_F(MediaViews, TwoChangesWithinTheDelayEndOnTheNewestImageAndNoneShowsThePlaceholder)
{
    Tree tree(QSizeF(60, 60));
    NowPlayingService &service = model->nowPlaying();
    auto imageOf = [](QColor c) {
        auto image = std::make_shared<QImage>(20, 20, QImage::Format_ARGB32);
        image->fill(c);
        return NowPlayingService::Image(image);
    };
    service.artwork = imageOf(Qt::red);
    tree.setRoot(view(ArtworkView{model.get(), 55, 10, 0.3}));
    time.advance(0.01);
    auto centre = [&] { return tree.render(1).pixelColor(12, 12); };
    EXPECT_GT(centre().red(), 200);
    service.artwork = imageOf(Qt::green);
    service.artworkVersion = service.artworkVersion.peek() + 1;
    time.advance(0.1);
    service.artwork = imageOf(Qt::blue);
    service.artworkVersion = service.artworkVersion.peek() + 1;
    time.advance(0.1);
    EXPECT_GT(centre().red(), 200);  // nothing turns before its delay
    time.advance(3);
    EXPECT_GT(centre().blue(), 200);
    EXPECT_LT(centre().green(), 60);
    // No image: the card turns to the note on its grey face.
    service.artwork = nullptr;
    service.artworkVersion = service.artworkVersion.peek() + 1;
    time.advance(3);
    EXPECT_LT(centre().alpha(), 100);  // the faint face, no image
    const std::vector<DrawnItem> items = drawnItems(tree);
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const DrawnItem &i) {
        return i.kind == DrawnItem::Kind::symbol && i.text == QStringLiteral("music.note");
    }));
}

namespace {
// The bounding box of the pixels close to `colour` in `image`.
QRect areaOf(const QImage &image, QColor colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 30 && std::abs(c.green() - colour.green()) < 30
                && std::abs(c.blue() - colour.blue()) < 30 && c.alpha() > 200)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}
}  // namespace

TEST_F(LiveActivity, TheArtworkSquareSitsAtTheLeftEndOfTheClosedIsland)
{
    show();
    auto image = std::make_shared<QImage>(300, 200, QImage::Format_ARGB32);  // not square: cropped to fill
    image->fill(QColor(0, 200, 0));
    model->nowPlaying().artwork = NowPlayingService::Image(image);
    model->nowPlaying().artworkVersion = 1;
    model->nowPlaying().track = playing("Song");
    time.advance(3);
    const QRect art = areaOf(tree.render(2), QColor(0, 200, 0));
    // 19 points square (38 pixels), 6.5 points below the top of a 32-point notch.
    EXPECT_NEAR(art.height(), 38, 2);
    EXPECT_NEAR(art.width(), 38, 2);
    EXPECT_NEAR(art.top(), 13, 1);
    // 6.5 points inside the island's left end.
    const double islandLeft = (NotchView::panelWidth - model->size().width) / 2;
    EXPECT_NEAR(art.left() / 2.0, islandLeft + 6.5, 1);
}

// ---- The media page ---------------------------------------------------------------------------------

class MediaPage : public LiveActivity {
protected:
    void open(Track track)
    {
        auto image = std::make_shared<QImage>(600, 600, QImage::Format_ARGB32);
        image->fill(QColor(0, 200, 0));
        model->nowPlaying().artwork = NowPlayingService::Image(image);
        model->nowPlaying().artworkVersion = 1;
        model->nowPlaying().track = std::move(track);
        show();
        model->open(false);
        time.advance(3);
    }
    // Where the green artwork is drawn, at any opacity over the black island.
    QRect artwork()
    {
        const QImage image = tree.render(2);
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.green() > 60 && c.red() < 40 && c.blue() < 40)
                    box |= QRect(x, y, 1, 1);
            }
        return box;
    }
};

TEST_F(MediaPage, HeaderRoomInBothStyles)
{
    EXPECT_DOUBLE_EQ(MediaPlayerView::topPadding(true, 32, false), 16);
    EXPECT_DOUBLE_EQ(MediaPlayerView::topPadding(false, 32, false), 32);
    EXPECT_DOUBLE_EQ(MediaPlayerView::topPadding(false, 32, true), 17.5);
    EXPECT_EQ(MediaPlayerView::secondLine("", "Album"), QStringLiteral("Album"));
    EXPECT_EQ(MediaPlayerView::secondLine("Artist", "Album"), QStringLiteral("Artist"));
    EXPECT_EQ(MediaPlayerView::secondLine("", ""), QString());
}

TEST_F(MediaPage, NothingPlayingShowsOnlyThePlaceholder)
{
    show();
    model->open(false);
    time.advance(3);
    EXPECT_TRUE(visibleText(QStringLiteral("Nothing Playing")));
    for (const DrawnItem &i : drawnItems(tree))
        EXPECT_FALSE(i.kind == DrawnItem::Kind::control && i.isVisible() && i.text == QStringLiteral("Open player"));
}

TEST_F(MediaPage, TheArtworkShrinksAndDimsWhilePausedOnlyWithItsSetting)
{
    Track track = playing("Song");
    track.album = "Album";
    open(track);
    EXPECT_TRUE(visibleText(QStringLiteral("Album")));  // no artist: the album
    const QRect full = artwork();
    EXPECT_NEAR(full.width(), 110, 2);  // 55 points at scale 2
    track.isPlaying = false;
    model->nowPlaying().track = track;
    time.advance(2);
    const QRect paused = artwork();
    EXPECT_NEAR(paused.width(), 110 * 0.86, 2);
    EXPECT_NEAR(paused.center().x(), full.center().x(), 1);
    // Drawn at 70 %: the green over black is darker.
    EXPECT_LT(tree.render(2).pixelColor(paused.center()).green(), 160);
    defaults().set(settings::dimArtworkWhenPaused, false);
    time.advance(2);
    EXPECT_NEAR(artwork().width(), 110, 2);
}

TEST_F(MediaPage, TheTransportRowReachesTheService)
{
    open(playing("Song"));
    std::optional<QRectF> pause;
    for (const DrawnItem &i : drawnItems(tree))
        if (i.kind == DrawnItem::Kind::control && i.isVisible() && i.text == QStringLiteral("Pause"))
            pause = i.rect;
    ASSERT_TRUE(pause);
    tree.handlePointer(PointerEvent::move(pause->center()));
    tree.handlePointer(PointerEvent::press(pause->center()));
    tree.handlePointer(PointerEvent::release(pause->center()));
    time.flush();
    ASSERT_TRUE(model->nowPlaying().track.peek());
    EXPECT_FALSE(model->nowPlaying().track.peek()->isPlaying);
}

TEST_F(MediaPage, TheArtworkSitsAtTheHeadOfTheOpenPage)
{
    open(playing("Song"));
    const QRect art = artwork();
    // 22.5 points of page padding, less the header's 4, inside the open island's left edge.
    const double islandLeft = (NotchView::panelWidth - model->openSize().width) / 2;
    EXPECT_NEAR(art.left() / 2.0, islandLeft + 18.5, 1);
    EXPECT_NEAR(art.height(), 110, 2);
}

// Texts from any player: long, multi-line, with control characters, right-to-left and emoji; and
// a transparent accent. Every title stays on one line inside the island.
TEST_F(MediaPage, TextsFromAnyPlayerStayOnOneLineInsideTheIsland)
{
    Track track = playing(std::string(3000, 'x') + "\nsecond line\t\x01" + "\u05E9\u05DC\u05D5\u05DD \U0001F3B5");
    track.artist = "\u202Eevil\u202C\n";
    model->nowPlaying().accent = QColor(0, 0, 0, 0);
    open(track);
    const double islandLeft = (NotchView::panelWidth - model->openSize().width) / 2;
    int texts = 0;
    for (const DrawnItem &i : drawnItems(tree)) {
        if (i.kind != DrawnItem::Kind::text || !i.isVisible())
            continue;
        ++texts;
        EXPECT_FALSE(i.text.contains(QLatin1Char('\n')));
        EXPECT_GE(shownPart(i).left(), islandLeft - 0.5);
        EXPECT_LE(shownPart(i).right(), islandLeft + model->openSize().width + 0.5);
    }
    EXPECT_GE(texts, 2);
    model->close(false);
    model->previewTrack();
    time.advance(2);
    for (const DrawnItem &i : drawnItems(tree))
        if (i.kind == DrawnItem::Kind::text && i.isVisible()) {
            EXPECT_FALSE(i.text.contains(QLatin1Char('\n')));
            EXPECT_LE(shownPart(i).width(), model->size().width);
        }
}

// The open page alone, at the open island's size, on a track whose title, artist and album come
// from the player at any length.
class MediaPageNames : public MediaPage {
protected:
    struct Places {
        std::vector<std::pair<QString, QRectF>> items;  // controls, symbols and time labels
        QSizeF page;
    };
    Places openPage(const std::string &title, const std::string &artist, const std::string &album)
    {
        Track track = playing(title);
        track.artist = artist;
        track.album = album;
        track.duration = 230;
        track.elapsed = 60;
        track.timestamp = time.wallNow();
        model->nowPlaying().track = track;
        model->open(false);
        const Size open = model->openSize();
        page = std::make_unique<Tree>(QSizeF(open.width, open.height));
        page->setRoot(view(OpenView{model.get()}));
        time.advance(3);
        Places places;
        places.page = page->root()->frame().size();
        for (const DrawnItem &i : drawnItems(*page)) {
            if (!i.isVisible())
                continue;
            const bool timeLabel = i.kind == DrawnItem::Kind::text && i.text.contains(QLatin1Char(':'));
            if (i.kind != DrawnItem::Kind::text || timeLabel)
                places.items.emplace_back(i.text, i.rect);
        }
        return places;
    }
    std::unique_ptr<Tree> page;
};

TEST_F(MediaPageNames, NamesOfAnyLengthLeaveThePageAndItsControlsWhereTheyAre)
{
    // The header beside a narrow notch, below a wide one, and in the capsule.
    const std::vector<std::pair<double, IslandStyle>> islands{
        {185, IslandStyle::notch}, {220, IslandStyle::notch}, {185, IslandStyle::pill}};
    for (const auto &[notchWidth, style] : islands) {
        const bool pill = style == IslandStyle::pill;
        model->close(false);
        model->updateNotch(plug({QStringLiteral("eDP-%1").arg(int(notchWidth)), QSizeF(1512, 982), 2, QSizeF(notchWidth, 32), 37}), style, false);
        ASSERT_EQ(model->style.get(), style);
        ASSERT_EQ(model->mediaHeaderBesideNotch(), !pill && notchWidth < 200);
        const Places reference = openPage("Song", "Band", "Album");
        ASSERT_GE(reference.items.size(), 8u);  // artwork, shuffle, three transport buttons, output, scrubber, times
        const Size open = model->openSize();
        EXPECT_EQ(reference.page, QSizeF(open.width, open.height));
        for (const int length : test::textLengths) {
            const std::string name = test::wordsOfLength(length).toStdString();
            // Each field long in turn; the album shows where the artist is empty.
            const std::vector<std::array<std::string, 3>> tracks{
                {name, "Band", "Album"}, {"Song", name, "Album"}, {"Song", "", name}, {name, name, name}};
            for (const auto &[title, artist, album] : tracks) {
                SCOPED_TRACE(testing::Message() << (pill ? "capsule" : "notch ") << (pill ? "" : std::to_string(int(notchWidth))) << ", " << length << " characters in \""
                                                << title.substr(0, 12) << "\" / \"" << artist.substr(0, 12) << "\" / \""
                                                << album.substr(0, 12) << "\"");
                const Places places = openPage(title, artist, album);
                EXPECT_EQ(places.page, reference.page);
                for (const std::string &line : test::outside(*page, QRectF(0, 0, open.width, open.height)))
                    ADD_FAILURE() << line << " outside the island";
                EXPECT_EQ(places.items.size(), reference.items.size());
                for (size_t i = 0; i < std::min(places.items.size(), reference.items.size()); ++i) {
                    EXPECT_EQ(places.items[i].first, reference.items[i].first);
                    EXPECT_EQ(places.items[i].second, reference.items[i].second) << places.items[i].first.toStdString();
                }
            }
        }
    }
}
