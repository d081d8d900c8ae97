#pragma once

// The built program's settings window on the X screen that scripts/run-tests starts, under its
// window manager: a private home for each test, the first start, second starts that reopen the
// window, the window found by its title, and clicks through the real pointer.
#include "Model/Defaults.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "../Island/QtOnXSupport.h"
#include "../Island/X11ProbeSupport.h"

#include <X11/Xatom.h>

namespace vesk::test {

// The managed windows of process `pid`, as the window manager lists them.
inline std::vector<Window> clientsOf(test::X11Probe &probe, qint64 pid)
{
    std::vector<Window> out;
    for (long window : probe.cardinals(probe.root(), "_NET_CLIENT_LIST")) {
        const auto owner = probe.cardinals(Window(window), "_NET_WM_PID");
        if (!owner.empty() && owner.front() == pid)
            out.push_back(Window(window));
    }
    return out;
}

inline QString nameOf(test::X11Probe &probe, Window window)
{
    Display *display = probe.display();
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    QString name;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 256, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after, &data)
            == Success
        && data && format == 8)
        name = QString::fromUtf8(reinterpret_cast<const char *>(data), int(count));
    if (data)
        XFree(data);
    return name;
}

class SettingsE2ETest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qtOnX) << "no X display";
        ASSERT_TRUE(probe.ok());
        ASSERT_TRUE(QDir().mkpath(home.path() + "/run"));
        QFile::setPermissions(home.path() + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // A settings file of a user who has seen the tour, so that nothing but the window comes.
        ASSERT_TRUE(QDir().mkpath(home.path() + "/config/vesk"));
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(nlohmann::json{{"hasSeenOnboarding", true}, {Defaults::migrationFlagKey, true}}.dump().c_str());
    }
    void TearDown() override
    {
        xdotool({"set_desktop", "0"});  // the other tests expect the first workspace
        if (first.state() != QProcess::NotRunning) {
            first.terminate();
            first.waitForFinished(10000);
        }
    }

    QString settingsPath() const { return home.path() + "/config/vesk/settings.json"; }
    nlohmann::json settingsFile() const
    {
        QFile file(settingsPath());
        if (!file.open(QIODevice::ReadOnly))
            return nullptr;
        return nlohmann::json::parse(file.readAll().toStdString(), nullptr, false);
    }
    QProcessEnvironment environment() const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + "/config");
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path() + "/run");
        env.remove(QStringLiteral("VESK_DEBUG_PANE"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return env;
    }
    void startFirst()
    {
        first.setProcessEnvironment(environment());
        first.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
        ASSERT_TRUE(first.waitForStarted(10000));
        ASSERT_TRUE(waitFor([&] {
            return !QDir(home.path() + "/run").entryList({QStringLiteral("vesk*.socket")}, QDir::System).isEmpty();
        })) << "the first start does not listen";
    }
    // A second start: it hands over to the first and ends, and the first hears it.
    void startAgain()
    {
        QProcess second;
        second.setProcessEnvironment(environment());
        second.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        ++reopens;
        EXPECT_TRUE(waitFor([&] {
            log += first.readAllStandardError();
            return log.count("Vesk: asked to reopen by a second start") == reopens;
        })) << log.toStdString();
    }
    // The first start's one window named `title` once it is on the screen; none when it does not come.
    Window settingsWindow(const QString &title)
    {
        Window found = 0;
        waitFor([&] {
            found = 0;
            for (Window w : clientsOf(probe, first.processId()))
                if (nameOf(probe, w) == title && probe.isViewable(w))
                    found = w;
            return found != 0;
        });
        return found;
    }
    int windowsNamed(const QString &title)
    {
        int count = 0;
        for (Window w : clientsOf(probe, first.processId()))
            count += nameOf(probe, w) == title;
        return count;
    }
    QPoint pointer()
    {
        Window rootReturn, child;
        int x = 0, y = 0, wx, wy;
        unsigned int mask;
        XQueryPointer(probe.display(), probe.root(), &rootReturn, &child, &x, &y, &wx, &wy, &mask);
        return {x, y};
    }
    bool click(QPoint rootPoint)
    {
        // A move with --sync waits for the pointer to move, so only when it is elsewhere.
        if (pointer() != rootPoint
            && !xdotool({"mousemove", "--sync", QString::number(rootPoint.x()), QString::number(rootPoint.y())}))
            return false;
        return xdotool({"click", "1"});
    }

    test::X11Probe probe;
    QTemporaryDir home;
    QProcess first;
    QByteArray log;
    qsizetype reopens = 0;
};

}  // namespace vesk::test
