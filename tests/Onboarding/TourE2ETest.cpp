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

#include "../Island/IslandOnScreenSupport.h"
#include "../Island/X11ProbeSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <optional>

using vesk::test::waitFor;
using vesk::test::xdotool;

namespace {

constexpr int tourWidth = 460;
// The tour's page dots.
constexpr int dotWidth = 5, currentDotWidth = 14, dotGap = 5;

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
        // The X server's own screens, not the offscreen ones the tests themselves run on.
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
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
    std::optional<QRect> island() { return vesk::test::islandOnScreen(probe); }
    // The tour's island is 460 wide below its top corners (its top row reaches out a little).
    bool showsTour()
    {
        const auto r = island();
        return r && r->width() >= tourWidth && r->width() < tourWidth + 100;
    }
    // One screen row from `left` to `right`, as grey levels (-1 where the pixel is not grey).
    std::vector<int> greyRow(int y, int left, int right)
    {
        std::vector<int> out;
        XImage *image = XGetImage(probe.display(), probe.root(), left, y, unsigned(right - left + 1), 1, AllPlanes, ZPixmap);
        if (!image)
            return out;
        for (int x = 0; x <= right - left; ++x) {
            const unsigned long v = XGetPixel(image, x, 0);
            const int r = int((v >> 16) & 0xff), g = int((v >> 8) & 0xff), b = int(v & 0xff);
            out.push_back(std::abs(r - g) <= 2 && std::abs(g - b) <= 2 ? g : -1);
        }
        XDestroyImage(image);
        return out;
    }
    // The page the tour's footer shows, read from the rows about `row`, the middle of the footer: on
    // the six middle pages (1 to 6) the page dots, six capsules 5 apart, the current one 14 wide
    // and bright and the others 5 wide and dim; on the done page (7) no dots and nothing left of
    // its one button; else 0, as on the welcome page (and for a moment while the dots move).
    std::optional<int> footerPage(const QRect &r, int row)
    {
        struct Run {
            int start, end, peak;
        };
        // The island's own rim stays out: the footer's buttons lie 24 points inside its sides.
        const int left = r.left() + 16, right = r.right() - 16, middle = (right - left) / 2;
        bool anything = false, darkLeft = true;
        // The dots are thinner than the buttons: a band of rows about the middle.
        for (int y = row - 4; y <= row + 4; ++y) {
            const std::vector<int> row = greyRow(y, left, right);
            if (row.empty())
                return std::nullopt;
            std::vector<Run> runs;
            for (int x = 0; x < int(row.size()); ++x) {
                const int level = row[size_t(x)] == -1 ? 255 : row[size_t(x)];
                if (level <= 8)
                    continue;
                if (!runs.empty() && runs.back().end == x)
                    runs.back() = {runs.back().start, x + 1, std::max(runs.back().peak, level)};
                else
                    runs.push_back({x, x + 1, level});
            }
            anything = anything || !runs.empty();
            darkLeft = darkLeft && std::all_of(runs.begin(), runs.end(), [&](const Run &run) { return run.start > middle; });
            // Six runs in a row, 5 apart, give or take the edge pixels that antialiasing lights.
            for (size_t first = 0; first + 6 <= runs.size(); ++first) {
                int current = -1, wide = 0, narrow = 0;
                bool spaced = true;
                for (size_t i = first; i < first + 6; ++i) {
                    const Run &run = runs[i];
                    const int width = run.end - run.start;
                    if (i > first && std::abs(run.start - runs[i - 1].end - dotGap) > 2)
                        spaced = false;
                    if (std::abs(width - currentDotWidth) <= 2 && run.peak >= 200) {
                        ++wide;
                        current = int(i - first);
                    } else if (std::abs(width - dotWidth) <= 2 && run.peak >= 40 && run.peak <= 90) {
                        ++narrow;
                    }
                }
                if (spaced && wide == 1 && narrow == 5)
                    return current + 1;
            }
        }
        if (anything && darkLeft)
            return 7;
        // Welcome: a button at either end and no dots; so is a footer whose dots are mid-spring.
        if (anything)
            return 0;
        return std::nullopt;
    }
    std::optional<QRect> settledIsland(int timeoutMs) { return vesk::test::settledIslandOnScreen(probe, timeoutMs); }
    // The middle row of the trailing button, the one white capsule in the footer: the lowest run
    // of white pixels in the column `x`, read upwards from the panel's bottom edge.
    std::optional<int> whiteRunMiddle(const QRect &island, int x)
    {
        auto white = [&](int y) {
            const QColor c = probe.pixel(QPoint(x, y));
            return c.red() > 200 && c.green() > 200 && c.blue() > 200;
        };
        int y = island.top() + 299;
        while (y > island.top() && !white(y))
            --y;
        const int bottom = y;
        while (y > island.top() && white(y - 1))
            --y;
        return bottom > island.top() ? std::optional((y + bottom) / 2) : std::nullopt;
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
    const std::optional<QRect> opened = settledIsland(10000);
    ASSERT_TRUE(opened.has_value()) << "the island opens fully and stops";
    const QRect r = *opened;
    // The trailing button ("Show me", "Next", then "Start Vesk") ends 24 points inside the tour's
    // right edge and sits in the footer, which the dots tell the pages by. Each click turns one
    // page: the pointer moves onto the button and clicks in one command, as a quick user does.
    // A busy machine may take seconds to answer; the click is waited for, never made again.
    const int right = (r.left() + r.right()) / 2 + tourWidth / 2 - 24;
    const int x = right - 14;
    // The footer's middle row is the button's, read where the capsule is still tall, 5 pixels
    // inside its rounded end (the island's bottom edge, shaded by its rim, says less).
    const std::optional<int> y = whiteRunMiddle(r, right - 5);
    ASSERT_TRUE(y.has_value()) << "no trailing button on the first page";
    for (int click = 0; click < 8; ++click) {
        ASSERT_TRUE(showsTour()) << "still on the tour before click " << click;
        ASSERT_TRUE(xdotool({"mousemove", QString::number(x), QString::number(*y), "click", "1"}));
        if (click < 7)
            ASSERT_TRUE(waitFor([&] { return footerPage(r, *y) == click + 1; }, 10000))
                << "page " << click + 1 << " after click " << click << "; the footer shows " << footerPage(r, *y).value_or(-1);
        else
            ASSERT_TRUE(waitFor([&] { return !showsTour(); }, 10000)) << "\"Start Vesk\" ends the tour";
    }
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
