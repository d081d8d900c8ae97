// The padlock and the lock-screen card drawn in Kit trees of their windows' sizes.
#include "LockScreen/LockNotchView.h"
#include "LockScreen/LockScreenView.h"

#include "Island/KitNodeSupport.h"
#include "Kit/Kit.h"
#include "Island/LongTextSupport.h"
#include "Model/IslandTestSupport.h"

#include <array>

using namespace kit;
using namespace vesk;
using Indicator = NotchViewModel::LockIndicator;

namespace {

// The rectangle of the pixels that are not transparent.
QRect opaqueBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 8)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

std::vector<DrawnItem> visible(const Tree &tree, DrawnItem::Kind kind)
{
    std::vector<DrawnItem> out;
    for (const auto &item : drawnItems(tree))
        if (item.kind == kind && item.isVisible())
            out.push_back(item);
    return out;
}

std::vector<QString> texts(const Tree &tree)
{
    std::vector<QString> out;
    for (const auto &item : visible(tree, DrawnItem::Kind::text))
        out.push_back(item.text);
    return out;
}

class LockViews : public test::PlatformTest {
protected:
    void SetUp() override
    {
        model = settledPrimary();
        model->physicalNotchSize = Size{185, 32};
    }
    void showPadlock()
    {
        tree = std::make_unique<Tree>(QSizeF(420, 80));
        tree->setRoot(view(LockNotchView{model.get()}));
        time.advance(0.01);
    }
    void showCard()
    {
        tree = std::make_unique<Tree>(QSizeF(400, 240));
        tree->setRoot(view(LockScreenView{model.get()}));
        time.advance(0.01);
    }

    std::shared_ptr<NotchViewModel> model;
    std::unique_ptr<Tree> tree;
};

}  // namespace

TEST_F(LockViews, ThePadlockWidensTheNotchByTwoWingsWhileShown)
{
    showPadlock();
    EXPECT_TRUE(opaqueBounds(tree->render(1)).isEmpty()) << "hidden: transparent";
    const Node *shape = test::findKind(tree->root(), "Shape");
    ASSERT_TRUE(shape);
    EXPECT_DOUBLE_EQ(shape->frame().width(), 197) << "185 + 2 x 6";

    model->lockIndicator = Indicator::locked;
    time.advance(0.001);
    // At full width at once: 185 + 2 x 32 + 2 x 6, 32 high, centred at the top.
    EXPECT_EQ(opaqueBounds(tree->render(2)), QRect(159, 0, 522, 64));
    const auto symbols = visible(*tree, DrawnItem::Kind::symbol);
    ASSERT_EQ(symbols.size(), 1u);
    EXPECT_EQ(symbols[0].text, "lock.fill");
    // The symbol's 19 x 19 area starts 12.5 points into the shape; the 12-point symbol is centred in it.
    EXPECT_EQ(symbols[0].rect.center(), QPointF(79.5 + 12.5 + 9.5, 16));
}

TEST_F(LockViews, UnlockingOpensThePadlockThenItFadesAndNarrowsLate)
{
    showPadlock();
    model->lockIndicator = Indicator::locked;
    time.advance(0.5);
    model->lockIndicator = Indicator::unlocking;
    time.advance(0.5);
    const auto symbols = visible(*tree, DrawnItem::Kind::symbol);
    ASSERT_FALSE(symbols.empty());
    EXPECT_EQ(symbols.back().text, "lock.open.fill");

    model->lockIndicator = Indicator::hidden;
    time.advance(0.3);
    EXPECT_EQ(opaqueBounds(tree->render(2)).width(), 522) << "still whole 0.3 s after hiding";
    time.advance(0.2);
    const QRect fading = opaqueBounds(tree->render(2));
    EXPECT_LT(fading.width(), 522);
    EXPECT_GT(fading.width(), 394);
    EXPECT_NEAR(fading.center().x(), 420, 1) << "it narrows about the centre";
    time.advance(0.5);
    EXPECT_TRUE(opaqueBounds(tree->render(1)).isEmpty());
    EXPECT_FALSE(tree->isAnimating());
}

