// Vesk itself under the test X server: a screen saver's lock plays the lock clip and shows nothing
// over the locker; the unlock shows the padlock at the top centre for a moment.
#include "PrivateBusSupport.h"
#include "TestSupport.h"

#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QRect>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <X11/Xlib.h>

#include <csignal>
#include <functional>
#include <optional>

using vesk::test::pactl;
using vesk::test::waitFor;

namespace {

// The viewable windows of one size anywhere in the X server's tree, as root rectangles.
std::vector<QRect> mappedWindows(int width, int height)
{
    std::vector<QRect> found;
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return found;
    const Window root = DefaultRootWindow(display);
    std::function<void(Window)> walk = [&](Window window) {
        Window rootReturn, parent, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, window, &rootReturn, &parent, &children, &count))
            return;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(display, children[i], &a) && a.map_state == IsViewable) {
                if (a.width == width && a.height == height) {
                    int x = 0, y = 0;
                    Window child;
                    XTranslateCoordinates(display, children[i], root, 0, 0, &x, &y, &child);
                    found.emplace_back(x, y, width, height);
                }
                walk(children[i]);
            }
        }
        if (children)
            XFree(children);
    };
    walk(root);
    XCloseDisplay(display);
    return found;
}

int screenWidth()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 0;
    const int width = DisplayWidth(display, DefaultScreen(display));
    XCloseDisplay(display);
    return width;
}

bool played(qint64 pid, const std::string &name)
{
    auto list = nlohmann::json::parse(pactl({"-f", "json", "list", "sink-inputs"}).value_or("").toStdString(), nullptr, false);
    if (!list.is_array())
        return false;
    for (auto &input : list) {
        const auto &props = input["properties"];
        if (props.value("application.process.id", "") == std::to_string(pid) && props.value("media.name", "") == name)
            return true;
    }
    return false;
}

bool catches(qint64 pid, int sig)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const auto &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

}  // namespace

TEST(LockScreenE2E, ALockPlaysTheClipShowsNothingAndTheUnlockShowsThePadlockBriefly)
{
    ASSERT_TRUE(qEnvironmentVariableIsSet("DISPLAY")) << "scripts/run-tests starts Xvfb";
    vesk::test::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    QDBusConnection saver = bus.connect();
    auto activeChanged = [&](bool active) {
        auto signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                 QStringLiteral("org.freedesktop.ScreenSaver"),
                                                 QStringLiteral("ActiveChanged"));
        signal << active;
        saver.send(signal);
    };

    QTemporaryDir home;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + "/config");
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // the test's own offscreen screens are not the X server's
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=") + home.path() + "/no-bus");
    QProcess vesk;
    vesk.setProcessEnvironment(env);
    vesk.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
    ASSERT_TRUE(vesk.waitForStarted(10000));
    ASSERT_TRUE(waitFor([&] { return catches(vesk.processId(), SIGTERM); }));
    waitFor([] { return false; }, 1000);  // the screen-saver signals are followed from here on

    activeChanged(true);
    EXPECT_TRUE(waitFor([&] { return played(vesk.processId(), "Vesk lock sound"); })) << "the lock clip";
    QElapsedTimer locked;
    locked.start();
    while (locked.elapsed() < 1500) {
        ASSERT_TRUE(mappedWindows(420, 80).empty()) << "no padlock over the locker";
        ASSERT_TRUE(mappedWindows(400, 240).empty()) << "no card over the locker";
        waitFor([] { return false; }, 50);
    }

    activeChanged(false);
    QElapsedTimer unlocked;
    unlocked.start();
    const QRect expected(screenWidth() / 2 - 210, 0, 420, 80);
    ASSERT_TRUE(waitFor([&] {
        const auto windows = mappedWindows(420, 80);
        return std::find(windows.begin(), windows.end(), expected) != windows.end();
    }, 2000)) << "the padlock at the top centre";
    const qint64 mapped = unlocked.elapsed();
    EXPECT_TRUE(waitFor([&] { return mappedWindows(420, 80).empty(); }, 3000)) << "gone within 3 s";
    EXPECT_TRUE(mappedWindows(400, 240).empty()) << "the card never shows after a real unlock";
    std::printf("padlock mapped %lld ms after the unlock, gone %lld ms after it\n", static_cast<long long>(mapped),
                static_cast<long long>(unlocked.elapsed()));
    EXPECT_TRUE(played(vesk.processId(), "Vesk unlock sound"));

    vesk::test::signalProcess(vesk.processId(), SIGTERM);
    ASSERT_TRUE(vesk.waitForFinished(10000));
    EXPECT_EQ(vesk.exitCode(), 0) << vesk.readAllStandardError().toStdString();
}
