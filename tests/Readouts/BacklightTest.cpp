#include "Platform/linux/SysfsBacklight.h"

#include "SysfsTreeSupport.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace vesk;

namespace {

void panel(test::SysfsTree &tree, const QString &name, const QByteArray &type, const QByteArray &max,
           const QByteArray &value)
{
    const QString folder = "class/backlight/" + name + "/";
    tree.write(folder + "type", type);
    tree.write(folder + "max_brightness", max);
    tree.write(folder + "brightness", value);
}

QByteArray contents(const test::SysfsTree &tree, const QString &path)
{
    QFile file(tree.path(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll().trimmed();
}

}  // namespace

TEST(SysfsBacklightTest, FirmwareBeatsPlatformBeatsRawAndTiesGoByName)
{
    test::SysfsTree tree;
    EXPECT_EQ(chooseBacklight(tree.root()), "") << "no folder at all";
    panel(tree, "raw0", "raw", "100", "50");
    panel(tree, "b_platform", "platform", "100", "50");
    panel(tree, "a_platform", "platform", "100", "50");
    EXPECT_EQ(SysfsBacklight(tree.root(), false).name(), "a_platform");
    panel(tree, "z_firmware", "firmware", "100", "50");
    EXPECT_EQ(SysfsBacklight(tree.root(), false).name(), "z_firmware");
    tree.write("class/backlight/odd/type", "mystery");
    EXPECT_EQ(SysfsBacklight(tree.root(), false).name(), "z_firmware");
}

TEST(SysfsBacklightTest, TheLevelPrefersActualBrightness)
{
    test::SysfsTree tree;
    panel(tree, "intel_backlight", "raw", "1000", "500");
    SysfsBacklight plain(tree.root(), false);
    EXPECT_EQ(plain.level(), 0.5f);
    tree.write("class/backlight/intel_backlight/actual_brightness", "250");
    SysfsBacklight actual(tree.root(), false);
    EXPECT_EQ(actual.level(), 0.25f);
    tree.write("class/backlight/intel_backlight/actual_brightness", "300");
    EXPECT_EQ(actual.level(), 0.3f) << "read afresh each time";
}

TEST(SysfsBacklightTest, BadValuesAreFailedReads)
{
    test::SysfsTree tree;
    panel(tree, "acpi_video0", "firmware", "0", "5");
    SysfsBacklight light(tree.root(), false);
    EXPECT_TRUE(light.canRead());
    EXPECT_FALSE(light.level()) << "max 0";
    EXPECT_FALSE(light.setLevel(0.5f, 1));
    for (const QByteArray &max : {QByteArray("x"), QByteArray(""), QByteArray("-4"), QByteArray("12 ")}) {
        tree.write("class/backlight/acpi_video0/max_brightness", max);
        if (max == "12 ")
            EXPECT_EQ(light.level(), 5.0f / 12.0f) << "trailing space is trimmed";
        else
            EXPECT_FALSE(light.level()) << max.toStdString();
    }
    tree.write("class/backlight/acpi_video0/brightness", "five");
    EXPECT_FALSE(light.level());
    EXPECT_FALSE(SysfsBacklight("/nonexistent", false).canRead());
}

TEST(SysfsBacklightTest, ACoarsePanelMovesAtLeastOneStepTheKeysWay)
{
    EXPECT_EQ(SysfsBacklight::rawValue(0.55f, 1, 3, 7), 4) << "round(3.85) is 4 already";
    EXPECT_EQ(SysfsBacklight::rawValue(3.0f / 7 + 0.0625f, 1, 3, 7), 4) << "round(3.44) would stay at 3";
    EXPECT_EQ(SysfsBacklight::rawValue(3.0f / 7 - 0.0625f, -1, 3, 7), 2);
    EXPECT_EQ(SysfsBacklight::rawValue(1.0f, 1, 7, 7), 7) << "never above the top";
    EXPECT_EQ(SysfsBacklight::rawValue(0.0f, -1, 0, 7), 0) << "never below 0";
    EXPECT_EQ(SysfsBacklight::rawValue(0.5f + 0.0625f, 1, 500, 1000), 563) << "a fine panel rounds";
}

TEST(SysfsBacklightTest, WithoutLogindTheLevelIsWrittenToTheFile)
{
    test::SysfsTree tree;
    panel(tree, "intel_backlight", "raw", "7", "3");
    SysfsBacklight light(tree.root(), false);
    ASSERT_TRUE(light.canWrite());
    EXPECT_EQ(light.setLevel(3.0f / 7 + 0.0625f, 1), 4.0f / 7);
    EXPECT_EQ(contents(tree, "class/backlight/intel_backlight/brightness"), "4");
    EXPECT_EQ(light.level(), 4.0f / 7) << "what the watch reads back";
    QFile::setPermissions(tree.path("class/backlight/intel_backlight/brightness"), QFile::ReadOwner);
    if (::geteuid() != 0) {  // root writes anyway
        EXPECT_FALSE(light.canWrite());
        EXPECT_FALSE(light.setLevel(0.1f, -1));
    }
}