TEST_F(LockViews, TheCardWaitsForATrackAndReportsWhenItShows)
{
    std::vector<std::pair<QRectF, bool>> reports;
    model->lockCardChanged = [&](const QRectF &frame, bool shown) { reports.emplace_back(frame, shown); };
    showCard();
    model->isScreenLocked = true;
    time.advance(1);
    EXPECT_TRUE(reports.empty()) << "locked with nothing playing: no card, no report";
    EXPECT_TRUE(opaqueBounds(tree->render(1)).isEmpty());

    Track track = playing("Blue in Green");
    track.artist = "Miles Davis";
    model->nowPlaying().track = track;
    time.advance(1);
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(reports.back().second);
    const QRectF frame = reports.back().first;
    EXPECT_DOUBLE_EQ(frame.width(), 300);
    EXPECT_DOUBLE_EQ(frame.x(), 50);
    EXPECT_DOUBLE_EQ(frame.bottom(), 240 - 34);
    const auto lines = texts(*tree);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(std::vector<QString>(lines.begin(), lines.begin() + 2), (std::vector<QString>{"Blue in Green", "Miles Davis"}));
    std::vector<QString> controls;
    for (const auto &item : visible(*tree, DrawnItem::Kind::control))
        if (item.takesHits && item.text != QStringLiteral("scrubber"))
            controls.push_back(item.text);
    EXPECT_EQ(controls.size(), 3u) << "previous, play/pause, next";

    const size_t before = reports.size();
    model->isScreenLocked = false;
    time.advance(1);
    ASSERT_GT(reports.size(), before);
    EXPECT_FALSE(reports.back().second);
    EXPECT_EQ(reports.back().first, frame) << "hidden where it was";
    EXPECT_TRUE(opaqueBounds(tree->render(1)).isEmpty());
    for (const auto &item : drawnItems(*tree))
        EXPECT_FALSE(item.kind == DrawnItem::Kind::control && item.takesHits) << "hidden, it takes no clicks";
}

TEST_F(LockViews, TheSecondLineIsTheArtistOrTheAlbumAfterTheExplicitBadge)
{
    Track track = playing("Title");
    track.album = "The Album";
    track.isExplicit = true;
    model->nowPlaying().track = track;
    model->isScreenLocked = true;
    showCard();
    time.advance(1);
    const auto lines = texts(*tree);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Title");
    EXPECT_EQ(lines[1], "The Album");  // the scrubber's labels follow
    // The badge comes before the album on the same line.
    const auto all = drawnItems(*tree);
    const auto album = std::find_if(all.begin(), all.end(), [](const DrawnItem &i) { return i.text == "The Album"; });
    const auto badge = std::find_if(all.begin(), all.end(), [](const DrawnItem &i) { return i.text == "e.square.fill"; });
    ASSERT_NE(badge, all.end());
    ASSERT_NE(album, all.end());
    EXPECT_LT(badge->rect.right(), album->rect.x());
    EXPECT_NEAR(badge->rect.center().y(), album->rect.center().y(), 1);

    track.album.clear();
    model->nowPlaying().track = track;
    time.advance(1);
    EXPECT_EQ(texts(*tree).front(), "Title") << "an empty second line stays";
}

// A title, artist or album of any length: the card keeps its width and place, its buttons and
// scrubber stay where a short name leaves them, and nothing it draws or offers the pointer leaves it.
TEST_F(LockViews, NamesOfAnyLengthKeepTheCardAndItsControlsInPlace)
{
    model->isScreenLocked = true;
    auto placesOf = [&](const std::string &title, const std::string &artist, const std::string &album) {
        Track track = playing(title);
        track.artist = artist;
        track.album = album;
        track.isExplicit = true;
        track.duration = 200;
        model->nowPlaying().track = track;
        showCard();
        time.advance(1);
        std::vector<std::pair<QString, QRectF>> places;
        for (const DrawnItem &i : visible(*tree, DrawnItem::Kind::control))
            places.emplace_back(i.text, i.rect);
        return places;
    };
    const auto reference = placesOf("Song", "Band", "Album");
    ASSERT_GE(reference.size(), 4u);  // three transport buttons and the scrubber
    const QRectF card = LockScreenView::frameInWindow(QSizeF(LockScreenView::cardWidth, 0), QSizeF(400, 240));
    for (const int length : test::textLengths) {
        const std::string name = test::wordsOfLength(length).toStdString();
        for (const auto &[title, artist, album] : std::vector<std::array<std::string, 3>>{
                 {name, "Band", "Album"}, {"Song", name, "Album"}, {"Song", "", name}, {name, name, name}}) {
            SCOPED_TRACE(testing::Message() << length << " characters in \"" << title.substr(0, 10) << "\" / \""
                                            << artist.substr(0, 10) << "\" / \"" << album.substr(0, 10) << "\"");
            EXPECT_EQ(placesOf(title, artist, album), reference);
            for (const std::string &line : test::outside(*tree, QRectF(card.x(), 0, card.width(), 240)))
                ADD_FAILURE() << line << " outside the card";
        }
    }
}
