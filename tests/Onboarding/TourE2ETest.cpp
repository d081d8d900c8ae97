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
    // The island as its panels' input shapes show it, in root coordinates: the widest of the
    // viewable 760 x 300 panels (the tour's island is by far the widest).
    std::optional<QRect> island()
    {
        std::optional<QRect> widest;
        for (Window w : probe.stacking()) {
            const QRect frame = probe.geometry(w);
            if (frame.size() != QSize(760, 300) || !probe.isViewable(w))
                continue;
            QRect bounds;
            for (const QRect &r : probe.shape(w, true))
                bounds |= r;
            if (!bounds.isEmpty() && (!widest || bounds.width() > widest->width()))
                widest = bounds.translated(frame.topLeft());
        }
        return widest;
    }
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
    ASSERT_TRUE(waitFor([&] { return showsTour(); }, 15000)) << vesk.readAllStandardError().toStdString();
    waitFor([] { return false; }, 1000);  // the island has opened fully
    const QRect r = *island();
    // The trailing button ("Show me", "Next", then "Start Vesk") ends 24 points inside the tour's
    // right edge and sits in the 28-point footer 16 points above its bottom.
    const int x = r.center().x() + tourWidth / 2 - 24 - 14;
    const int y = r.bottom() - 16 - 14;
    ASSERT_TRUE(xdotool({"mousemove", QString::number(x), QString::number(y)}));
    for (int click = 0; click < 8; ++click) {
        ASSERT_TRUE(showsTour()) << "still on the tour before click " << click;
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
