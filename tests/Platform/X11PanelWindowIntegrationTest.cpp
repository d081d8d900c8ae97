// The panel's fades on the X server that scripts/run-tests starts: what the window holds at each
// opacity, read back from the server, whether the fade starts from nothing or ends there.
// Qt's and GoogleTest's headers come before Xlib's, whose macros they cannot take.
#include "TestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

// The panel's header first: it keeps Xlib's CursorShape out of Qt's way.
#include "Platform/linux/X11PanelWindow.h"
#include "Platform/linux/X11EventConnection.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <vector>

using namespace vesk;

namespace {

constexpr int side = 16;

// The window's pixels as the server holds them, row by row.
std::vector<quint32> windowPixels(Display *display, Window window)
{
    XSync(display, False);
    std::vector<quint32> pixels;
    XImage *image = XGetImage(display, window, 0, 0, side, side, AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            pixels.push_back(quint32(XGetPixel(image, x, y)));
    XDestroyImage(image);
    return pixels;
}

QImage filled(quint32 pixel)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(pixel);
    return image;
}

}  // namespace

TEST(X11PanelWindowIntegrationTest, EachOpacityShowsTheContentScaledAndNothingAtAll)
{
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    X11EventConnection *connection = X11EventConnection::shared();
    ASSERT_NE(connection, nullptr);
    Display *display = connection->display();
    XVisualInfo info;
    if (!XMatchVisualInfo(display, connection->screen(), 32, TrueColor, &info))
        GTEST_SKIP() << "the server has no 32-bit visual";

    X11PanelWindow panel(*connection);
    panel.setFrame(QRect(0, 0, side, side));
    const Window window = Window(panel.nativeId());
    const QImage content = filled(0xff2040c0u);
    panel.updateContent(content, QRegion(content.rect()));

    // A fade in starts from nothing: the window is mapped clear.
    panel.setOpacity(0);
    panel.show();
    const std::vector<quint32> clear(size_t(side * side), 0u);
    EXPECT_EQ(windowPixels(display, window), clear);

    // Halfway, every channel (premultiplied) is scaled alike: 256ths, rounded down.
    panel.setOpacity(0.5);
    EXPECT_EQ(windowPixels(display, window), std::vector<quint32>(size_t(side * side), 0x7f102060u));

    panel.setOpacity(1);
    EXPECT_EQ(windowPixels(display, window), std::vector<quint32>(size_t(side * side), 0xff2040c0u));

    // A fade out ends with nothing shown, and a change while nothing is shown stays unseen until
    // the panel is shown again.
    panel.setOpacity(0);
    EXPECT_EQ(windowPixels(display, window), clear);
    const QImage next = filled(0xff808080u);
    panel.updateContent(next, QRegion(0, 0, side / 2, side));
    EXPECT_EQ(windowPixels(display, window), clear);
    panel.setOpacity(0.25);
    std::vector<quint32> quarter;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            quarter.push_back(x < side / 2 ? 0x3f202020u : 0x3f081030u);
    EXPECT_EQ(windowPixels(display, window), quarter);
    panel.hide();
}
