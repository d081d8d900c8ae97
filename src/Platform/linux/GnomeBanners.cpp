#include "Platform/linux/GnomeBanners.h"

#include <gio/gio.h>

namespace vesk {

std::optional<bool> gnomeShowBanners()
{
    static constexpr const char *schemaId = "org.gnome.desktop.notifications";
    static constexpr const char *key = "show-banners";
    // One settings object for the process once the schema is found: it follows the backend's changes.
    static GSettings *settings = [] () -> GSettings * {
        GSettingsSchemaSource *source = g_settings_schema_source_get_default();
        if (!source)
            return nullptr;
        GSettingsSchema *schema = g_settings_schema_source_lookup(source, schemaId, TRUE);
        if (!schema)
            return nullptr;
        const bool hasKey = g_settings_schema_has_key(schema, key);
        GSettings *made = nullptr;
        if (hasKey) {
            GSettingsSchemaKey *info = g_settings_schema_get_key(schema, key);
            if (g_variant_type_equal(g_settings_schema_key_get_value_type(info), G_VARIANT_TYPE_BOOLEAN))
                made = g_settings_new_full(schema, nullptr, nullptr);
            g_settings_schema_key_unref(info);
        }
        g_settings_schema_unref(schema);
        return made;
    }();
    if (!settings)
        return std::nullopt;
    return g_settings_get_boolean(settings, key) != FALSE;
}

}  // namespace vesk
