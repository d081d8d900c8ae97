// The media-key grabs and the XKB state on the X server that scripts/run-tests starts.
#include "Platform/KeyboardState.h"
#include "Platform/linux/XcbDisplay.h"
#include "Platform/linux/XcbKeyboard.h"
#include "Platform/sim/SimAccessibilityTrust.h"
#include "Readouts/MediaKeyTap.h"
#include "Readouts/SystemMonitor.h"
#include "Platform/sim/SimFocusStatus.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vesk;
using Key = MediaKeyTap::Key;

namespace {

bool xdotool(const QStringList &args) { return bool(test::runTool(QStringLiteral("xdotool"), args)); }
bool setxkbmap(const QStringList &args) { return bool(test::runTool(QStringLiteral("setxkbmap"), args)); }

// Another client holding a key, as a desktop does.
class KeyHolder {
public:
    explicit KeyHolder(xcb_keysym_t keysym) : display_(connectXcbDisplay())
    {
        for (xcb_keycode_t code : XcbKeyboard::shared()->keycodes(keysym))
            xcb_grab_key(display_.connection, 1, display_.root, XCB_MOD_MASK_ANY, code, XCB_GRAB_MODE_ASYNC,
                         XCB_GRAB_MODE_ASYNC);
        free(xcb_get_input_focus_reply(display_.connection, xcb_get_input_focus(display_.connection), nullptr));
    }
    ~KeyHolder() { exit(); }
    void exit()
    {
        if (display_.connection)
            xcb_disconnect(display_.connection);
        display_.connection = nullptr;
    }

private:
    XcbDisplay display_;
};

class KeyboardIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XcbKeyboard::shared())
            GTEST_SKIP() << "needs the X server of scripts/run-tests";
    }
};

}  // namespace

TEST_F(KeyboardIntegrationTest, AGrabbedKeyReachesTheHandlerWithItsModifiersAndFollowsTheKeymap)
{
    SimAccessibilityTrust trust;
    MediaKeyTap tap(mediaKeyGrab(), trust);
    std::vector<std::pair<Key, bool>> calls;
    tap.handler = [&](Key key, bool fine) {
        calls.push_back({key, fine});
        return true;
    };
    tap.start({Key::volumeUp, Key::mute});
    ASSERT_EQ(tap.state(), MediaKeyTap::State::armed);
    ASSERT_TRUE(xdotool({"key", "XF86AudioRaiseVolume"}));
    ASSERT_TRUE(test::waitFor([&] { return calls.size() == 1; }));
    EXPECT_EQ(calls[0], std::make_pair(Key::volumeUp, false));
    ASSERT_TRUE(xdotool({"key", "shift+alt+XF86AudioMute"}));
    ASSERT_TRUE(test::waitFor([&] { return calls.size() == 2; }));
    EXPECT_EQ(calls[1], std::make_pair(Key::mute, true));
    ASSERT_TRUE(xdotool({"key", "XF86AudioLowerVolume"}));  // not taken: the desktop's
    test::waitFor([] { return false; }, 200);
    EXPECT_EQ(calls.size(), 2u);
    // A keymap that moves the key to another keycode: it is taken again there.
    const auto moved = test::runTool(QStringLiteral("xmodmap"), {"-e", "keycode 123 = NoSymbol",
                                                                "-e", "keycode 200 = XF86AudioRaiseVolume"});
    test::waitFor([] { return false; }, 300);
    const bool pressed = xdotool({"key", "XF86AudioRaiseVolume"});
    const bool reached = test::waitFor([&] { return calls.size() == 3; });
    setxkbmap({"us"});
    ASSERT_TRUE(moved && pressed);
    EXPECT_TRUE(reached) << "the grab followed the key to its new keycode";
    EXPECT_EQ(tap.state(), MediaKeyTap::State::armed);
    tap.stop();
}

TEST_F(KeyboardIntegrationTest, AKeyAnotherClientHoldsKeepsTheTapWaitingUntilItExits)
{
    SimAccessibilityTrust trust;
    KeyHolder holder(0x1008FF11);  // XF86AudioLowerVolume
    MediaKeyTap tap(mediaKeyGrab(), trust);
    int calls = 0;
    tap.handler = [&](Key, bool) { return ++calls, true; };
    tap.start({Key::volumeDown});
    EXPECT_EQ(tap.state(), MediaKeyTap::State::waiting) << "the grab is refused";
    holder.exit();
    ASSERT_TRUE(test::waitFor([&] { return tap.state() == MediaKeyTap::State::armed; }, 5000))
        << "armed at the next 2 s tick";
    ASSERT_TRUE(xdotool({"key", "XF86AudioLowerVolume"}));
    EXPECT_TRUE(test::waitFor([&] { return calls == 1; }));
    tap.stop();
}

TEST_F(KeyboardIntegrationTest, UnderWaylandNoKeyIsTaken)
{
    test::ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
    SimAccessibilityTrust trust;
    MediaKeyTap tap(mediaKeyGrab(), trust);
    tap.start();
    EXPECT_EQ(tap.state(), MediaKeyTap::State::waiting);
    tap.stop();
}

TEST_F(KeyboardIntegrationTest, CapsLockAndTheLayoutFollowXkb)
{
    SimFocusStatus focus;
    focus.focused = std::nullopt;
    SystemMonitor monitor(keyboardState(), focus);
    std::vector<bool> caps;
    std::vector<std::string> layouts;
    monitor.onCapsLock = [&](bool on) { caps.push_back(on); };
    monitor.onInputSource = [&](const std::string &name) { layouts.push_back(name); };
    monitor.start();
    EXPECT_EQ(monitor.inputSource(), "English (US)");

    ASSERT_TRUE(xdotool({"key", "Caps_Lock"}));
    ASSERT_TRUE(test::waitFor([&] { return caps.size() == 1; }));
    ASSERT_TRUE(xdotool({"key", "Caps_Lock"}));
    ASSERT_TRUE(test::waitFor([&] { return caps.size() == 2; }));
    EXPECT_EQ(caps, (std::vector<bool>{true, false}));

    ASSERT_TRUE(setxkbmap({"de"}));
    const bool changed = test::waitFor([&] { return !layouts.empty(); });
    setxkbmap({"us"});
    ASSERT_TRUE(changed);
    EXPECT_EQ(layouts.front(), "German");
    ASSERT_TRUE(test::waitFor([&] { return monitor.inputSource() == "English (US)"; }));
}
