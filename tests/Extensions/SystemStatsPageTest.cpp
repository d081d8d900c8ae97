#include "ExtensionTestSupport.h"

#include "App/ViewWiring.h"

#include "Extensions/SystemStatsExtension.h"
#include "Extensions/Views/ExtensionIcon.h"
#include "Extensions/Views/StatGauge.h"
#include "Extensions/Views/SystemStatsPage.h"
#include "Extensions/Views/SystemStatsSettings.h"
#include "Kit/Palette.h"
#include "Kit/Tree.h"

#include <QCheckBox>
#include <QLocale>

using namespace vesk;

namespace {

class SystemStatsPageTest : public test::ExtensionTest {
protected:
    SystemStatsPageTest()
    {
        installStandardViews();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        stats.physicalMemory = 17'179'869'184;
        stats.memory = 13'314'398'618;
        stats.cpu = SystemStatsSource::CpuTicks{};
        stats.volume = SystemStatsSource::Disk{494'000'000'000, 249'000'000'000};
        stats.network = SystemStatsSource::NetworkBytes{0, 0};
        stats.processors = 10;
        store.setEnabled("system-stats", true);
        extension = std::dynamic_pointer_cast<SystemStatsExtension>(store.instance("system-stats"));
    }
    ~SystemStatsPageTest() override { QLocale::setDefault(QLocale::c()); }

    // The page in a tree of its own, as the open island would host it.
    void show()
    {
        tree.setRoot(extension->page());
        time.flush();
    }
    std::shared_ptr<SystemStatsExtension> extension;
    kit::Tree tree{QSizeF(345, 130)};
};

TEST_F(SystemStatsPageTest, AppearingAndDisappearingDriveTheSampling)
{
    EXPECT_FALSE(extension->isVisible());
    show();
    EXPECT_TRUE(extension->isVisible());
    EXPECT_EQ(extension->memoryUsed.peek(), 13'314'398'618u) << "a full sample on appearing";
    const QString dump = tree.dump();
    EXPECT_TRUE(dump.contains("\"12.4 of 16 GB\"")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("\"77\""));
    EXPECT_TRUE(dump.contains("\"245 of 494 GB\""));
    EXPECT_TRUE(dump.contains("\"10 cores\""));
    EXPECT_TRUE(dump.contains("\"Zero KB/s\""));
    EXPECT_FALSE(dump.contains("\"Battery\"")) << "three gauges without a battery";

    tree.setRoot(kit::Empty());
    time.flush();
    EXPECT_FALSE(extension->isVisible());
    stats.queries.clear();
    time.advance(10);
    EXPECT_EQ(stats.totalQueries(), 4) << "back to processor and heat every 5 s";
}

TEST_F(SystemStatsPageTest, TheBatteryGaugeJoinsTheRowAndSharesTheWidth)
{
    stats.internalBattery = SystemStatsSource::Battery{20, false};
    stats.timeLeft = 7500;
    show();
    const QString dump = tree.dump();
    EXPECT_TRUE(dump.contains("\"Battery\""));
    EXPECT_TRUE(dump.contains("\"2:05 left\""));
    // Four equal shares of the padded width.
    const kit::Node *row = tree.root();
    while (row && row->children().size() != 4)
        row = row->children().empty() ? nullptr : row->children().front().get();
    ASSERT_TRUE(row);
    for (const auto &gauge : row->children())
        EXPECT_NEAR(gauge->targetFrame().width(), (345 - 32) / 4.0, 0.5);
}

TEST(StatGauge, TheRingIsClampedAndFillsClockwiseFromTheTop)
{
    auto ring = [](double value) {
        QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paintCapacityRing(painter, QRectF(0, 0, 60, 60), value, kit::Color::white());
        return image;
    };
    auto alphaAt = [](const QImage &image, int x, int y) { return qAlpha(image.pixel(x, y)); };
    EXPECT_EQ(ring(-0.5), ring(0)) << "below 0: an empty ring";
    EXPECT_EQ(ring(1.7), ring(1)) << "above 1: a full ring";
    // A quarter: the right-hand side of the ring is filled, the left-hand side only tracked.
    const QImage quarter = ring(0.25);
    const QImage empty = ring(0);
    EXPECT_GT(alphaAt(quarter, 49, 11), alphaAt(empty, 49, 11)) << "upper right";
    EXPECT_EQ(alphaAt(quarter, 11, 49), alphaAt(empty, 11, 49)) << "lower left";
    EXPECT_EQ(alphaAt(quarter, 49, 49), alphaAt(empty, 49, 49)) << "lower right comes after a quarter";
    EXPECT_GT(alphaAt(empty, 11, 49), 0) << "the track";
}

TEST(ExtensionIcon, ATintedSquareWithAWhiteSymbol)
{
    const QImage image = ExtensionIcon::image(SystemStatsExtension::typeInfo(), 30, 2);
    ASSERT_EQ(image.size(), QSize(60, 60));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "rounded corner";
    const QColor edge = image.pixelColor(30, 3);
    EXPECT_EQ(edge.rgb(), kit::palette::green.toQColor().rgb()) << "the type's tint";
    int white = 0;
    for (int y = 15; y < 45; ++y)
        for (int x = 15; x < 45; ++x)
            white += image.pixelColor(x, y).lightness() > 240;
    EXPECT_GT(white, 40) << "the symbol in the middle";
}

TEST_F(SystemStatsPageTest, SettingsSwitchesReadWriteAndFollowChanges)
{
    SystemStatsSettings settings;
    EXPECT_EQ(settings.warnCPU()->text(), "Show when the processor stays busy");
    EXPECT_EQ(settings.warnHeat()->text(), "Show when your computer runs hot");
    EXPECT_TRUE(settings.warnCPU()->isChecked()) << "absent reads as true";
    settings.warnHeat()->click();  // as a user does: it was on
    EXPECT_EQ(defaults().storedValue(SystemStatsExtension::warnHeat.key), nlohmann::json(false)) << "written as a bool";
    defaults().set(SystemStatsExtension::warnCPU, false);
    EXPECT_FALSE(settings.warnCPU()->isChecked()) << "follows a change made elsewhere";
    defaults().remove(SystemStatsExtension::warnHeat.key);
    EXPECT_TRUE(settings.warnHeat()->isChecked());
    auto view = extension->makeSettingsView();
    EXPECT_NE(dynamic_cast<SystemStatsSettings *>(view.get()), nullptr);
}

}  // namespace
