// Brightness written through a fake logind on the private system bus.
#include "Platform/linux/SysfsBacklight.h"

#include "FakeSystemBusSupport.h"
#include "SysfsTreeSupport.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QThread>

#include <atomic>

using namespace vesk;

namespace {

// The session object's SetBrightness, writing the fake tree as logind writes /sys. It answers on a
// thread of its own: the backlight calls it blocking from the main thread.
class FakeSession : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
public:
    explicit FakeSession(QString root) : root_(std::move(root)) {}
    std::atomic<bool> refuse = false;
    std::atomic<int> calls = 0;

public slots:
    Q_SCRIPTABLE void SetBrightness(const QString &subsystem, const QString &name, uint value)
    {
        ++calls;
        if (refuse || subsystem != QLatin1String("backlight")) {
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("not allowed"));
            return;
        }
        QFile file(root_ + "/class/backlight/" + name + "/brightness");
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(QByteArray::number(value) + "\n");
    }

private:
    QString root_;
};

QByteArray contents(const test::SysfsTree &tree, const QString &path)
{
    QFile file(tree.path(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll().trimmed();
}

}  // namespace

TEST(BacklightIntegrationTest, KeysWriteThroughLogindsSetBrightness)
{
    ASSERT_TRUE(QDBusConnection::systemBus().isConnected()) << "scripts/run-tests starts a private system bus";
    test::SysfsTree tree;
    tree.write("class/backlight/intel_backlight/type", "raw");
    tree.write("class/backlight/intel_backlight/max_brightness", "1000");
    tree.write("class/backlight/intel_backlight/brightness", "500");
    QFile::setPermissions(tree.path("class/backlight/intel_backlight/brightness"), QFile::ReadOwner | QFile::ReadUser);

    test::FakeSystemService logind(QStringLiteral("org.freedesktop.login1"));
    FakeSession session(QString::fromStdString(tree.root()));
    QThread thread;
    thread.start();
    session.moveToThread(&thread);
    logind.connection().registerObject(QStringLiteral("/org/freedesktop/login1/session/auto"), &session,
                                       QDBusConnection::ExportScriptableSlots);
    ASSERT_TRUE(logind.own());

    SysfsBacklight light(tree.root());
    EXPECT_TRUE(light.canWrite()) << "logind writes what the session may not";
    EXPECT_EQ(light.setLevel(0.5625f, 1), 0.563f) << "563 of 1000, as the watch reads it back";
    EXPECT_EQ(contents(tree, "class/backlight/intel_backlight/brightness"), "563");
    EXPECT_EQ(light.level(), 0.563f);
    session.refuse = true;
    EXPECT_FALSE(light.setLevel(0.25f, -1)) << "an error is a failed write";
    EXPECT_EQ(contents(tree, "class/backlight/intel_backlight/brightness"), "563");
    EXPECT_EQ(session.calls, 2);

    logind.release();
    thread.quit();
    thread.wait();
}

#include "BacklightIntegrationTest.moc"
