// The application's Xlib connection on the X server that scripts/run-tests starts: an event that
// reached the client while it was busy writing or waiting must still be handled, even though the
// socket then has nothing left for its notifier.
// Qt's and GoogleTest's headers come before Xlib's, whose macros they cannot take.
#include "TestSupport.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include "Platform/linux/X11EventConnection.h"

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <cstdlib>

using namespace vesk;

TEST(X11EventConnectionIntegrationTest, AnEventReadOffTheSocketBehindXlibsBackIsStillHandled)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    X11EventConnection *connection = X11EventConnection::shared();
    ASSERT_NE(connection, nullptr);
    Display *display = connection->display();
    const Window window = XCreateSimpleWindow(display, connection->root(), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display, window, PropertyChangeMask);
    XSync(display, False);
    connection->flush();  // what the window's creation told the root's listeners

    int seen = 0;
    auto c = connection->event.connect([&](XEvent &e) {
        if (e.type == PropertyNotify && e.xproperty.window == window)
            ++seen;
    });

    // Another client changes the window; once it is done, the server has queued the event for us.
    Display *other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    const long value = 1;
    XChangeProperty(other, window, XInternAtom(other, "VESK_TEST", False), XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&value), 1);
    XSync(other, False);
    XCloseDisplay(other);

    // A round trip made by xcb alone reads the event into xcb's buffer, as writing a large request
    // does: Xlib's own queue stays empty and the socket has nothing more to say.
    xcb_connection_t *xcb = XGetXCBConnection(display);
    std::free(xcb_get_input_focus_reply(xcb, xcb_get_input_focus(xcb), nullptr));
    ASSERT_EQ(QLength(display), 0);

    // An event loop that sleeps when idle, as the application's does (processEvents with a time
    // limit never sleeps).
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (seen > 0)
            loop.quit();
    });
    check.start(10);
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_EQ(seen, 1);

    XDestroyWindow(display, window);
    XSync(display, False);
}
