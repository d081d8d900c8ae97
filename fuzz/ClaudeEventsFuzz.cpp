// Fuzzes the Claude Code event intake: the input's bytes are appended to the event file in chunks,
// as hooks append their lines, with a tick after each chunk. The first byte picks the file's bound
// (16 to 4,096 bytes, so rotation and the skipping of endless lines happen often); then each chunk
// is a length byte and that many bytes. A line goes whole to the file its writer opened: a writer
// opens the event file at the start of each line, as a hook's one `cat` append does, so the end of
// a line begun before a rotation lands in the rotated file. Checks: the lines taken are the whole
// lines written, in order, none twice; and without a rotation or a line past the bound, all of them.
#include "ClaudeCodeFuzzSupport.h"

#include "Base/VirtualTime.h"

#include <cstdint>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Writer {
    std::string path;
    int fd = -1;
    bool atLineStart = true;
    ~Writer()
    {
        if (fd >= 0)
            ::close(fd);
    }
    void append(std::string_view bytes)
    {
        while (!bytes.empty()) {
            if (atLineStart || fd < 0) {
                if (fd >= 0)
                    ::close(fd);
                fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
                fuzz::check(fd >= 0);
            }
            const size_t feed = bytes.find('\n');
            const size_t n = feed == std::string_view::npos ? bytes.size() : feed + 1;
            fuzz::check(::write(fd, bytes.data(), n) == ssize_t(n));
            atLineStart = feed != std::string_view::npos;
            bytes.remove_prefix(n);
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::home();
    fuzz::clearHome();
    if (size == 0)
        return 0;
    vesk::VirtualTime time;
    const std::string folder = vesk::ClaudeCodeExtension::folder();
    std::filesystem::create_directories(folder);
    const std::string events = folder + "/events.jsonl";

    vesk::ClaudeCodeExtension claude;
    claude.eventFileBound = 16 + uint64_t(data[0]) * 16;
    std::vector<std::string> taken;
    claude.lineTaken = [&](std::string_view line) { taken.emplace_back(line); };
    claude.start();

    Writer writer{events};
    std::string written;
    bool rotated = false;
    size_t pos = 1;
    while (pos < size) {
        const size_t length = std::min<size_t>(data[pos], size - pos - 1);
        writer.append(std::string_view(reinterpret_cast<const char *>(data + pos + 1), length));
        written.append(reinterpret_cast<const char *>(data + pos + 1), length);
        pos += 1 + length;
        claude.tick();
        rotated = rotated || std::filesystem::exists(folder + "/events.jsonl.old");
    }
    claude.tick();
    claude.tick();

    std::vector<std::string> lines;
    bool longLine = false;
    for (size_t start = 0, feed; (feed = written.find('\n', start)) != std::string::npos; start = feed + 1) {
        if (feed > start)
            lines.push_back(written.substr(start, feed - start));
        longLine = longLine || feed - start >= claude.eventFileBound;
    }
    // In order and none twice: the taken lines are a subsequence of the written ones.
    size_t next = 0;
    for (const auto &line : taken) {
        while (next < lines.size() && lines[next] != line)
            ++next;
        fuzz::check(next < lines.size());
        ++next;
    }
    if (!rotated && !longLine)
        fuzz::check(taken == lines);
    return 0;
}
