// Two starts of Vesk on one display, played out with two SingleInstance objects over the real
// local socket.
#include "App/SingleInstance.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using vesk::SingleInstance;
using vesk::test::ScopedEnv;
using vesk::test::waitFor;

namespace {

class SingleInstanceIntegrationTest : public ::testing::Test {
protected:
    // A start on display :5 that runs without the single-instance check, having said why in one line.
    static void expectUnchecked(const std::string &why)
    {
        vesk::test::CapturedLog log;
        SingleInstance start(QStringLiteral(":5"));
        EXPECT_EQ(start.claim(), SingleInstance::Role::primary);
        EXPECT_EQ(log.lines, std::vector<std::string>{"Vesk: " + why + "; running without the single-instance check"});
    }

    QTemporaryDir runtime;
    ScopedEnv env{"XDG_RUNTIME_DIR", runtime.path().toStdString()};
};

TEST_F(SingleInstanceIntegrationTest, SecondStartHandsReopenToTheFirst)
{
    vesk::test::CapturedLog log;
    SingleInstance first(QStringLiteral(":5"));
    int reopened = 0;
    first.onReopen = [&] { ++reopened; };
    ASSERT_EQ(first.claim(), SingleInstance::Role::primary);
    EXPECT_TRUE(first.socketPath().startsWith(runtime.path()));
    struct stat socket {};
    ASSERT_EQ(::stat(first.socketPath().toLocal8Bit().constData(), &socket), 0);
    EXPECT_TRUE(S_ISSOCK(socket.st_mode));
    EXPECT_EQ(socket.st_mode & 077, 0u) << "only this user may connect";

    SingleInstance second(QStringLiteral(":5"));
    EXPECT_EQ(second.claim(), SingleInstance::Role::secondary);
    EXPECT_TRUE(waitFor([&] { return reopened == 1; }));
    EXPECT_EQ(log.lines, std::vector<std::string>{"Vesk: asked to reopen by a second start"});

    SingleInstance third(QStringLiteral(":5"));
    EXPECT_EQ(third.claim(), SingleInstance::Role::secondary);
    EXPECT_TRUE(waitFor([&] { return reopened == 2; }));
}

TEST_F(SingleInstanceIntegrationTest, EachDisplayHasItsOwnInstance)
{
    SingleInstance one(QStringLiteral(":5"));
    SingleInstance other(QStringLiteral(":6"));
    EXPECT_EQ(one.claim(), SingleInstance::Role::primary);
    EXPECT_EQ(other.claim(), SingleInstance::Role::primary);
    EXPECT_NE(one.socketPath(), other.socketPath());
}

TEST_F(SingleInstanceIntegrationTest, SocketLeftByACrashedInstanceDoesNotBlockAStart)
{
    // A socket file with nobody holding the lock: what a killed instance leaves behind.
    const QString path = SingleInstance(QStringLiteral(":5")).socketPath();
    QFile stale(path);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    SingleInstance next(QStringLiteral(":5"));
    EXPECT_EQ(next.claim(), SingleInstance::Role::primary);
    SingleInstance after(QStringLiteral(":5"));
    EXPECT_EQ(after.claim(), SingleInstance::Role::secondary) << "and it really listens";
}

TEST_F(SingleInstanceIntegrationTest, FinishedInstanceFreesTheDisplay)
{
    QString socketPath;
    {
        SingleInstance first(QStringLiteral(":5"));
        ASSERT_EQ(first.claim(), SingleInstance::Role::primary);
        socketPath = first.socketPath();
        ASSERT_TRUE(QFileInfo::exists(socketPath));
    }
    EXPECT_FALSE(QFileInfo::exists(socketPath)) << "the socket goes with its instance";
    SingleInstance again(QStringLiteral(":5"));
    EXPECT_EQ(again.claim(), SingleInstance::Role::primary);
}

TEST_F(SingleInstanceIntegrationTest, WithoutRuntimeDirectoryEveryStartRuns)
{
    ScopedEnv none("XDG_RUNTIME_DIR", std::nullopt);
    SingleInstance first(QStringLiteral(":5"));
    SingleInstance second(QStringLiteral(":5"));
    EXPECT_EQ(first.claim(), SingleInstance::Role::primary);
    EXPECT_EQ(second.claim(), SingleInstance::Role::primary);
    EXPECT_TRUE(first.socketPath().isEmpty());
}

}  // namespace

