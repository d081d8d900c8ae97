// Fuzzes the Claude Code event intake: the input's bytes are appended to the event file in chunks,
// as hooks append their lines, with a tick after each chunk. The first byte picks the file's bound
// (16 to 4,096 bytes, so rotation happens often), the second the longest line (8 to 1,028 bytes)
// and the third what a tick reads (that and up to 255 times 8 bytes more, so that reading takes
// several ticks and floods are skipped); then each chunk is a length byte and that many bytes. A
// line goes whole to the file its writer opened: a writer opens the event file at the start of
// each line, as a hook's one `cat` append does, so the end of a line begun before a rotation lands
// in the rotated file. Checks: the lines taken are whole lines written, in order, none twice, each
// shorter than the longest line; and without a rotation, a flood skipped or a line past the longest,
// all of them once the writers stop.
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

    if (size < 3)
        return 0;
    bool skipped = false;
    vesk::setLogSink([&](std::string_view line) { skipped = skipped || line.find("skipped") != std::string_view::npos; });
    vesk::ClaudeCodeExtension claude;
    claude.eventFileBound = 16 + uint64_t(data[0]) * 16;
    claude.longestLine = 8 + size_t(data[1]) * 4;
    claude.readPerTick = claude.longestLine + uint64_t(data[2]) * 8;
    std::vector<std::string> taken;
    claude.lineTaken = [&](std::string_view line) { taken.emplace_back(line); };
    claude.start();

    Writer writer{events};
    std::string written;
    bool rotated = false;
    size_t pos = 3;
    while (pos < size) {
        const size_t length = std::min<size_t>(data[pos], size - pos - 1);
        writer.append(std::string_view(reinterpret_cast<const char *>(data + pos + 1), length));
        written.append(reinterpret_cast<const char *>(data + pos + 1), length);
        pos += 1 + length;
        claude.tick();
        rotated = rotated || std::filesystem::exists(folder + "/events.jsonl.old");
    }
    // Enough ticks to read a backlog of the whole input, a tick's worth at a time.
    for (size_t i = 0; i < written.size() / claude.readPerTick + 3; ++i)
        claude.tick();
    vesk::setLogSink([](std::string_view) {});

    std::vector<std::string> lines;
    bool longLine = false;
    for (size_t start = 0, feed; (feed = written.find('\n', start)) != std::string::npos; start = feed + 1) {
        if (feed > start)
            lines.push_back(written.substr(start, feed - start));
        longLine = longLine || feed - start >= claude.longestLine;
    }
    // In order and none twice: the taken lines are a subsequence of the written ones.
    size_t next = 0;
    for (const auto &line : taken) {
        fuzz::check(line.size() < claude.longestLine);
        while (next < lines.size() && lines[next] != line)
            ++next;
        fuzz::check(next < lines.size());
        ++next;
    }
    if (!rotated && !longLine && !skipped)
        fuzz::check(taken == lines);
    return 0;
}
