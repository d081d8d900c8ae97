// Smoke tests of the services that scripts/run-tests starts: each fails when its service is not
// reachable, so a broken test environment is reported as such rather than as a product fault.
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

TEST(ServicesIntegrationTest, SessionBusAnswers)
{
    auto bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected()) << bus.lastError().message().toStdString();
    EXPECT_TRUE(bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.DBus")).value());
}

TEST(ServicesIntegrationTest, PulseAudioHasTheTwoTestSinks)
{
    const auto sinks = vesk::test::pactl({QStringLiteral("list"), QStringLiteral("sinks")}).value_or(QString());
    EXPECT_TRUE(sinks.contains(QStringLiteral("Description: Built-in Speakers"))) << sinks.toStdString();
    EXPECT_TRUE(sinks.contains(QStringLiteral("Description: Headphones")));
}

TEST(ServicesIntegrationTest, XServerRunsAnEwmhWindowManager)
{
    Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "no X display at DISPLAY";
    // An EWMH window manager announces itself through _NET_SUPPORTING_WM_CHECK on the root window.
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    bool found = vesk::test::waitFor([&] {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char *data = nullptr;
        bool ok = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                     &format, &count, &after, &data) == Success
            && count == 1;
        if (data)
            XFree(data);
        return ok;
    });
    EXPECT_TRUE(found);
    // A compositor owns the _NET_WM_CM_S<screen> selection.
    Atom cm = XInternAtom(display, "_NET_WM_CM_S0", False);
    EXPECT_TRUE(vesk::test::waitFor([&] { return XGetSelectionOwner(display, cm) != None; }));
    XCloseDisplay(display);
}
