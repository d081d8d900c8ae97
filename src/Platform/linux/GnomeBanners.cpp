#include "Platform/linux/GnomeBanners.h"

#include "Base/SharedLibrary.h"

#include <gio/gio.h>

namespace vesk {

namespace {

// GIO is opened only where a GNOME setting is read: elsewhere it and what it pulls in (GObject,
// libmount, libselinux, ...) cost the process nothing.
struct Gio {
    decltype(&g_settings_schema_source_get_default) sourceDefault = nullptr;
    decltype(&g_settings_schema_source_lookup) lookup = nullptr;
    decltype(&g_settings_schema_has_key) hasKey = nullptr;
    decltype(&g_settings_schema_get_key) getKey = nullptr;
    decltype(&g_settings_schema_key_get_value_type) valueType = nullptr;
    decltype(&g_settings_schema_key_unref) keyUnref = nullptr;
    decltype(&g_settings_schema_unref) schemaUnref = nullptr;
    decltype(&g_settings_new_full) settingsNew = nullptr;
    decltype(&g_settings_get_boolean) getBoolean = nullptr;
    decltype(&g_variant_type_equal) typeEqual = nullptr;  // GLib's, found through GIO
    bool ok = false;

    Gio()
    {
        static const SharedLibrary library("libgio-2.0.so.0");
        ok = library.resolve(sourceDefault, "g_settings_schema_source_get_default")
            && library.resolve(lookup, "g_settings_schema_source_lookup")
            && library.resolve(hasKey, "g_settings_schema_has_key")
            && library.resolve(getKey, "g_settings_schema_get_key")
            && library.resolve(valueType, "g_settings_schema_key_get_value_type")
            && library.resolve(keyUnref, "g_settings_schema_key_unref")
            && library.resolve(schemaUnref, "g_settings_schema_unref")
            && library.resolve(settingsNew, "g_settings_new_full")
            && library.resolve(getBoolean, "g_settings_get_boolean")
            && library.resolve(typeEqual, "g_variant_type_equal");
    }
};

}  // namespace

std::optional<bool> gnomeShowBanners()
{
    static constexpr const char *schemaId = "org.gnome.desktop.notifications";
    static constexpr const char *key = "show-banners";
    static const Gio gio;
    // One settings object for the process once the schema is found: it follows the backend's changes.
    static GSettings *settings = [] () -> GSettings * {
        if (!gio.ok)
            return nullptr;
        GSettingsSchemaSource *source = gio.sourceDefault();
        if (!source)
            return nullptr;
        GSettingsSchema *schema = gio.lookup(source, schemaId, TRUE);
        if (!schema)
            return nullptr;
        const bool hasKey = gio.hasKey(schema, key);
        GSettings *made = nullptr;
        if (hasKey) {
            GSettingsSchemaKey *info = gio.getKey(schema, key);
            if (gio.typeEqual(gio.valueType(info), G_VARIANT_TYPE_BOOLEAN))
                made = gio.settingsNew(schema, nullptr, nullptr);
            gio.keyUnref(info);
        }
        gio.schemaUnref(schema);
        return made;
    }();
    if (!settings)
        return std::nullopt;
    return gio.getBoolean(settings, key) != FALSE;
}

}  // namespace vesk
