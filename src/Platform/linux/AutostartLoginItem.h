#pragma once

#include "Platform/LoginItem.h"

#include <string>
#include <vector>

namespace vesk {

// The login item as a Desktop Entry in $XDG_CONFIG_HOME/autostart/vesk.desktop (the settings
// store's rule for $XDG_CONFIG_HOME). On when the entry is a regular file whose first `readLimit`
// bytes do not say `Hidden=true` or `X-GNOME-Autostart-enabled=false`. Registering replaces a link
// at the entry's name instead of writing through it.
class AutostartLoginItem final : public LoginItem {
public:
    static constexpr size_t readLimit = 64 * 1024;

    // `program` is the absolute path the entry starts; empty means the running program.
    explicit AutostartLoginItem(std::string program = {});

    Status status() const override;
    std::optional<std::string> registerItem() override;
    std::optional<std::string> unregisterItem() override;

    static std::string entryPath();
    // The entry's text for `program`; none when the path cannot be written into one (a line break).
    static std::optional<std::string> entryText(const std::string &program);
    // Whether the text of an entry leaves it switched on.
    static bool entryEnables(const std::string &text);

private:
    std::string program_;
};

namespace desktop_entry {
// Quotes one argument of an Exec line: plain when it holds no blank or reserved character, else
// in double quotes with `"`, backquote, `$` and `\` escaped; `%` is doubled either way. A value
// with a line break (or a NUL) cannot be written: none.
std::optional<std::string> quoteExecArgument(const std::string &argument);
// The arguments of an Exec value, undoing the quoting above; none for an unterminated quote.
std::optional<std::vector<std::string>> splitExec(const std::string &value);
}  // namespace desktop_entry

}  // namespace vesk
