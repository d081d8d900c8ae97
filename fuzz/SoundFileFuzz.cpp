// Fuzzes a user's sound file as the player reads it: arbitrary bytes through libsndfile's virtual
// I/O, then every block converted to the stream's format. Whatever opens has a format the server
// takes, and every converted sample is a number within [-1, 1].
#include "Platform/linux/SoundFileDecoder.h"

#include <cmath>
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
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto decoder = vesk::SoundFileDecoder::fromBytes(std::string(reinterpret_cast<const char *>(data), size));
    if (!decoder)
        return 0;
    check(vesk::SoundFileDecoder::isStreamable(decoder->channels(), decoder->rate()));
    std::vector<float> block(size_t(512) * size_t(decoder->channels()));
    // A file may claim more frames than its bytes hold; the reader stops at what is there.
    for (int blocks = 0; blocks < 4096; ++blocks) {
        const size_t frames = decoder->read(block.data(), 512);
        if (frames == 0)
            break;
        check(frames <= 512);
        for (size_t i = 0; i < frames * size_t(decoder->channels()); ++i)
            check(std::isfinite(block[i]) && block[i] >= -1.0f && block[i] <= 1.0f);
    }
    return 0;
}
