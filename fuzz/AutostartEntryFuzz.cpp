// Fuzzes the login item's autostart entry, in $XDG_CONFIG_HOME/autostart/vesk.desktop of a private
// folder. The first byte chooses what the rest is:
// - even: the text of an entry someone else left there. The item reads it as the file it is, up to
//   its read limit; the verdict must not change with a group of another name added after it, must
//   be off with a `Hidden=true` main group added after it, and must be on when no line can switch
//   it off. With the second bit set, the file goes on past the read limit with a line that would
//   switch it off, which the item must never see.
// - odd: the path of the program to start, after a leading "/". Registering either fails with a
//   description and leaves the entry as it was (a path with a line break or a NUL), or writes an
//   entry that is on, has its six lines and nothing more, and whose Exec line, read back by the
//   Desktop Entry rules (the value's escapes first, then the quoting), gives exactly that path as
//   the one argument. The quoting of the bare argument round-trips through the splitter too.
#include "Base/Log.h"
#include "Platform/linux/AutostartLoginItem.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

const std::string &entryPath()
{
    static const std::string path = [] {
        vesk::setLogSink([](std::string_view) {});
        const char *shm = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(shm) + "/vesk-autostart-fuzz-XXXXXX";
        check(::mkdtemp(pattern.data()) != nullptr);
        ::setenv("XDG_CONFIG_HOME", pattern.c_str(), 1);
        return pattern + "/autostart/vesk.desktop";
    }();
    return path;
}

bool exists(const std::string &path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string readWhole(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeWhole(const std::string &path, const std::string &text)
{
    ::mkdir(path.substr(0, path.rfind('/')).c_str(), 0755);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
    check(bool(out));
}

// A Desktop Entry string value with its escapes undone: \s \n \t \r \\.
std::string unescapeValue(const std::string &value)
{
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (const char c = value[++i]) {
        case 's': out += ' '; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        default: out += c; break;
        }
    }
    return out;
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find('\n', at);
        check(end != std::string::npos);  // every line of what the item writes ends in a line break
        out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

void readEntry(const std::string &text, bool beyondTheLimit)
{
    using vesk::AutostartLoginItem;
    using Status = vesk::LoginItem::Status;
    const std::string file = beyondTheLimit
        ? text + "\n" + std::string(AutostartLoginItem::readLimit, '#') + "\n[Desktop Entry]\nHidden=true\n"
        : text;
    writeWhole(entryPath(), file);
    const bool on = AutostartLoginItem().status() == Status::enabled;
    check(on == AutostartLoginItem::entryEnables(file.substr(0, AutostartLoginItem::readLimit)));
    if (beyondTheLimit && text.size() < AutostartLoginItem::readLimit)
        check(on == AutostartLoginItem::entryEnables(text + "\n"));
    check(AutostartLoginItem::entryEnables(text + "\n[Other Group]\nHidden=true\nX-GNOME-Autostart-enabled=false\n")
          == on);
    check(!AutostartLoginItem::entryEnables(text + "\n[Desktop Entry]\nHidden=true\n"));
    if (text.find("Hidden") == std::string::npos && text.find("X-GNOME-Autostart-enabled") == std::string::npos)
        check(on);
}

void registerProgram(const std::string &program)
{
    using vesk::AutostartLoginItem;
    using Status = vesk::LoginItem::Status;
    namespace entry = vesk::desktop_entry;

    const bool writable = program.find_first_of(std::string("\n\r\0", 3)) == std::string::npos;
    const auto quoted = entry::quoteExecArgument(program);
    check(quoted.has_value() == writable);
    if (quoted) {
        const auto split = entry::splitExec(*quoted);
        check(split && split->size() == 1 && split->front() == program);
    }

    ::unlink(entryPath().c_str());
    AutostartLoginItem item(program);
    const auto failure = item.registerItem();
    if (!writable) {
        check(failure && !failure->empty());
        check(!exists(entryPath()));
        check(item.status() == Status::disabled);
        return;
    }
    check(!failure);
    check(item.status() == Status::enabled);
    const std::string text = readWhole(entryPath());
    check(AutostartLoginItem::entryText(program) == text);
    const auto all = lines(text);
    check(all.size() == 6 && all[0] == "[Desktop Entry]" && all[3].rfind("Exec=", 0) == 0);
    const auto arguments = entry::splitExec(unescapeValue(all[3].substr(5)));
    check(arguments && arguments->size() == 1 && arguments->front() == program);
    check(!item.unregisterItem());
    check(!exists(entryPath()) && item.status() == Status::disabled);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string rest(reinterpret_cast<const char *>(data) + 1, size - 1);
    if (data[0] % 2 == 0)
        readEntry(rest, data[0] & 2);
    else
        registerProgram("/" + rest);
    return 0;
}
