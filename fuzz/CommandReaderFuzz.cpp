// Fuzzes TrackWatch's command input: the bytes arrive on a stream exactly as on the companion's
// standard input, are read in pieces, decoded, split and carried out against a framework that
// records nothing. Besides crashes and undefined behaviour it checks what the reader promises.
#include "TrackWatch/CommandLine.h"
#include "TrackWatch/TrackWatch.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

void noQuery(const MRDispatchQueue *, void *, MRNowPlayingInfoCallback) {}
void noPlaying(const MRDispatchQueue *, void *, MRIsPlayingCallback) {}
int command(int32_t, const void *options)
{
    check(options == nullptr);
    return 0;
}
void elapsed(double) {}
void mode(int32_t value)
{
    check(value == 1 || value == 3);
}
void registration(const MRDispatchQueue *) {}
void async(const MRDispatchQueue *, void (*)(void *), void *) {}
const MRDispatchQueue queue{&async};

trackwatch::TrackWatch &watch()
{
    static trackwatch::MediaRemoteFunctions functions = [] {
        trackwatch::MediaRemoteFunctions f;
        f.getInfo = &noQuery;
        f.getIsPlaying = &noPlaying;
        f.sendCommand = &command;
        f.setElapsed = &elapsed;
        f.setShuffleMode = &mode;
        f.setRepeatMode = &mode;
        f.registerForNotifications = &registration;
        return f;
    }();
    static trackwatch::TrackWatch instance(functions, &queue, [](const std::string &) {},
                                           [](int, std::function<void()>) {});
    return instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    std::FILE *stream = fmemopen(const_cast<uint8_t *>(data), size, "r");
    if (!stream)
        return 0;
    trackwatch::CommandReader reader(stream);
    while (auto line = reader.next()) {
        check(!line->empty() && line->size() <= trackwatch::kPieceBytes);
        check(trackwatch::isValidUtf8(*line));
        check(line->find('\0') == std::string::npos);
        check(!isAsciiSpace(line->front()) && !isAsciiSpace(line->back()));
        if (auto parsed = trackwatch::parseCommand(*line)) {
            check(parsed->word.find(' ') == std::string::npos && parsed->argument.find(' ') == std::string::npos);
            check(parsed->word.size() + parsed->argument.size() < line->size());
            trackwatch::integerValue(parsed->argument);
            check(!std::isnan(trackwatch::doubleValue(parsed->argument)));
        }
        watch().handleCommand(*line);
    }
    std::fclose(stream);
    return 0;
}
