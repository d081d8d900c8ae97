#include "DiagnosticsTestSupport.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace vesk;
using vesk::test::DiagnosticsTest;

namespace {

// Films a small island window (40 x 20 points at scale 1) so that thousands of frames stay cheap.
class FilmRecorderTest : public DiagnosticsTest {
protected:
    FilmRecorderTest()
    {
        small.setRoot(kit::Fill(kit::Color::white()));
        host.firstIsland = [this]() -> std::optional<DiagnosticsHost::Island> {
            if (!hasIsland)
                return std::nullopt;
            return DiagnosticsHost::Island{{&small, islandVisible, QRect(1040, 25, 40, 20), 1}, QRect(1000, 0, 1920, 1080)};
        };
        // The lock area as the screen shows it: grey pixels of the asked size.
        WindowSnapshot::setGrabber([this](const QRect &frame, double scale) {
            grabbed = frame;
            QImage image(int(frame.width() * scale / 40), int(frame.height() * scale / 40), QImage::Format_RGB32);
            image.fill(Qt::gray);
            return image;
        });
    }

    std::unique_ptr<FilmRecorder> record(const std::string &dir, FilmRecorder::Variant variant)
    {
        return std::make_unique<FilmRecorder>(host, dir, variant);
    }
    std::string filmDir() const { return folder.filePath("film").toStdString(); }
    QStringList frames(const char *sub) const
    {
        return QDir(folder.filePath(QStringLiteral("film/") + sub)).entryList({"*.png"}, QDir::Files, QDir::Name);
    }
    static QStringList expectedNames(size_t count)
    {
        QStringList names;
        for (size_t i = 0; i < count; ++i)
            names << QString::asprintf("f%05zu.png", i);
        return names;
    }
    QJsonObject meta() const
    {
        QFile file(folder.filePath("film/meta.json"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    kit::Tree small{QSizeF(40, 20)};
    QRect grabbed;
};

}  // namespace

TEST_F(FilmRecorderTest, PillFilmRecordsIslandFramesForEightSecondsThenEnds)
{
    const double t0 = time.now();
    auto film = record(filmDir(), FilmRecorder::Variant::pill);
    ASSERT_TRUE(film->isRecording());
    time.advance(7.99);
    EXPECT_FALSE(terminatedAt);
    EXPECT_FALSE(QFile::exists(folder.filePath("film/meta.json")));
    time.advance(0.02);
    ASSERT_TRUE(terminatedAt);
    EXPECT_NEAR(*terminatedAt, t0 + 8.0, 1e-6);
    // Every tick of 1/60 s from 0 to just before 8 s took a frame, numbered without gaps.
    const auto &times = film->islandTimes();
    EXPECT_EQ(times.size(), 480u);
    EXPECT_EQ(times.front(), 0);
    EXPECT_NEAR(times[60], 1.0, 1e-6);
    EXPECT_EQ(frames("island"), expectedNames(times.size()));
    EXPECT_TRUE(frames("lock").isEmpty());
    EXPECT_TRUE(QDir(folder.filePath("film/lock")).exists());
    const QJsonObject record = meta();
    EXPECT_EQ(record["islandTimes"].toArray().size(), qsizetype(times.size()));
    EXPECT_TRUE(record["lockTimes"].isArray());
    EXPECT_TRUE(record["lockTimes"].toArray().isEmpty());
    EXPECT_EQ(record["scale"].toDouble(), 1);
    EXPECT_EQ(record["windowX"].toDouble(), 40);
    EXPECT_EQ(record["windowY"].toDouble(), 25);
    EXPECT_EQ(record["windowWidth"].toDouble(), 40);
    EXPECT_EQ(record["screenWidth"].toDouble(), 1920);
    // Every frame it lists was complete before it was written.
    for (const QString &name : frames("island"))
        ASSERT_FALSE(QImage(folder.filePath("film/island/" + name)).isNull()) << name.toStdString();
}

TEST_F(FilmRecorderTest, PillScriptPlaysTheFirstTrackAndRunsTheTimerForAWhile)
{
    auto film = record(filmDir(), FilmRecorder::Variant::pill);
    time.advance(3.6);
    EXPECT_TRUE(model->countdown().isRunning().peek());
    EXPECT_EQ(model->countdown().duration().peek(), 300);
    time.advance(3.5);
    EXPECT_FALSE(model->countdown().isRunning().peek());
    EXPECT_EQ(model->countdown().banked().peek(), 0);
}

TEST_F(FilmRecorderTest, FailedCapturesLeaveNoGapInTheNumbers)
{
    auto film = record(filmDir(), FilmRecorder::Variant::pill);
    time.advance(1);
    const size_t before = film->islandTimes().size();
    islandVisible = false;  // a hidden panel gives no picture
    time.advance(1);
    EXPECT_EQ(film->islandTimes().size(), before);
    islandVisible = true;
    time.advance(6.1);
    EXPECT_LT(film->islandTimes().size(), 480u);
    EXPECT_EQ(frames("island"), expectedNames(film->islandTimes().size()));
    EXPECT_GT(film->islandTimes()[before] - film->islandTimes()[before - 1], 0.99);
}

TEST_F(FilmRecorderTest, AnUnwritableFolderLosesTheFilesButTheFilmEnds)
{
    QFile blocker(folder.filePath("plain-file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto film = record(folder.filePath("plain-file/film").toStdString(), FilmRecorder::Variant::pill);
    time.advance(8.1);
    EXPECT_TRUE(terminatedAt);
    EXPECT_EQ(film->islandTimes().size(), 480u);
}

TEST_F(FilmRecorderTest, WithoutAnIslandNothingIsRecordedAndNothingEnds)
{
    hasIsland = false;
    auto film = record(filmDir(), FilmRecorder::Variant::pill);
    EXPECT_FALSE(film->isRecording());
    time.advance(10);
    EXPECT_FALSE(terminatedAt);
    EXPECT_FALSE(QDir(folder.filePath("film")).exists());
}

TEST_F(FilmRecorderTest, FullFilmSwitchesToLockFramesOverTheBackdropAndBack)
{
    const double t0 = time.now();
    auto film = record(filmDir(), FilmRecorder::Variant::full);
    time.advance(52.49);
    EXPECT_FALSE(film->lockRect());
    EXPECT_TRUE(lockCalls.empty());
    time.advance(0.02);
    ASSERT_TRUE(film->lockRect());
    // The monochrome backdrop's place, bottom centre of the main screen.
    EXPECT_EQ(*film->lockRect(), QRect(960 - 460, 1080 - 600, 920, 600));
    ASSERT_TRUE(film->backdrop());
    EXPECT_TRUE(film->backdrop()->isVisible());
    time.advance(0.3);
    EXPECT_EQ(lockCalls, std::vector<bool>{true});
    time.advance(5.2);
    EXPECT_EQ(lockCalls, (std::vector<bool>{true, false}));
    time.advance(0.8);
    EXPECT_FALSE(film->lockRect());
    EXPECT_FALSE(film->backdrop()->isVisible());
    time.advance(60.5 - (time.now() - t0) + 0.01);
    ASSERT_TRUE(terminatedAt);
    EXPECT_NEAR(*terminatedAt - t0, 60.5, 1e-6);

    for (double t : film->islandTimes())
        EXPECT_FALSE(t > 52.5 && t < 58.8) << "island frame at " << t;
    const auto &locks = film->lockTimes();
    ASSERT_FALSE(locks.empty());
    EXPECT_GE(locks.front(), 52.5);
    EXPECT_LE(locks.back(), 58.8);
    for (size_t i = 1; i < locks.size(); ++i)
        EXPECT_NEAR(locks[i] - locks[i - 1], 2.0 / 60, 1e-6);  // every other tick
    EXPECT_EQ(grabbed, QRect(500, 480, 920, 600));
    EXPECT_EQ(frames("lock"), expectedNames(locks.size()));
    EXPECT_EQ(frames("island"), expectedNames(film->islandTimes().size()));
    EXPECT_EQ(meta()["lockTimes"].toArray().size(), qsizetype(locks.size()));
}

TEST_F(FilmRecorderTest, FullScriptDrivesTheIslandAtItsOffsets)
{
    auto film = record(filmDir(), FilmRecorder::Variant::full);
    time.advance(10.7);
    EXPECT_TRUE(model->isPinnedHovering.peek());
    EXPECT_TRUE(model->isHovering.peek());
    time.advance(0.6);  // 11.3
    EXPECT_TRUE(model->isOpen.peek());
    time.advance(3.4);  // 14.7
    EXPECT_TRUE(model->showsVolume.peek());
    time.advance(3.7);  // 18.4
    EXPECT_FALSE(model->showsVolume.peek());
    time.advance(5.7);  // 24.1
    EXPECT_FALSE(model->isOpen.peek());
    EXPECT_FALSE(model->isPinnedHovering.peek());
    time.advance(1.6);  // 25.7: halfway through the pull
    EXPECT_GT(model->skipDrag().peek(), 0.9);
    EXPECT_LT(model->skipDrag().peek(), 1.15);
    time.advance(0.45);  // 26.15: the pull is complete
    EXPECT_DOUBLE_EQ(model->skipDrag().peek(), 1.15);
    time.advance(0.3);  // 26.45: the skip and the spring back
    EXPECT_EQ(model->skipDrag().peek(), 0);
    time.advance(3.56);  // 30.01: the first step of the volume ramp, on every island
    ASSERT_TRUE(mirror->peek.peek());
    EXPECT_EQ(*mirror->peek.peek(), Peek(Peek::Volume{0.44f, false}));
    time.advance(0.52);  // 30.53: the last
    EXPECT_EQ(*model->peek.peek(), Peek(Peek::Volume{0.69f, false}));
    time.advance(2.0);  // 32.53
    EXPECT_EQ(*model->peek.peek(), Peek(Peek::Brightness{0.81f}));
    time.advance(4.0);  // 36.53
    EXPECT_TRUE(model->countdown().isRunning().peek());
    time.advance(2.5);  // 39.03
    EXPECT_FALSE(model->countdown().isRunning().peek());
    EXPECT_EQ(model->peek.peek()->kind(), Peek::Kind::event);
}

TEST(FilmPull, TheSkipPullEasesOutToItsFullLength)
{
    EXPECT_EQ(FilmRecorder::skipPull(0), 0);
    EXPECT_DOUBLE_EQ(FilmRecorder::skipPull(48), 1.15);
    EXPECT_NEAR(FilmRecorder::skipPull(24), 1.15 * (1 - 0.125), 1e-12);
}

TEST_F(DiagnosticsTest, OnlyExactlyPillChoosesTheShortFilm)
{
    for (const auto &[value, variant] : std::vector<std::pair<const char *, FilmRecorder::Variant>>{
             {"pill", FilmRecorder::Variant::pill}, {"Pill", FilmRecorder::Variant::full},
             {"", FilmRecorder::Variant::full}, {" pill", FilmRecorder::Variant::full}}) {
        DebugDiagnostics diagnostics(host, env({{"VESK_DEBUG_FILM", value}}), recordHooks());
        diagnostics.recordFilm(folder.filePath("film").toStdString());
        ASSERT_TRUE(diagnostics.film());
        EXPECT_EQ(diagnostics.film()->variant(), variant) << value;
    }
}
