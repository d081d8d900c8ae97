#include "Model/IslandTestSupport.h"

#include "Updater/SimUpdater.h"
#include "Updater/UpdateNotes.h"
#include "Updater/Views/UpdateBadge.h"
#include "Updater/Views/UpdateIslandView.h"

#include "Island/LongTextSupport.h"
#include "SigningKeySupport.h"

#include <QTemporaryDir>

using namespace vesk;
using namespace vesk::test;
using Phase = Updater::Phase;

namespace {

// The card and badge over a primary island (notch 185 x 33, open 345 wide) and an updater of our
// own whose release verifies and waits.
class UpdateViewsTest : public PlatformTest {
protected:
    UpdateViewsTest()
    {
        world.bundle.setBuild("1");
        Updater::Config c = world.config(cache.path().toStdString());
        c.publicKey = key.publicBase64();
        updater = std::make_unique<Updater>(std::move(c));
        Updater::setShared(updater.get());
        model = settledPrimary();
        model->updateNotch(plug(laptop()), IslandStyle::notch, false);  // a 185 x 33 island
    }
    ~UpdateViewsTest() override
    {
        model.reset();
        Updater::setShared(nullptr);
    }
    void release()
    {
        const QByteArray archive(100, 'a');
        const QUrl url(QStringLiteral("https://vesk.example/Vesk-2.tar.gz"));
        const nlohmann::json manifest = {{"version", "1.1"},
                                         {"build", 2},
                                         {"url", url.toString().toStdString()},
                                         {"sha256", hexDigest(sha256Digest(archive.toStdString()))},
                                         {"signature", key.signDigestOf(archive)},
                                         {"notes", {"Faster start"}}};
        world.transport->serve(QUrl(QStringLiteral("https://vesk.example/update.json")),
                               {SimUpdateTransport::Reply::Kind::body, QByteArray::fromStdString(manifest.dump())});
        world.transport->serve(url, {SimUpdateTransport::Reply::Kind::body, archive});
        updater->check(false);
        time.flush();
        ASSERT_EQ(updater->phase().peek(), Phase::ready("1.1"));
    }

