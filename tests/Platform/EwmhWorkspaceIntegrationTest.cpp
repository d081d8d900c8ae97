// The EWMH workspace service against Xvfb and jwm as scripts/run-tests starts them. The cases run
// in one test, in order, because they share the desktop: a workspace switch would hide the windows
// of a case running beside it.
#include "Platform/linux/EwmhWorkspace.h"

#include "TestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace vesk;
using vesk::test::waitFor;

namespace {

bool xdotool(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A plain client window made with Xlib, as any application's would be.
class ProbeWindow {
public:
    ProbeWindow(Display *display, const char *wmClass, const char *gtkApplicationId = nullptr) : d(display)
    {
        w = XCreateSimpleWindow(d, DefaultRootWindow(d), 10, 10, 200, 100, 0, 0, 0);
        XClassHint hint{const_cast<char *>("probe"), const_cast<char *>(wmClass)};
        XSetClassHint(d, w, &hint);
        if (gtkApplicationId) {
            XChangeProperty(d, w, atom("_GTK_APPLICATION_ID"), atom("UTF8_STRING"), 8, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(gtkApplicationId), int(strlen(gtkApplicationId)));
        }
        XMapWindow(d, w);
        XSync(d, False);
    }
    ~ProbeWindow()
    {
        XDestroyWindow(d, w);
        XSync(d, False);
    }
    Atom atom(const char *name) { return XInternAtom(d, name, False); }

    // Asks the window manager, as a pager would, to do something to this window.
    void request(const char *message, long a, long b = 0, long c = 0)
    {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = atom(message);
        e.xclient.format = 32;
        e.xclient.data.l[0] = a;
        e.xclient.data.l[1] = b;
        e.xclient.data.l[2] = c;
        XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        XSync(d, False);
    }
    void activate() { request("_NET_ACTIVE_WINDOW", 2, CurrentTime); }
    void setFullscreen(bool on) { request("_NET_WM_STATE", on ? 1 : 0, long(atom("_NET_WM_STATE_FULLSCREEN"))); }
    void minimise()
    {
        XIconifyWindow(d, w, DefaultScreen(d));
        XSync(d, False);
    }

    Display *d;
    Window w;
};

long currentDesktop(Display *d)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    long desktop = 0;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_CURRENT_DESKTOP", False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success
        && count == 1)
        desktop = *reinterpret_cast<long *>(data);
    if (data)
        XFree(data);
    return desktop;
}

}  // namespace

TEST(EwmhWorkspaceIntegrationTest, WorkspacesFullScreenAndTheFrontmostApplication)
{
    std::unique_ptr<Display, int (*)(Display *)> connection(XOpenDisplay(nullptr), XCloseDisplay);
    Display *d = connection.get();
    ASSERT_NE(d, nullptr) << "no X display";
    const QRectF display(0, 0, DisplayWidth(d, DefaultScreen(d)), DisplayHeight(d, DefaultScreen(d)));

    EwmhWorkspace workspace;
    int spaceChanges = 0, windowChanges = 0;
    std::vector<std::optional<QString>> fronts;
    auto a = workspace.activeSpaceChanged.connect([&] { ++spaceChanges; });
    auto b = workspace.windowsChanged.connect([&] { ++windowChanges; });
    auto c = workspace.frontmostApplicationChanged.connect([&](const std::optional<QString> &id) { fronts.push_back(id); });

    {
        SCOPED_TRACE("the frontmost application, from WM_CLASS or _GTK_APPLICATION_ID, lower-cased");
        ProbeWindow plain(d, "VeskProbe");
        plain.activate();
        ASSERT_TRUE(waitFor([&] { return workspace.frontmostApplication() == QString("veskprobe"); }));
        EXPECT_EQ(fronts.back(), QString("veskprobe"));
        ProbeWindow gtk(d, "Other", "org.Vesk.Player");
        gtk.activate();
        ASSERT_TRUE(waitFor([&] { return workspace.frontmostApplication() == QString("org.vesk.player"); }));
        EXPECT_GT(windowChanges, 0);
        EXPECT_EQ(spaceChanges, 0) << "a focus change is not a workspace switch";
    }

    ProbeWindow window(d, "VeskFull");
    window.activate();
    ASSERT_TRUE(waitFor([&] { return workspace.frontmostApplication() == QString("veskfull"); }));
    EXPECT_FALSE(workspace.isFullscreen(display)) << "an ordinary window is not full screen";
    {
        SCOPED_TRACE("a full-screen window covering the display");
        const int before = windowChanges;
        window.setFullscreen(true);
        ASSERT_TRUE(waitFor([&] { return workspace.isFullscreen(display); }));
        EXPECT_TRUE(waitFor([&] { return windowChanges > before; }));
        EXPECT_FALSE(workspace.isFullscreen(display.adjusted(-10, 0, 0, 0))) << "it covers only this display";
        EXPECT_EQ(spaceChanges, 0) << "entering full screen is not a workspace switch";
    }
    {
        SCOPED_TRACE("switching workspaces");
        const long home = currentDesktop(d);
        ASSERT_TRUE(xdotool({"set_desktop", QString::number(home + 1)}));
        ASSERT_TRUE(waitFor([&] { return spaceChanges == 1; }));
        EXPECT_FALSE(workspace.isFullscreen(display)) << "the full-screen window is on the other workspace";
        ASSERT_TRUE(xdotool({"set_desktop", QString::number(home)}));
        ASSERT_TRUE(waitFor([&] { return spaceChanges == 2; }));
        EXPECT_TRUE(waitFor([&] { return workspace.isFullscreen(display); }));
    }
    {
        SCOPED_TRACE("a minimised full-screen window");
        window.minimise();
        EXPECT_TRUE(waitFor([&] { return !workspace.isFullscreen(display); }));
    }
}

TEST(EwmhWorkspaceIntegrationTest, WithoutADisplayTheServiceIsEmpty)
{
    vesk::test::ScopedEnv noDisplay("DISPLAY", std::nullopt);
    EwmhWorkspace workspace;
    EXPECT_FALSE(workspace.isFullscreen(QRectF(0, 0, 100, 100)));
    EXPECT_EQ(workspace.frontmostApplication(), std::nullopt);
}
