#include "UpdaterTestSupport.h"

#include "TestSupport.h"
#include "Updater/UpdateTexts.h"

#include <QFile>

using namespace vesk;
using namespace vesk::test;
using Phase = Updater::Phase;
using Kind = SimUpdateTransport::Reply::Kind;

namespace {

class UpdaterTest : public UpdaterFixture {
protected:
    // Every progress the downloading phase shows, in order.
    Connection recordProgress(std::vector<double> &progress)
    {
        return updater().phase().observe([this, &progress] {
            if (updater().phase().peek().kind == Phase::Case::downloading)
                progress.push_back(updater().phase().peek().progress);
        });
    }
};

TEST_F(UpdaterTest, BuildOneNeverChecksWithoutTheDebugSwitch)
{
    bundle.setBuild("1");
    serveRelease();
    updater().start();
    time.advance(6 * 3600 + 1);
    wake();
    time.flush();
    EXPECT_EQ(updater().requestCount(), 0);
    EXPECT_FALSE(updater().isStarted());
    EXPECT_EQ(updater().phase().peek(), Phase::idle());
}

TEST_F(UpdaterTest, AnyDebugSwitchValueStartsChecksAtBuildOne)
{
    bundle.setBuild("1");
    debugSwitch = "";
    updater().start();
    EXPECT_EQ(updater().requestCount(), 1);  // at once: automatic updates are on
    time.flush();
    EXPECT_EQ(updater().phase().peek(), Phase::idle());  // an unserved manifest fails quietly
    time.advance(6 * 3600);
    EXPECT_EQ(updater().requestCount(), 2);
    wake();
    EXPECT_EQ(updater().requestCount(), 3);
}

TEST_F(UpdaterTest, TimerAndWakeReadTheSettingWhenTheyFire)
{
    const Setting<bool> automatic = boolSetting("automaticUpdates"), install = boolSetting("installUpdatesAutomatically");
    UserDefaults::standard().set(automatic, true);
    updater().useSettings({automatic, install});
    updater().start();
    time.flush();
    EXPECT_EQ(updater().requestCount(), 1);
    UserDefaults::standard().set(automatic, false);
    time.advance(6 * 3600);
    wake();
    EXPECT_EQ(updater().requestCount(), 1);
    UserDefaults::standard().set(automatic, true);
    wake();
    EXPECT_EQ(updater().requestCount(), 2);
}

TEST_F(UpdaterTest, RequestsNameTheVersionAndIgnoreCaches)
{
    bundle.setVersion(nlohmann::json(3));  // not text: "1.0"
    updater().check(false);
    ASSERT_EQ(transport->requests().size(), 1u);
    EXPECT_EQ(transport->requests()[0].url, manifestUrl);
    EXPECT_EQ(transport->requests()[0].userAgent, "Vesk/1.0");
    EXPECT_EQ(transport->requests()[0].timeout, 20);
}

TEST_F(UpdaterTest, OutcomesOfAChecksByWhoAsked)
{
    updater().check(false);
    EXPECT_EQ(updater().phase().peek(), Phase::checking());
    time.flush();
    EXPECT_EQ(updater().phase().peek(), Phase::idle());
    updater().check(true);
    time.flush();
    EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::noConnection));

    transport->serve(manifestUrl, {Kind::body, "<html>502 Bad Gateway</html>"});
    updater().check(true);
    time.flush();
    EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::noConnection));

    const QByteArray archive(10, 'x');
    serveManifest(manifestFor(archive, key, 5));  // our own build
    updater().check(true);
    time.flush();
    EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::upToDate));
    updater().check(false);
    time.flush();
    EXPECT_EQ(updater().phase().peek(), Phase::idle());
}

TEST_F(UpdaterTest, ChecksNeverOverlap)
{
    transport->serve(manifestUrl, {Kind::stall, {}});
    updater().check(false);
    updater().check(true);
    EXPECT_EQ(updater().requestCount(), 1);
    time.advance(20);  // the manifest's timeout
    EXPECT_EQ(updater().phase().peek(), Phase::idle());

    updater().showReady("1.2", std::nullopt, false);
    updater().check(false);
    EXPECT_EQ(updater().requestCount(), 1);  // an automatic check leaves a waiting update alone
    updater().check(true);
    EXPECT_EQ(updater().requestCount(), 2);
    updater().check(true);
    EXPECT_EQ(updater().requestCount(), 2);
}

