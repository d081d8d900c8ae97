// Focus from GNOME's "show-banners" on GSettings' memory backend with a test schema. GIO's headers
// come before any of Qt's, whose `signals` keyword they use as a name.
#include <gio/gio.h>

#include "Platform/FocusStatus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace vesk;

TEST(GnomeFocusIntegrationTest, BannersOffIsFocusUnderGnome)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vesk-schemas-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(VESK_TEST_DATA "/gsettings/org.gnome.desktop.notifications.gschema.xml",
                               dir / "org.gnome.desktop.notifications.gschema.xml",
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_EQ(std::system(("glib-compile-schemas " + dir.string()).c_str()), 0);
    // Before the first GSettings call of this process: it reads these once.
    ::setenv("GSETTINGS_SCHEMA_DIR", dir.c_str(), 1);
    ::setenv("GSETTINGS_BACKEND", "memory", 1);
    ::setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);

    FocusStatus &focus = focusStatus();  // no notification server on the bus here
    ASSERT_TRUE(focus.isAuthorised());
    EXPECT_EQ(focus.isFocused(), false);
    GSettings *settings = g_settings_new("org.gnome.desktop.notifications");
    g_settings_set_boolean(settings, "show-banners", FALSE);
    EXPECT_EQ(focus.isFocused(), true);
    g_settings_set_boolean(settings, "show-banners", TRUE);
    EXPECT_EQ(focus.isFocused(), false);
    ::setenv("XDG_CURRENT_DESKTOP", "KDE", 1);
    EXPECT_FALSE(focus.isFocused()) << "another desktop: the GNOME key says nothing";
    g_object_unref(settings);
    std::filesystem::remove_all(dir);
}