    SimUpdaterWorld world;
    QTemporaryDir cache;
    SigningKey key;
    std::unique_ptr<Updater> updater;
    std::shared_ptr<NotchViewModel> model;
};

TEST_F(UpdateViewsTest, TextsBySituation)
{
    release();
    updater->setWhatsNew(Updater::WhatsNew{"1.0", {"A"}});  // both at once: the what's-new first
    auto t = UpdateIslandView::texts(*updater);
    EXPECT_EQ(t.title, "You're on Vesk 1.0.");
    EXPECT_EQ(t.left, "All patch notes");
    EXPECT_EQ(t.right, "Nice");
    updater->setWhatsNew(std::nullopt);
    t = UpdateIslandView::texts(*updater);
    EXPECT_EQ(t.title, "Vesk 1.1 is here.");
    EXPECT_EQ(t.left, "Later");
    EXPECT_EQ(t.right, "Restart now");
    updater->install();
    t = UpdateIslandView::texts(*updater);
    EXPECT_EQ(t.title, "Updating Vesk\u2026");
    EXPECT_TRUE(t.left.isEmpty() && t.right.isEmpty());
    EXPECT_EQ(UpdateIslandView::subtitle(*updater, true, time.wallNow()), "Vesk will be right back.");
}

TEST_F(UpdateViewsTest, TheCountdownPostsTheInstallOnceAndNeverRunsIt)
{
    release();
    const double at = *updater->installsAt().peek();
    EXPECT_EQ(UpdateIslandView::subtitle(*updater, false, at - 8), "Restarting to update in 8 s.");
    EXPECT_EQ(UpdateIslandView::subtitle(*updater, false, at - 0.2), "Restarting to update in 1 s.");
    EXPECT_EQ(updater->phase().peek(), Phase::ready("1.1"));
    EXPECT_EQ(UpdateIslandView::subtitle(*updater, false, at + 0.5), "Restarting to update in 0 s.");
    EXPECT_EQ(updater->phase().peek(), Phase::ready("1.1"));  // posted, not run in the render
    time.flush();
    EXPECT_EQ(updater->phase().peek(), Phase::installing("1.1"));
    time.advance(8);  // the scheduled restart finds the install under way
    EXPECT_EQ(world.swaps.size(), 0u);  // the simulated bundle has no folder: the folder message
    EXPECT_EQ(world.opened.size(), 1u);
}

TEST_F(UpdateViewsTest, WithoutACountdownTheCardWaits)
{
    release();
    updater->postpone();
    EXPECT_EQ(UpdateIslandView::subtitle(*updater, false, time.wallNow()), "Ready to install.");
    time.flush();
    EXPECT_EQ(updater->phase().peek(), Phase::ready("1.1"));
}

TEST_F(UpdateViewsTest, TheNotesParagraphAndTheIslandAgree)
{
    EXPECT_EQ(updateNotesParagraph({"Faster start", "Fixes.", "Wow!"}), "Faster start. Fixes. Wow!.");
    EXPECT_EQ(updateNotesParagraph({}), "");
    updater->showReady("1.1", std::nullopt, false);
    EXPECT_EQ(model->size(), (Size{400, 33 + 106}));
    const std::vector<std::string> longNotes(5, "A long note that takes most of a line of the card by itself");
    updater->setNotes(longNotes);
    const double lines = kit::measureText(updateNotesParagraph(longNotes), updateNotesFont(), 356).height();
    const double three = kit::measureText(updateNotesParagraph(longNotes), updateNotesFont(), 356, 3).height();
    EXPECT_GT(lines, three);
    EXPECT_EQ(model->size().height, 33 + 106 + 10 + three);
}

TEST_F(UpdateViewsTest, BadgePlacement)
{
    ASSERT_EQ(model->notchSize(), (Size{185, 33}));
    ASSERT_EQ(model->openSize().width, 345);
    const auto notch = UpdateBadge::placement(*model);
    EXPECT_EQ(notch.top, 6.5);
    EXPECT_EQ(notch.trailing, 30);
    model->updateNotch(screens.screens().front(), IslandStyle::pill, false);  // the floating capsule
    const auto pill = UpdateBadge::placement(*model);
    EXPECT_EQ(pill.top, 6);
    EXPECT_EQ(pill.trailing, 18);
}

TEST_F(UpdateViewsTest, TheBadgeShowsOnlyWhileDownloadingOrReady)
{
    const kit::Env env;
    UpdateBadge badge{model.get(), updater.get()};
    for (Phase phase : {Phase::idle(), Phase::checking(), Phase::installing("1.1"), Phase::failed("x")}) {
        updater->setPhase(phase);
        EXPECT_TRUE(badge.body(env).isEmpty()) << phase.caseName();
    }
    for (Phase phase : {Phase::downloading("1.1", 0), Phase::ready("1.1")}) {
        updater->setPhase(phase);
        EXPECT_FALSE(badge.body(env).isEmpty()) << phase.caseName();
    }
    updater->setPhase(Phase::downloading("1.1", 0.5));
    kit::view(badge);
    updater->install();  // a click while downloading does nothing
    EXPECT_EQ(updater->phase().peek(), Phase::downloading("1.1", 0.5));
}

}  // namespace

// A version and notes from the manifest of any length: the card keeps the island's size, the notes
// stop at three lines, and nothing it draws or offers to the pointer leaves the island.
TEST_F(UpdateViewsTest, VersionsAndNotesOfAnyLengthStayInsideTheCard)
{
    for (const bool whatsNew : {false, true}) {
        for (const int length : textLengths) {
            const QString text = wordsOfLength(length);
            SCOPED_TRACE(testing::Message() << (whatsNew ? "what's new" : "ready") << ", " << length << " characters");
            const std::vector<std::string> notes{text.toStdString(), text.toStdString()};
            if (whatsNew) {
                updater->setWhatsNew(Updater::WhatsNew{text.toStdString(), notes});
            } else {
                updater->setWhatsNew(std::nullopt);
                updater->showReady(text.toStdString(), std::nullopt, false);
                updater->setNotes(notes);
            }
            const Size size = model->size();
            EXPECT_EQ(size.width, 400);
            EXPECT_LE(size.height, 33 + 106 + 10 + 3 * kit::lineHeight(updateNotesFont()));
            kit::Tree card{QSizeF(size.width, size.height)};
            card.setRoot(kit::view(UpdateIslandView{model.get(), updater.get()}));
            time.advance(1);
            EXPECT_EQ(card.root()->frame().size(), QSizeF(size.width, size.height));
            for (const std::string &line : outside(card, QRectF(0, 0, size.width, size.height)))
                ADD_FAILURE() << line << " outside the card";
        }
    }
}
