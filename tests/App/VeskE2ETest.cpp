#include "TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {
// The process has installed its handler for `sig` once /proc shows the signal as caught.
bool catches(qint64 pid, int sig)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const auto &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (sig - 1)) & 1;
    }
    return false;
}
}  // namespace

TEST(VeskE2ETest, RunsUntilSigtermAndExitsZero)
{
    QTemporaryDir config;
    QProcess vesk;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    vesk.setProcessEnvironment(env);
    vesk.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
    ASSERT_TRUE(vesk.waitForStarted(10000));
    ASSERT_TRUE(vesk::test::waitFor([&] { return catches(vesk.processId(), SIGTERM); }));
    // Still running: it does not quit by itself.
    EXPECT_EQ(vesk.state(), QProcess::Running);
    ::kill(vesk.processId(), SIGTERM);
    ASSERT_TRUE(vesk.waitForFinished(10000));
    EXPECT_EQ(vesk.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vesk.exitCode(), 0) << vesk.readAllStandardError().toStdString();
}
