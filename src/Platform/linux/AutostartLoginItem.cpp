#include "Platform/linux/AutostartLoginItem.h"

#include "Platform/AtomicFile.h"
#include "Platform/RegularFile.h"
#include "Platform/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace desktop_entry {

namespace {
// The characters that make an Exec argument need quotes.
bool isReserved(char c)
{
    return std::strchr(" \t\"'\\><~|&;$*?#()`", c) != nullptr;
}
}  // namespace

std::optional<std::string> quoteExecArgument(const std::string &argument)
{
    bool quote = argument.empty();
    for (char c : argument) {
        if (c == '\n' || c == '\r' || c == '\0')
            return std::nullopt;
        quote = quote || isReserved(c);
    }
    std::string out;
    if (quote)
        out += '"';
    for (char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            out += '\\';
        out += c;
        if (c == '%')
            out += '%';
    }
    if (quote)
        out += '"';
    return out;
}

std::optional<std::vector<std::string>> splitExec(const std::string &value)
{
    std::vector<std::string> args;
    std::string current;
    bool inArgument = false, quoted = false;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quoted) {
            if (c == '\\' && i + 1 < value.size()) {
                current += value[++i];
            } else if (c == '"') {
                quoted = false;
            } else if (c == '%' && i + 1 < value.size() && value[i + 1] == '%') {
                current += '%';
                ++i;
            } else {
                current += c;
            }
        } else if (c == ' ' || c == '\t') {
            if (inArgument)
                args.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else if (c == '"') {
            quoted = inArgument = true;
        } else if (c == '%' && i + 1 < value.size() && value[i + 1] == '%') {
            current += '%';
            inArgument = true;
            ++i;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        args.push_back(std::move(current));
    return args;
}

}  // namespace desktop_entry

namespace {

// The string escape of a Desktop Entry value, applied over the Exec quoting: a backslash doubles.
std::string escapeValue(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

std::string runningProgram()
{
    const QString path = QCoreApplication::applicationFilePath();
    if (!path.isEmpty())
        return QFileInfo(path).absoluteFilePath().toStdString();
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, size_t(n)) : std::string();
}

std::string trimmed(const std::string &s)
{
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// Reads the entry: none when it is missing; an error text when it is there but not a readable
// regular file. It is opened without blocking (a FIFO at the name would hold the General pane for
// good) and only its first `AutostartLoginItem::readLimit` bytes are read: an entry is a few lines,
// and what a huge file holds past that is not looked at.
struct Entry {
    bool exists = false;
    std::optional<std::string> text;
    std::string error;
};

Entry readEntry(const std::string &path)
{
    Entry entry;
    const RegularFile file = RegularFile::open(path);
    if (file.error == ENOENT)
        return entry;
    entry.exists = true;
    if (file.error == EISDIR || file.error == EINVAL)
        entry.error = path + " is not a regular file";
    else if (file.error != 0)
        entry.error = path + ": " + std::strerror(file.error);
    else
        entry.text = readFileRange(file.fd.get(), 0, AutostartLoginItem::readLimit);
    return entry;
}

}  // namespace

AutostartLoginItem::AutostartLoginItem(std::string program) : program_(std::move(program)) {}

std::string AutostartLoginItem::entryPath() { return UserDefaults::configFolder("autostart") + "/vesk.desktop"; }

std::optional<std::string> AutostartLoginItem::entryText(const std::string &program)
{
    const auto quoted = desktop_entry::quoteExecArgument(program);
    if (!quoted)
        return std::nullopt;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Vesk\n"
           "Exec="
        + escapeValue(*quoted)
        + "\n"
          "Icon=vesk\n"
          "Terminal=false\n";
}

bool AutostartLoginItem::entryEnables(const std::string &text)
{
    std::istringstream lines(text);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string t = trimmed(line);
        if (t.empty() || t[0] == '#')
            continue;
        if (t[0] == '[') {
            inMainGroup = t == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const auto eq = t.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = trimmed(t.substr(0, eq)), value = trimmed(t.substr(eq + 1));
        if (key == "Hidden" && value == "true")
            return false;
        if (key == "X-GNOME-Autostart-enabled" && value == "false")
            return false;
    }
    return true;
}

LoginItem::Status AutostartLoginItem::status() const
{
    const Entry entry = readEntry(entryPath());
    return entry.text && entryEnables(*entry.text) ? Status::enabled : Status::disabled;
}

std::optional<std::string> AutostartLoginItem::registerItem()
{
    const std::string path = entryPath();
    const Entry entry = readEntry(path);
    if (!entry.error.empty())
        return entry.error;
    const std::string program = program_.empty() ? runningProgram() : program_;
    if (program.empty() || program[0] != '/')
        return "the running program's path is not known";
    const auto text = entryText(program);
    if (!text)
        return "the program's path holds a line break and cannot be started from an autostart entry";
    const QString folder = QFileInfo(QString::fromStdString(path)).absolutePath();
    if (!QDir().mkpath(folder))
        return folder.toStdString() + " cannot be made";
    // A link at the entry's name (to a shell profile, say) is replaced, never written through.
    std::string failure = replaceFileAtomically(path, *text, 0644);
    if (!failure.empty())
        return failure;
    return std::nullopt;
}

std::optional<std::string> AutostartLoginItem::unregisterItem()
{
    const std::string path = entryPath();
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? std::nullopt : std::optional(path + ": " + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return path + " is a folder";
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return path + ": " + std::strerror(errno);
    return std::nullopt;
}

}  // namespace vesk
