#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace vesk {

// A sound file read through libsndfile, a block at a time, as interleaved 32-bit floats in [-1, 1]
// (the format the sound stream takes): values outside the range are clipped and those that are not
// numbers are silence. Any thread, one at a time.
class SoundFileDecoder {
public:
    ~SoundFileDecoder();
    SoundFileDecoder(const SoundFileDecoder &) = delete;
    SoundFileDecoder &operator=(const SoundFileDecoder &) = delete;

    // Only an absolute path to a regular file counts; it is opened without blocking, so a FIFO or
    // device that takes its place at the last moment cannot hold the caller up. Empty when the file
    // is not a sound the stream can play.
    static std::unique_ptr<SoundFileDecoder> open(const std::string &path);
    // The same from bytes in memory.
    static std::unique_ptr<SoundFileDecoder> fromBytes(std::string bytes);

    // 1 to 8 channels at a sample rate the sound server takes.
    static bool isStreamable(int channels, int rate);

    int channels() const { return channels_; }
    int rate() const { return rate_; }
    // Reads up to `frames` frames into `out` (room for frames x channels floats); 0 at the end.
    size_t read(float *out, size_t frames);

private:
    struct Memory;
    SoundFileDecoder() = default;
    static std::unique_ptr<SoundFileDecoder> checked(std::unique_ptr<SoundFileDecoder> decoder);

    void *file_ = nullptr;  // SNDFILE
    std::unique_ptr<Memory> memory_;
    int channels_ = 0;
    int rate_ = 0;
};

}  // namespace vesk
