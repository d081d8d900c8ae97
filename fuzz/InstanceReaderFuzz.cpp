// Fuzzes what the single-instance socket reads from a client. The first bytes choose how the rest
// is cut into the pieces the socket delivers; whatever the cuts, the reader must count the same
// "reopen" lines and drop the client at the same byte as a plain reading of the whole stream.
#include "App/SingleInstance.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Expected {
    int reopens = 0;
    bool overflowed = false;
};

Expected readWhole(const std::string &stream)
{
    Expected expected;
    std::string line;
    for (const char c : stream) {
        if (c == '\n') {
            expected.reopens += line == "reopen";
            line.clear();
            continue;
        }
        line += c;
        if (line.size() > vesk::InstanceMessageReader::kLineLimit) {
            expected.overflowed = true;
            break;
        }
    }
    return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    std::vector<std::size_t> cuts;
    for (int n = provider.ConsumeIntegralInRange<int>(0, 16); n > 0; --n)
        cuts.push_back(provider.ConsumeIntegralInRange<std::size_t>(0, 200));
    const std::string stream = provider.ConsumeRemainingBytesAsString();

    vesk::InstanceMessageReader reader;
    int reopens = 0;
    std::size_t at = 0;
    for (std::size_t i = 0; at < stream.size(); ++i) {
        const std::size_t length = i < cuts.size() ? cuts[i] : stream.size() - at;
        const std::string_view piece = std::string_view(stream).substr(at, length);
        const bool wasOverflowed = reader.overflowed();
        const int counted = reader.feed(piece);
        check(counted >= 0 && (!wasOverflowed || counted == 0));
        reopens += counted;
        at += piece.size();
    }
    const Expected expected = readWhole(stream);
    check(reopens == expected.reopens);
    check(reader.overflowed() == expected.overflowed);
    return 0;
}