TEST_F(UpdaterTest, AVerifiedArchiveWaitsWithItsNotesAndACountdown)
{
    const QByteArray archive = serveRelease();
    updater().showReady("1.1", std::nullopt, true);
    updater().setPhase(Phase::idle());  // an earlier version was postponed
    std::vector<double> progress;
    auto watch = recordProgress(progress);
    updater().check(false);
    time.flush();
    EXPECT_EQ(progress, (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(updater().phase().peek(), Phase::ready("1.2"));
    EXPECT_EQ(updater().downloadedImage().peek(), archivePath());
    EXPECT_EQ(updater().notes().peek(), (std::vector<std::string>{"Faster start", "Fixes"}));
    EXPECT_FALSE(updater().isPostponed().peek());
    EXPECT_TRUE(updater().wantsIsland().peek());
    EXPECT_EQ(updater().installsAt().peek(), time.wallNow() + 8);
    EXPECT_EQ(updateFiles(), QStringList{"Vesk-6.tar.gz"});
    QFile file(QString::fromStdString(archivePath()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), archive);
}

TEST_F(UpdaterTest, WithoutALengthProgressStaysAtZero)
{
    const QByteArray archive(4000, 'v');
    serveManifest(manifestFor(archive, key));
    serveArchive(archive, Kind::noLength);
    std::vector<double> progress;
    auto watch = recordProgress(progress);
    updater().check(false);
    time.flush();
    EXPECT_EQ(progress, std::vector<double>{0});
    EXPECT_EQ(updater().phase().peek(), Phase::ready("1.2"));
}

TEST_F(UpdaterTest, RejectedArchivesLeaveNoFile)
{
    const QByteArray archive(4000, 'v');
    auto manifest = manifestFor(archive, key);
    struct Case {
        const char *what;
        std::function<void()> prepare;
        Phase manual;  // the outcome of a user's check
    };
    const std::vector<Case> cases = {
        {"digest in capitals",
         [&] {
             auto m = manifest;
             m["sha256"] = QByteArray::fromStdString(hexOf(archive)).toUpper().toStdString();
             serveManifest(m);
             serveArchive(archive);
         },
         Phase::failed(update_texts::notVerified)},
        {"signed over the hex text",
         [&] {
             auto m = manifest;
             m["signature"] = key.sign(QByteArray::fromStdString(hexOf(archive)));
             serveManifest(m);
             serveArchive(archive);
         },
         Phase::failed(update_texts::notVerified)},
        {"another key",
         [&] {
             SigningKey other;
             auto m = manifest;
             m["signature"] = other.signDigestOf(archive);
             serveManifest(m);
             serveArchive(archive);
         },
         Phase::failed(update_texts::notVerified)},
        {"complete body of another length than size",
         [&] {
             auto m = manifest;
             m["size"] = 5000;
             serveManifest(m);
             serveArchive(archive);
         },
         Phase::failed(update_texts::notVerified)},
        {"body beyond size",
         [&] {
             auto m = manifestFor(archive + "more", key);
             m["size"] = 4000;
             serveManifest(m);
             serveArchive(archive + "more");
         },
         Phase::failed(update_texts::noConnection)},
        {"cut off",
         [&] {
             serveManifest(manifest);
             transport->serve(archiveUrl, {Kind::body, archive.left(3000), 1000, 4000});
         },
         Phase::failed(update_texts::noConnection)},
        {"server error",
         [&] {
             serveManifest(manifest);
             transport->serve(archiveUrl, {Kind::error, {}});
         },
         Phase::failed(update_texts::noConnection)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare();
        updater().check(true);
        time.flush();
        EXPECT_EQ(updater().phase().peek(), c.manual);
        EXPECT_EQ(updater().downloadedImage().peek(), std::nullopt);
        EXPECT_EQ(updateFiles(), QStringList{});
    }
}

TEST_F(UpdaterTest, ADownloadThatStopsSendingFailsAfterAMinute)
{
    const QByteArray archive(4000, 'v');
    serveManifest(manifestFor(archive, key));
    transport->serve(archiveUrl, {Kind::stall, {}});
    updater().check(true);
    time.flush();
    EXPECT_EQ(updater().phase().peek(), Phase::downloading("1.2", 0));
    time.advance(59);
    EXPECT_EQ(updater().phase().peek().kind, Phase::Case::downloading);
    time.advance(1);
    EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::noConnection));
    EXPECT_EQ(updateFiles(), QStringList{});
}

TEST_F(UpdaterTest, ATrickleCannotHoldATransferForEver)
{
    // A byte every 2 s keeps the watchdog happy; the whole transfer still has its deadline, after
    // which "Check Now" works again.
    const QByteArray archive(4000, 'v');
    const QByteArray manifest = QByteArray::fromStdString(manifestFor(archive, key).dump());
    transport->serve(manifestUrl, {Kind::body, manifest, 1, -1, 2});
    updater().check(true);
    time.advance(59);
    EXPECT_EQ(updater().phase().peek(), Phase::checking());
    time.advance(1);
    EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::noConnection));
    EXPECT_EQ(transport->openTransfers(), 0);

    struct Case {
        const char *what;
        nlohmann::json manifest;
        SimUpdateTransport::Reply::Kind kind;
        qint64 announced;
        double deadline;  // 60 s of grace plus the size at 64 KiB/s
    };
    auto unsized = manifestFor(archive, key);
    unsized.erase("size");
    const std::vector<Case> cases = {
        {"sized by the manifest", manifestFor(archive, key), Kind::body, -1, 60 + 4000 / 65536.0},
        {"sized by the announced length", unsized, Kind::body, 3 << 20, 60 + 3 * 16},
        {"sized by nothing but the cap", unsized, Kind::noLength, -1, 60 + 512 * 16},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        serveManifest(c.manifest);
        transport->serve(archiveUrl, {c.kind, archive, 1, c.announced, 3});
        updater().check(true);
        time.advance(0);
        const double started = time.now();
        time.advance(c.deadline - 0.01);
        EXPECT_EQ(updater().phase().peek().kind, Phase::Case::downloading);
        time.advance(0.02);
        EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::noConnection));
        EXPECT_NEAR(time.now() - started, c.deadline, 0.02);
        EXPECT_EQ(updateFiles(), QStringList{});
        EXPECT_EQ(transport->openTransfers(), 0);
    }
}

