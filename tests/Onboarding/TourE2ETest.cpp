// The built program on the X screen that scripts/run-tests starts, tried as a new user would: a
// fresh configuration shows the tour in the island shortly after start, clicking its trailing
// button through every page ends it and stores that it was seen, and the next start shows none.
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "../Island/X11ProbeSupport.h"

#include <csignal>
#include <optional>

using vesk::test::waitFor;
using vesk::test::xdotool;

namespace {

constexpr int tourWidth = 460;

class TourE2ETest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY") || !probe.ok())
            GTEST_SKIP() << "needs the X server of scripts/run-tests";
        // The pointer away from where the island will be.
        xdotool({"mousemove", "100", "850"});
    }
    void TearDown() override { stop(); }
    void start()
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + "/config");
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        env.remove(QStringLiteral("VESK_DEBUG_DIR"));
        env.remove(QStringLiteral("VESK_DEBUG_ONBOARDING"));
        vesk.setProcessEnvironment(env);
        vesk.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
        ASSERT_TRUE(vesk.waitForStarted(10000));
    }
    void stop()
    {
        if (vesk.state() == QProcess::NotRunning)
            return;
        ::kill(vesk.processId(), SIGTERM);
        vesk.waitForFinished(10000);
    }
    // The island as the screen shows it, in root coordinates: the black run through the middle of
    // the primary panel a few pixels below the top (where nothing but the island is drawn), down to
    // the lowest black pixel of its middle column.
    std::optional<QRect> island()
    {
        for (Window w : probe.stacking()) {
            const QRect frame = probe.geometry(w);
            if (frame.size() != QSize(760, 300) || !probe.isViewable(w))
                continue;
            auto black = [&](int x, int y) {
                const QColor c = probe.pixel(QPoint(x, y));
                return c.red() < 4 && c.green() < 4 && c.blue() < 4;
            };
            const int cx = frame.center().x(), top = frame.top() + 5;
            if (!black(cx, top))
                continue;
            int left = cx, right = cx;
            while (left > frame.left() && black(left - 1, top))
                --left;
            while (right < frame.right() && black(right + 1, top))
                ++right;
            // Up the middle from the panel's bottom edge: the first black is the island's bottom.
            int bottom = frame.bottom();
            while (bottom > top && !black(cx, bottom))
                --bottom;
            return QRect(QPoint(left, frame.top()), QPoint(right, bottom));
        }
        return std::nullopt;
    }
    // The tour's island is 460 wide below its top corners (its top row reaches out a little).
    bool showsTour()
    {
        const auto r = island();
        return r && r->width() >= tourWidth && r->width() < tourWidth + 100;
    }
    std::optional<nlohmann::json> settings()
    {
        QFile file(home.path() + "/config/vesk/settings.json");
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return nlohmann::json::parse(file.readAll().toStdString(), nullptr, false);
    }

    vesk::test::X11Probe probe;
    QTemporaryDir home;
    QProcess vesk;
};

}  // namespace

TEST_F(TourE2ETest, AFreshStartShowsTheTourItsButtonsEndItAndTheNextStartShowsNone)
{
    start();
    const bool shown = waitFor([&] { return showsTour(); }, 15000);
    ASSERT_TRUE(shown) << vesk.readAllStandardError().toStdString();
    waitFor([] { return false; }, 1000);  // the island has opened fully
    const QRect r = *island();
    // The trailing button ("Show me", "Next", then "Start Vesk") ends 24 points inside the tour's
    // right edge and sits in the 28-point footer 16 points above its bottom.
    const int x = (r.left() + r.right()) / 2 + tourWidth / 2 - 24 - 14;
    const int y = r.bottom() - 16 - 14;
    for (int click = 0; click < 8; ++click) {
        ASSERT_TRUE(showsTour()) << "still on the tour before click " << click;
        // A real move onto the button, so the island's pointer watch takes the pointer in.
        ASSERT_TRUE(xdotool({"mousemove", QString::number(x), QString::number(y + 1)}));
        ASSERT_TRUE(xdotool({"mousemove_relative", "--", "0", "-1"}));
        waitFor([] { return false; }, 300);
        ASSERT_TRUE(xdotool({"click", "1"}));
        waitFor([] { return false; }, 700);  // the page spring

    }
    ASSERT_TRUE(waitFor([&] { return !showsTour(); }, 5000)) << "\"Start Vesk\" ends the tour";
    ASSERT_TRUE(waitFor([&] {
        const auto stored = settings();
        return stored && stored->is_object() && stored->value("hasSeenOnboarding", false);
    }));
    stop();

    xdotool({"mousemove", "100", "850"});
    start();
    ASSERT_TRUE(waitFor([&] { return island().has_value(); }, 15000));
    EXPECT_FALSE(waitFor([&] { return showsTour(); }, 3000)) << "the tour was seen: it does not come back";
}
