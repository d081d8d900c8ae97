#include "SignalSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

// Each test runs its Vesk in a folder of its own, so instances of parallel tests never meet.
class VeskE2ETest : public ::testing::Test {
protected:
    QTemporaryDir home;
    QProcessEnvironment environment() const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + "/config");
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        return env;
    }
    void start(QProcess &vesk)
    {
        vesk.setProcessEnvironment(environment());
        vesk.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
        ASSERT_TRUE(vesk.waitForStarted(10000));
        ASSERT_TRUE(vesk::test::waitFor([&] { return vesk::test::catchesSignal(vesk.processId(), SIGTERM); }));
    }
};

TEST_F(VeskE2ETest, RunsUntilSigtermAndExitsZero)
{
    QProcess vesk;
    start(vesk);
    // Still running: it does not quit by itself.
    EXPECT_EQ(vesk.state(), QProcess::Running);
    vesk::test::signalProcess(vesk.processId(), SIGTERM);
    ASSERT_TRUE(vesk.waitForFinished(10000));
    EXPECT_EQ(vesk.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vesk.exitCode(), 0) << vesk.readAllStandardError().toStdString();
}

TEST_F(VeskE2ETest, ASecondStartHandsOverAndExitsZero)
{
    QProcess first;
    start(first);
    // The first instance listens once its socket exists.
    ASSERT_TRUE(vesk::test::waitFor([&] {
        return !QDir(home.path()).entryList({QStringLiteral("vesk*.socket")}, QDir::System).isEmpty();
    }));
    QProcess second;
    second.setProcessEnvironment(environment());
    second.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    QByteArray log;
    EXPECT_TRUE(vesk::test::waitFor([&] {
        log += first.readAllStandardError();
        return log.contains("Vesk: asked to reopen by a second start");
    })) << log.toStdString();
    vesk::test::signalProcess(first.processId(), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);
}