TEST_F(UpdaterTest, APlantedLinkAtTheDownloadNameIsReplacedNotFollowed)
{
    const QByteArray archive = serveRelease();
    QDir(home.path()).mkdir("updates");
    const QString precious = home.path() + "/precious";
    {
        QFile file(precious);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    ASSERT_TRUE(QFile::link(precious, QString::fromStdString(archivePath()) + ".part"));
    updater().check(true);
    time.flush();
    EXPECT_EQ(updater().phase().peek(), Phase::ready("1.2"));
    QFile file(precious);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep me");
    EXPECT_EQ(updateFiles(), QStringList{"Vesk-6.tar.gz"});
}

TEST_F(UpdaterTest, StartingRemovesWhatAKilledInstallLeft)
{
    const QString parent = home.path() + "/Apps";
    QDir().mkpath(parent + "/Vesk");
    QDir().mkpath(parent + "/.Vesk-unpack-5a1e/Vesk/bin");
    QDir().mkpath(parent + "/.Vesk-update/bin");
    QFile info(parent + "/Vesk/Info.json");
    ASSERT_TRUE(info.open(QIODevice::WriteOnly));
    info.write(QByteArray::fromStdString(
        nlohmann::json{{"identifier", BundleInfo::identifier}, {"version", "1.0"}, {"build", "5"}}.dump()));
    info.close();
    bundle.setPath((parent + "/Vesk").toStdString());
    CapturedLog log;
    updater().start();
    time.flush();
    EXPECT_EQ(QDir(parent).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"Vesk"});
}

TEST_F(UpdaterTest, ProgressMovesOnlyItsOwnDownload)
{
    serveRelease();
    std::vector<Phase> seen;
    auto watch = updater().phase().observe([&] {
        seen.push_back(updater().phase().peek());
        if (seen.back() == Phase::downloading("1.2", 0.25))
            updater().setPhase(Phase::failed("elsewhere"));  // the phase moved on meanwhile
    });
    updater().check(false);
    time.flush();
    // No later report turned the phase back into a download; the verified outcome still lands.
    EXPECT_EQ(seen, (std::vector<Phase>{Phase::checking(), Phase::downloading("1.2", 0), Phase::downloading("1.2", 0.25),
                                        Phase::failed("elsewhere"), Phase::ready("1.2")}));
}