TEST_F(SingleInstanceIntegrationTest, UnusableRuntimeFolderRunsAndSaysSo)
{
    // A runtime folder that cannot hold the lock (here: a path through a regular file, which fails
    // for root too) says nothing about another instance.
    const std::string notAFolder = runtime.path().toStdString() + "/file";
    QFile(QString::fromStdString(notAFolder)).open(QIODevice::WriteOnly);
    ScopedEnv unusable("XDG_RUNTIME_DIR", notAFolder + "/run");
    vesk::test::CapturedLog log;
    SingleInstance first(QStringLiteral(":5"));
    EXPECT_EQ(first.claim(), SingleInstance::Role::primary);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("Vesk: cannot open the single-instance lock ", 0), 0u);
}

TEST_F(SingleInstanceIntegrationTest, ClientSendingALongLineIsDropped)
{
    SingleInstance first(QStringLiteral(":5"));
    int reopened = 0;
    first.onReopen = [&] { ++reopened; };
    ASSERT_EQ(first.claim(), SingleInstance::Role::primary);
    QLocalSocket flood;
    flood.connectToServer(first.socketPath());
    ASSERT_TRUE(flood.waitForConnected(5000));
    flood.write(QByteArray(1 << 20, 'x') + "\nreopen\n");
    EXPECT_TRUE(waitFor([&] { return flood.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(reopened, 0);

    SingleInstance second(QStringLiteral(":5"));
    EXPECT_EQ(second.claim(), SingleInstance::Role::secondary);
    EXPECT_TRUE(waitFor([&] { return reopened == 1; }));
}

TEST_F(SingleInstanceIntegrationTest, AFolderOthersMayWriteToIsNotTrusted)
{
    // A shared runtime folder, where another user's lock and socket could stand.
    ASSERT_TRUE(QFile::setPermissions(runtime.path(), QFileDevice::Permissions(0x7777)));
    for (int start = 0; start < 2; ++start)
        expectUnchecked("the runtime folder " + runtime.path().toStdString() + " is not private to this user");
    EXPECT_TRUE(QDir(runtime.path()).isEmpty()) << "neither lock nor socket made there";
}

TEST_F(SingleInstanceIntegrationTest, AnotherUsersLockOrSocketIsNotHandedOver)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making files of another user needs root";
    const uid_t nobody = 65534;
    const QString socketPath = SingleInstance(QStringLiteral(":5")).socketPath();
    const QByteArray lockPath = (socketPath + ".lock").toLocal8Bit();
    {
        // Another user's instance holds its lock.
        const int theirs = ::open(lockPath.constData(), O_CREAT | O_RDWR, 0600);
        ASSERT_GE(theirs, 0);
        ASSERT_EQ(::fchown(theirs, nobody, nobody), 0);
        ASSERT_EQ(::flock(theirs, LOCK_EX), 0);
        expectUnchecked("the single-instance lock " + lockPath.toStdString() + " is not a file of this user");
        ::close(theirs);
        QFile::remove(QString::fromLocal8Bit(lockPath));
    }
    // Our lock is held, but the socket at the name is another user's.
    SingleInstance first(QStringLiteral(":5"));
    int reopened = 0;
    first.onReopen = [&] { ++reopened; };
    ASSERT_EQ(first.claim(), SingleInstance::Role::primary);
    ASSERT_EQ(::chown(socketPath.toLocal8Bit().constData(), nobody, nobody), 0);
    expectUnchecked("the single-instance socket " + socketPath.toStdString() + " belongs to another user");
    QCoreApplication::processEvents();
    EXPECT_EQ(reopened, 0);
}

TEST_F(SingleInstanceIntegrationTest, ALinkAtTheLockIsNotFollowed)
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.path() + "/planted";
    const QString socketPath = SingleInstance(QStringLiteral(":5")).socketPath();
    ASSERT_TRUE(QFile::link(target, socketPath + ".lock"));  // dangling
    vesk::test::CapturedLog log;
    SingleInstance first(QStringLiteral(":5"));
    EXPECT_EQ(first.claim(), SingleInstance::Role::primary);
    EXPECT_FALSE(QFileInfo::exists(target));
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("Vesk: cannot open the single-instance lock ", 0), 0u) << log.lines[0];
}

TEST_F(SingleInstanceIntegrationTest, AFolderAtTheSocketSaysSoInsteadOfWaiting)
{
    const QString socketPath = SingleInstance(QStringLiteral(":5")).socketPath();
    ASSERT_TRUE(QDir().mkdir(socketPath));
    vesk::test::CapturedLog log;
    SingleInstance first(QStringLiteral(":5"));
    ASSERT_EQ(first.claim(), SingleInstance::Role::primary);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("Vesk: single-instance socket unavailable: ", 0), 0u) << log.lines[0];
    SingleInstance second(QStringLiteral(":5"));
    EXPECT_EQ(second.claim(), SingleInstance::Role::secondary);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[1], "Vesk: another Vesk runs, but " + socketPath.toStdString()
                                + " is not its socket; cannot ask it to reopen");
}
