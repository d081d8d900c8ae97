// The diagnostics of the real program on the test run's X screen: snapshots on SIGUSR2, the state
// cycle on SIGUSR1, a pill film that ends the program by itself, and no hooks without the folder.
#include "SignalSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The height in pixels of the rows that hold anything drawn (alpha above a trace).
int drawnHeight(const QImage &image)
{
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 8) {
                if (top < 0)
                    top = y;
                bottom = y;
                break;
            }
        }
    }
    return top < 0 ? 0 : bottom - top + 1;
}

class DiagnosticsE2ETest : public ::testing::Test {
protected:
    QProcessEnvironment environment() const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        for (const QString &name : env.keys()) {
            if (name.startsWith(QLatin1String("VESK_")))
                env.remove(name);
        }
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + "/config");
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        return env;
    }
    void start(QProcess &vesk, const QProcessEnvironment &env, int waitForSignal)
    {
        vesk.setProcessEnvironment(env);
        vesk.setWorkingDirectory(home.path());
        vesk.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
        ASSERT_TRUE(vesk.waitForStarted(10000));
        // Signal once the process shows the hook as caught.
        ASSERT_TRUE(vesk::test::waitFor([&] { return vesk::test::catchesSignal(vesk.processId(), waitForSignal); }));
    }
    void signal(QProcess &vesk, int sig)
    {
        EXPECT_TRUE(vesk::test::signalProcess(vesk.processId(), sig));
        // Deliveries close together may merge into one: give each its own moment.
        QThread::msleep(150);
    }
    void stop(QProcess &vesk)
    {
        vesk::test::signalProcess(vesk.processId(), SIGTERM);
        ASSERT_TRUE(vesk.waitForFinished(10000));
    }
    QString snapshots() const { return home.path() + "/snapshots"; }
    QImage islandShot() const { return QImage(snapshots() + "/island.png"); }

    QTemporaryDir home;
};

}  // namespace

TEST_F(DiagnosticsE2ETest, Usr2WritesTheSnapshotsAndFourUsr1OpenTheIsland)
{
    auto env = environment();
    env.insert(QStringLiteral("VESK_DEBUG_DIR"), QStringLiteral("snapshots"));  // from the working directory
    QProcess vesk;
    start(vesk, env, SIGUSR2);
    for (int sig : {SIGUSR1, SIGWINCH, SIGPWR, SIGVTALRM, SIGHUP})
        EXPECT_TRUE(vesk::test::catchesSignal(vesk.processId(), sig)) << "signal " << sig;
    QThread::msleep(1500);  // the island has faded in
    signal(vesk, SIGUSR2);
    ASSERT_TRUE(vesk::test::waitFor([&] {
        return QFile::exists(snapshots() + "/snapshot.png") && QFile::exists(snapshots() + "/island.png")
               && QFile::exists(snapshots() + "/layers.txt");
    })) << QDir(snapshots()).entryList().join(' ').toStdString();
    const QImage closed = islandShot();
    ASSERT_FALSE(closed.isNull());
    EXPECT_FALSE(QImage(snapshots() + "/snapshot.png").isNull());
    QFile layers(snapshots() + "/layers.txt");
    ASSERT_TRUE(layers.open(QIODevice::ReadOnly));
    EXPECT_FALSE(layers.readAll().isEmpty());

    for (int i = 0; i < 4; ++i)
        signal(vesk, SIGUSR1);
    QThread::msleep(1500);  // the opening spring has settled
    QFile::remove(snapshots() + "/island.png");
    signal(vesk, SIGUSR2);
    ASSERT_TRUE(vesk::test::waitFor([&] { return QFile::exists(snapshots() + "/island.png"); }));
    const QImage open = islandShot();
    ASSERT_FALSE(open.isNull());
    EXPECT_GT(drawnHeight(open), 2 * drawnHeight(closed)) << "closed " << drawnHeight(closed) << ", open "
                                                         << drawnHeight(open);
    EXPECT_EQ(vesk.state(), QProcess::Running);
    stop(vesk);
    EXPECT_EQ(vesk.exitCode(), 0);
}

TEST_F(DiagnosticsE2ETest, APillFilmEndsByItselfWithFramesAndItsRecord)
{
    QFile tracks(home.path() + "/tracks.json");
    ASSERT_TRUE(tracks.open(QIODevice::WriteOnly));
    tracks.write(R"([{"title":"Film Track","artist":"Vesk","duration":200}])");
    tracks.close();
    auto env = environment();
    env.insert(QStringLiteral("VESK_DEBUG_DIR"), home.path());
    env.insert(QStringLiteral("VESK_DEBUG_MEDIA"), home.path());
    env.insert(QStringLiteral("VESK_DEBUG_RECORD"), home.path() + "/film");
    env.insert(QStringLiteral("VESK_DEBUG_FILM"), QStringLiteral("pill"));
    QProcess vesk;
    start(vesk, env, SIGUSR2);
    // 2 s until the film starts, 8 s of film, then the record and the end.
    ASSERT_TRUE(vesk.waitForFinished(30000));
    EXPECT_EQ(vesk.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vesk.exitCode(), 0) << vesk.readAllStandardError().toStdString();

    QFile metaFile(home.path() + "/film/meta.json");
    ASSERT_TRUE(metaFile.open(QIODevice::ReadOnly));
    const QJsonObject meta = QJsonDocument::fromJson(metaFile.readAll()).object();
    const QJsonArray times = meta["islandTimes"].toArray();
    ASSERT_GT(times.size(), 1);
    EXPECT_TRUE(meta["lockTimes"].toArray().isEmpty());
    const QStringList frames = QDir(home.path() + "/film/island").entryList({"*.png"}, QDir::Files, QDir::Name);
    EXPECT_EQ(frames.size(), times.size());
    EXPECT_EQ(frames.front(), QStringLiteral("f00000.png"));
    EXPECT_FALSE(QImage(home.path() + "/film/island/" + frames.back()).isNull());
    EXPECT_TRUE(QDir(home.path() + "/film/lock").entryList(QDir::Files).isEmpty());
    EXPECT_GT(meta["scale"].toDouble(), 0);
    EXPECT_EQ(meta["windowWidth"].toDouble(), 760);
    const double span = times.last().toDouble() - times.first().toDouble();
    const double fps = (times.size() - 1) / span;
    std::cout << "pill film: " << times.size() << " frames in " << span << " s, " << fps << " frames a second\n";
    ::testing::Test::RecordProperty("framesPerSecond", QString::number(fps, 'f', 1).toStdString());
    EXPECT_GT(span, 7.5);
    EXPECT_LT(span, 8.05);
}

TEST_F(DiagnosticsE2ETest, WithoutTheFolderUsr2EndsTheProcess)
{
    QProcess vesk;
    start(vesk, environment(), SIGTERM);
    EXPECT_FALSE(vesk::test::catchesSignal(vesk.processId(), SIGUSR2));
    ASSERT_TRUE(vesk::test::signalProcess(vesk.processId(), SIGUSR2));
    ASSERT_TRUE(vesk.waitForFinished(10000));
    EXPECT_EQ(vesk.exitStatus(), QProcess::CrashExit);
}