TEST_F(UpdaterTest, AUserCheckFromReadyThatFindsNothingNewerWaitsAgain)
{
    serveRelease();
    updater().check(false);
    time.flush();
    ASSERT_EQ(updater().phase().peek(), Phase::ready("1.2"));
    const auto image = updater().downloadedImage().peek();

    // The server now says our build is the newest, and answers only after the countdown ran out.
    transport->serve(manifestUrl, {Kind::stall, {}});
    time.advance(7);
    updater().check(true);
    time.advance(2);  // the automatic restart fell due while checking, and did nothing
    EXPECT_EQ(updater().phase().peek(), Phase::checking());
    EXPECT_EQ(swaps.size(), 0u);
    time.advance(18);  // the check times out
    EXPECT_EQ(updater().phase().peek(), Phase::ready("1.2"));
    EXPECT_EQ(updater().downloadedImage().peek(), image);
    EXPECT_EQ(updater().notes().peek(), (std::vector<std::string>{"Faster start", "Fixes"}));
    EXPECT_EQ(updater().installsAt().peek(), time.wallNow() + 8);  // the countdown starts over
    time.advance(8);
    EXPECT_EQ(updater().phase().peek(), Phase::installing("1.2"));
}

TEST_F(UpdaterTest, AUserCheckFromReadyWithAFailedVerificationWaitsAgain)
{
    const QByteArray archive = serveRelease();
    UserDefaults::standard().set(boolSetting("installUpdatesAutomatically"), false);
    updater().useSettings({boolSetting("automaticUpdates"), boolSetting("installUpdatesAutomatically")});
    updater().check(true);
    time.flush();
    ASSERT_EQ(updater().phase().peek(), Phase::ready("1.2"));
    EXPECT_EQ(updater().installsAt().peek(), std::nullopt);
    auto bad = manifestFor(archive, key);
    bad["signature"] = key.sign("something else");
    serveManifest(bad);
    updater().check(true);
    time.flush();
    EXPECT_EQ(updater().phase().peek(), Phase::ready("1.2"));
    EXPECT_EQ(updateFiles(), QStringList{"Vesk-6.tar.gz"});  // the waiting archive is kept
    EXPECT_EQ(updater().installsAt().peek(), std::nullopt);
}

TEST_F(UpdaterTest, PostponeAndInstallGuards)
{
    serveRelease();
    updater().check(false);
    time.flush();
    time.advance(3);
    updater().postpone();
    EXPECT_EQ(updater().installsAt().peek(), std::nullopt);
    EXPECT_TRUE(updater().isPostponed().peek());
    EXPECT_FALSE(updater().wantsIsland().peek());
    time.advance(60);
    EXPECT_EQ(updater().phase().peek(), Phase::ready("1.2"));  // nothing installs by itself

    for (Phase phase : {Phase::idle(), Phase::downloading("1.2", 0.5), Phase::failed("x")}) {
        updater().setPhase(phase);
        updater().install();
        EXPECT_EQ(updater().phase().peek(), phase);
    }
    updater().showReady("1.3", time.wallNow() + 3600, false);  // no image
    updater().install();
    EXPECT_EQ(updater().phase().peek(), Phase::ready("1.3"));
    EXPECT_EQ(UserDefaults::standard().object(Updater::pendingWhatsNewKey), std::nullopt);
}

TEST_F(UpdaterTest, InstallSavesTheWhatsNewAndFailsOutsideABundle)
{
    serveRelease();
    updater().check(false);
    time.flush();
    time.advance(8);
    EXPECT_EQ(updater().phase().peek(), Phase::installing("1.2"));
    EXPECT_FALSE(updater().wantsIsland().peek());
    EXPECT_EQ(*UserDefaults::standard().object(Updater::pendingWhatsNewKey),
              (nlohmann::json{{"version", "1.2"}, {"notes", {"Faster start", "Fixes"}}}));
    time.advance(0.6);
    EXPECT_TRUE(opened.empty());  // the install waits 0.65 s first
    time.advance(0.1);
    // The simulated bundle has no folder: not ours to replace, so the archive goes to the user.
    EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::cannotUpdateHere));
    EXPECT_EQ(opened, std::vector<std::string>{archivePath()});
    EXPECT_EQ(quits, 0);
    updater().install();  // a failed install is not retried
    EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::cannotUpdateHere));
}

