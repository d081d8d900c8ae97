#include "Platform/linux/SoundFileDecoder.h"

#include "Base/SharedLibrary.h"
#include "Platform/ClipPlayer.h"

#include <pulse/sample.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {

// libsndfile and its codecs are loaded when the first sound file is read (a lock sound, a sound
// picked in Settings), not at start.
struct SndFile {
    SndFile()
    {
        const SharedLibrary library("libsndfile.so.1");
        ok = library.resolve(openFd, "sf_open_fd") && library.resolve(openVirtual, "sf_open_virtual")
            && library.resolve(readFrames, "sf_readf_float") && library.resolve(close, "sf_close");
    }
    bool ok = false;
    decltype(&sf_open_fd) openFd = nullptr;
    decltype(&sf_open_virtual) openVirtual = nullptr;
    decltype(&sf_readf_float) readFrames = nullptr;
    decltype(&sf_close) close = nullptr;
};

const SndFile *sndFile()
{
    static const SndFile loaded;
    return loaded.ok ? &loaded : nullptr;
}

}  // namespace

struct SoundFileDecoder::Memory {
    std::string bytes;
    sf_count_t position = 0;

    static sf_count_t length(void *self) { return sf_count_t(static_cast<Memory *>(self)->bytes.size()); }
    static sf_count_t seek(sf_count_t offset, int whence, void *self)
    {
        auto *m = static_cast<Memory *>(self);
        sf_count_t base = whence == SEEK_CUR ? m->position : whence == SEEK_END ? sf_count_t(m->bytes.size()) : 0;
        const sf_count_t target = base + offset;
        if (target < 0 || target > sf_count_t(m->bytes.size()))
            return -1;
        m->position = target;
        return m->position;
    }
    static sf_count_t read(void *out, sf_count_t count, void *self)
    {
        auto *m = static_cast<Memory *>(self);
        const sf_count_t n = std::clamp<sf_count_t>(sf_count_t(m->bytes.size()) - m->position, 0, std::max<sf_count_t>(count, 0));
        std::memcpy(out, m->bytes.data() + m->position, size_t(n));
        m->position += n;
        return n;
    }
    static sf_count_t write(const void *, sf_count_t, void *) { return 0; }
    static sf_count_t tell(void *self) { return static_cast<Memory *>(self)->position; }
};

SoundFileDecoder::~SoundFileDecoder()
{
    if (file_)
        sndFile()->close(static_cast<SNDFILE *>(file_));
}

bool SoundFileDecoder::isStreamable(int channels, int rate)
{
    if (channels < 1 || channels > 8 || rate <= 0)
        return false;
    // What the sound server takes as a float stream's rate (pa_sample_spec_valid's limit).
    return unsigned(rate) <= PA_RATE_MAX;
}

std::unique_ptr<SoundFileDecoder> SoundFileDecoder::checked(std::unique_ptr<SoundFileDecoder> decoder)
{
    if (!decoder->file_ || !isStreamable(decoder->channels_, decoder->rate_))
        return nullptr;
    return decoder;
}

std::unique_ptr<SoundFileDecoder> SoundFileDecoder::open(const std::string &path)
{
    const SndFile *library = sndFile();
    if (!library || path.empty() || path.front() != '/')
        return nullptr;
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    // Something else may stand there now than what stat saw.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::unique_ptr<SoundFileDecoder> decoder(new SoundFileDecoder);
    SF_INFO info{};
    decoder->file_ = library->openFd(fd, SFM_READ, &info, SF_TRUE);
    if (!decoder->file_)
        return nullptr;  // sf_open_fd closed the descriptor
    decoder->channels_ = info.channels;
    decoder->rate_ = info.samplerate;
    return checked(std::move(decoder));
}

std::unique_ptr<SoundFileDecoder> SoundFileDecoder::fromBytes(std::string bytes)
{
    const SndFile *library = sndFile();
    if (!library)
        return nullptr;
    std::unique_ptr<SoundFileDecoder> decoder(new SoundFileDecoder);
    decoder->memory_ = std::make_unique<Memory>();
    decoder->memory_->bytes = std::move(bytes);
    static SF_VIRTUAL_IO io{&Memory::length, &Memory::seek, &Memory::read, &Memory::write, &Memory::tell};
    SF_INFO info{};
    decoder->file_ = library->openVirtual(&io, SFM_READ, &info, decoder->memory_.get());
    decoder->channels_ = info.channels;
    decoder->rate_ = info.samplerate;
    return checked(std::move(decoder));
}

size_t SoundFileDecoder::read(float *out, size_t frames)
{
    if (!file_ || frames == 0)
        return 0;
    const sf_count_t got = sndFile()->readFrames(static_cast<SNDFILE *>(file_), out, sf_count_t(frames));
    if (got <= 0)
        return 0;
    const size_t samples = size_t(got) * size_t(channels_);
    for (size_t i = 0; i < samples; ++i) {
        const float v = out[i];
        out[i] = std::isnan(v) ? 0.0f : std::clamp(v, -1.0f, 1.0f);
    }
    return size_t(got);
}

bool isReadableSoundFile(const std::string &path) { return SoundFileDecoder::open(path) != nullptr; }

}  // namespace vesk