TEST_F(UpdaterTest, ThePendingWhatsNewIsReadOnceWhateverItsShape)
{
    struct Case {
        nlohmann::json stored;
        bool removed;
        std::optional<Updater::WhatsNew> shown;
    };
    const std::vector<Case> cases = {
        {{{"version", "1.0"}, {"notes", {"A", "B"}}}, true, Updater::WhatsNew{"1.0", {"A", "B"}}},
        {{{"version", "1.0"}, {"notes", "A"}}, true, Updater::WhatsNew{"1.0", {}}},
        {{{"version", "1.0"}, {"notes", {"A", 2}}}, true, Updater::WhatsNew{"1.0", {}}},
        {{{"version", "1.0"}}, true, Updater::WhatsNew{"1.0", {}}},
        {{{"version", "0.9"}, {"notes", {"A"}}}, true, std::nullopt},
        {{{"version", 1.0}}, false, std::nullopt},
        {{{"notes", {"A"}}}, false, std::nullopt},
        {"1.0", false, std::nullopt},
        {nlohmann::json::array({"1.0"}), false, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stored.dump());
        UserDefaults::standard().set(Updater::pendingWhatsNewKey, c.stored);
        Updater fresh(config());
        EXPECT_EQ(UserDefaults::standard().object(Updater::pendingWhatsNewKey).has_value(), !c.removed);
        time.advance(1.5);
        EXPECT_EQ(fresh.whatsNew().peek(), std::nullopt);
        time.advance(0.2);
        EXPECT_EQ(fresh.whatsNew().peek(), c.shown);
        EXPECT_EQ(fresh.wantsIsland().peek(), c.shown.has_value());
        UserDefaults::standard().remove(Updater::pendingWhatsNewKey);
    }
}

TEST_F(UpdaterTest, DebugSwitchStates)
{
    debugSwitch = "whatsnew";
    {
        Updater u(config());
        EXPECT_EQ(u.whatsNew().peek(), (Updater::WhatsNew{"1.0", Updater::sampleNotes()}));
        EXPECT_TRUE(u.wantsIsland().peek());
    }
    for (const char *value : {"ready", "later"}) {
        debugSwitch = value;
        Updater u(config());
        const bool later = std::string(value) == "later";
        EXPECT_EQ(u.phase().peek(), Phase::ready("1.0.6"));
        EXPECT_EQ(u.notes().peek(), Updater::sampleNotes());
        EXPECT_EQ(u.installsAt().peek(), time.wallNow() + 3600);
        EXPECT_EQ(u.isPostponed().peek(), later);
        EXPECT_EQ(u.wantsIsland().peek(), !later);
        u.install();
        EXPECT_EQ(u.phase().peek(), Phase::ready("1.0.6"));  // nothing downloaded to install
    }
    debugSwitch = "check";
    Updater u(config());
    EXPECT_EQ(u.phase().peek(), Phase::idle());
    EXPECT_FALSE(u.wantsIsland().peek());
}

TEST_F(UpdaterTest, WhatsNewNotifiesOnEveryAssignment)
{
    int changes = 0;
    auto tracking = trackObservation([&] { (void)updater().whatsNew().get(); }, [&] { ++changes; });
    updater().setWhatsNew(std::nullopt);
    EXPECT_EQ(changes, 1);
}

TEST_F(UpdaterTest, AnUnsafeUpdatesFolderFailsTheDownload)
{
    serveRelease();
    ASSERT_TRUE(QFile::link(home.path() + "/elsewhere", home.path() + "/updates"));
    ASSERT_TRUE(QDir(home.path()).mkdir("elsewhere"));
    CapturedLog log;
    updater().check(true);
    time.flush();
    EXPECT_EQ(updater().phase().peek(), Phase::failed(update_texts::noConnection));
    EXPECT_EQ(QDir(home.path() + "/elsewhere").entryList(QDir::Files), QStringList{});
    ASSERT_EQ(log.lines.size(), 1u);
}

}  // namespace
