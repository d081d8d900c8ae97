#include "Platform/linux/PulseClipPlayer.h"

#include "Platform/InstalledService.h"
#include "Platform/linux/PulseLibrary.h"
#include "Platform/linux/SoundFileDecoder.h"

#include <QtEndian>

#include <functional>
#include <map>
#include <vector>

namespace vesk {

namespace {

// How long after a clip's end its stream is corked: the server's latency, with room to spare.
constexpr pa_usec_t corkMargin = 500 * PA_USEC_PER_MSEC;

// The PCM part of a 16-bit WAV clip, with its format; empty when it is not one.
struct Pcm {
    pa_sample_spec spec{PA_SAMPLE_S16LE, 0, 0};
    QByteArray data;
};

Pcm pcmOf(const QByteArray &wav)
{
    Pcm pcm;
    if (wav.size() < 44 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
        return pcm;
    const auto *bytes = reinterpret_cast<const uchar *>(wav.constData());
    int at = 12;
    while (at + 8 <= wav.size()) {
        const QByteArray id = wav.mid(at, 4);
        const auto size = qFromLittleEndian<quint32>(bytes + at + 4);
        const int body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= wav.size()) {
            if (qFromLittleEndian<quint16>(bytes + body) != 1 || qFromLittleEndian<quint16>(bytes + body + 14) != 16)
                return {};
            pcm.spec.channels = uint8_t(qFromLittleEndian<quint16>(bytes + body + 2));
            pcm.spec.rate = qFromLittleEndian<quint32>(bytes + body + 4);
        } else if (id == "data") {
            pcm.data = wav.mid(body, int(std::min<qint64>(size, wav.size() - body)));
            break;
        }
        at = body + int(size + (size & 1));
    }
    const PulseLibrary *library = pulseLibrary();  // without it no clip is playable
    if (!library || !library->sample_spec_valid(&pcm.spec) || pcm.data.isEmpty())
        return {};
    return pcm;
}

pa_channel_map channelMap(int channels)
{
    pa_channel_map map;
    if (!pulse().channel_map_init_auto(&map, unsigned(channels), PA_CHANNEL_MAP_DEFAULT))
        pulse().channel_map_init_auto(&map, unsigned(channels), PA_CHANNEL_MAP_WAVEEX);
    return map;
}

}  // namespace

// Everything the loop's thread touches; the main thread holds the loop's lock around its calls.
struct PulseClipPlayer::Loop {
    pa_threaded_mainloop *mainloop = nullptr;
    pa_context *ctx = nullptr;
    bool ready = false;
    std::vector<std::function<void()>> pending;  // plays waiting for the connection

    struct Clip {
        pa_stream *stream = nullptr;
        Pcm pcm;
        double gain = 1;
        bool wanted = false;      // play as soon as the stream is ready
        pa_time_event *cork = nullptr;
    };
    std::map<std::string, Clip> clips;

    struct File {
        pa_stream *stream = nullptr;
        std::unique_ptr<SoundFileDecoder> decoder;
        bool ended = false;
        pa_time_event *end = nullptr;  // when the played-out stream goes
    } file;

    struct Locker {
        pa_threaded_mainloop *m;
        explicit Locker(pa_threaded_mainloop *m) : m(m) { pulse().threaded_mainloop_lock(m); }
        ~Locker() { pulse().threaded_mainloop_unlock(m); }
    };

    ~Loop()
    {
        if (!mainloop)
            return;
        pulse().threaded_mainloop_stop(mainloop);
        dropContext();
        pulse().threaded_mainloop_free(mainloop);
    }

    bool start()
    {
        if (mainloop)
            return true;
        if (!pulseLibrary())
            return false;
        mainloop = pulse().threaded_mainloop_new();
        if (!mainloop)
            return false;
        pulse().threaded_mainloop_set_name(mainloop, "vesk-sounds");
        if (pulse().threaded_mainloop_start(mainloop) < 0) {
            pulse().threaded_mainloop_free(mainloop);
            mainloop = nullptr;
            return false;
        }
        return true;
    }

    static void dropStream(pa_stream *&stream)
    {
        if (!stream)
            return;
        pulse().stream_set_state_callback(stream, nullptr, nullptr);
        pulse().stream_set_write_callback(stream, nullptr, nullptr);
        pulse().stream_disconnect(stream);
        pulse().stream_unref(stream);
        stream = nullptr;
    }

    void dropFile()
    {
        if (file.end) {
            pulse().threaded_mainloop_get_api(mainloop)->time_free(file.end);
            file.end = nullptr;
        }
        dropStream(file.stream);
        file.decoder.reset();
        file.ended = false;
    }

    void dropContext()
    {
        pa_mainloop_api *api = pulse().threaded_mainloop_get_api(mainloop);
        for (auto &[name, clip] : clips) {
            if (clip.cork)
                api->time_free(clip.cork);
            dropStream(clip.stream);
        }
        clips.clear();
        dropFile();
        pending.clear();
        ready = false;
        if (ctx) {
            pulse().context_set_state_callback(ctx, nullptr, nullptr);
            pulse().context_disconnect(ctx);
            pulse().context_unref(ctx);
            ctx = nullptr;
        }
    }

    // With the lock held: runs `play` now, or once the connection is up (never without a server).
    void whenReady(std::function<void()> play)
    {
        if (ctx && ready) {
            play();
            return;
        }
        pending.push_back(std::move(play));
        if (ctx)
            return;
        pa_proplist *props = pulse().proplist_new();
        pulse().proplist_sets(props, PA_PROP_APPLICATION_NAME, "Vesk");
        pulse().proplist_sets(props, PA_PROP_APPLICATION_ID, "vesk");
        ctx = pulse().context_new_with_proplist(pulse().threaded_mainloop_get_api(mainloop), "Vesk", props);
        pulse().proplist_free(props);
        if (!ctx) {
            pending.clear();
            return;
        }
        pulse().context_set_state_callback(ctx, &Loop::contextState, this);
        if (pulse().context_connect(ctx, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            dropContext();
    }

    static void contextState(pa_context *c, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        switch (pulse().context_get_state(c)) {
        case PA_CONTEXT_READY: {
            self->ready = true;
            auto plays = std::move(self->pending);
            self->pending.clear();
            for (auto &play : plays)
                play();
            break;
        }
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED: {
            // Silent; the next play connects again. Not from inside the context's own callback.
            pa_mainloop_api *api = pulse().threaded_mainloop_get_api(self->mainloop);
            api->defer_new(api, &Loop::dropLater, self);
            break;
        }
        default: break;
        }
    }

    static void dropLater(pa_mainloop_api *api, pa_defer_event *event, void *userdata)
    {
        api->defer_free(event);
        auto *self = static_cast<Loop *>(userdata);
        if (self->ctx) {
            const auto state = pulse().context_get_state(self->ctx);
            if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED)
                self->dropContext();
        }
    }

    pa_stream *newStream(const char *name, const pa_sample_spec &spec)
    {
        pa_proplist *props = pulse().proplist_new();
        pulse().proplist_sets(props, PA_PROP_MEDIA_ROLE, "event");
        const pa_channel_map map = channelMap(spec.channels);
        pa_stream *stream = pulse().stream_new_with_proplist(ctx, name, &spec, &map, props);
        pulse().proplist_free(props);
        return stream;
    }

    // ---- Clips ----

    void playClip(const std::string &name, Pcm pcm, double gain)
    {
        Clip &clip = clips[name];
        if (clip.stream) {
            const auto state = pulse().stream_get_state(clip.stream);
            if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
                dropStream(clip.stream);
        }
        clip.wanted = true;
        if (!clip.stream) {
            clip.pcm = std::move(pcm);
            clip.gain = gain;
            const std::string title = "Vesk " + name + " sound";
            clip.stream = newStream(title.c_str(), clip.pcm.spec);
            if (!clip.stream)
                return;
            pulse().stream_set_state_callback(clip.stream, &Loop::clipState, this);
            pa_buffer_attr attr{};
            attr.maxlength = uint32_t(-1);
            attr.tlength = uint32_t(clip.pcm.data.size());
            attr.prebuf = 0;  // start as soon as the clip is written
            attr.minreq = uint32_t(-1);
            attr.fragsize = uint32_t(-1);
            pa_cvolume volume;
            pulse().cvolume_set(&volume, clip.pcm.spec.channels, pulse().sw_volume_from_linear(clip.gain));
            if (pulse().stream_connect_playback(clip.stream, nullptr, &attr, PA_STREAM_NOFLAGS, &volume, nullptr) < 0)
                dropStream(clip.stream);
            return;  // written when the stream is ready
        }
        if (pulse().stream_get_state(clip.stream) == PA_STREAM_READY)
            write(clip);
    }

    static void clipState(pa_stream *stream, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        for (auto &[name, clip] : self->clips) {
            if (clip.stream != stream)
                continue;
            const auto state = pulse().stream_get_state(stream);
            if (state == PA_STREAM_READY && clip.wanted)
                self->write(clip);
            // A failed stream stays until the next play of its clip makes a new one.
        }
    }

    void write(Clip &clip)
    {
        clip.wanted = false;
        // What still sounds is cut off: the clip starts again from the beginning.
        dropOperation(pulse().stream_flush(clip.stream, nullptr, nullptr));
        pulse().stream_write(clip.stream, clip.pcm.data.constData(), size_t(clip.pcm.data.size()), nullptr, 0,
                        PA_SEEK_RELATIVE);
        dropOperation(pulse().stream_cork(clip.stream, 0, nullptr, nullptr));
        corkLater(clip);
    }

    // Corks the stream a moment after the clip has played out, so an idle stream keeps no sink
    // awake. Every play moves the moment on.
    void corkLater(Clip &clip)
    {
        const auto bytesPerSecond = double(pulse().bytes_per_second(&clip.pcm.spec));
        const auto usec = pa_usec_t(double(clip.pcm.data.size()) / bytesPerSecond * 1e6) + corkMargin;
        const pa_usec_t when = pulse().rtclock_now() + usec;
        if (clip.cork)
            pulse().context_rttime_restart(ctx, clip.cork, when);
        else
            clip.cork = pulse().context_rttime_new(ctx, when, &Loop::corkNow, this);
    }

    static void corkNow(pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        for (auto &[name, clip] : self->clips) {
            if (clip.cork != event)
                continue;
            api->time_free(event);
            clip.cork = nullptr;
            if (clip.stream && pulse().stream_get_state(clip.stream) == PA_STREAM_READY)
                dropOperation(pulse().stream_cork(clip.stream, 1, nullptr, nullptr));
        }
    }

    static void dropOperation(pa_operation *op)
    {
        if (op)
            pulse().operation_unref(op);
    }

    // ---- Files ----

    void playFile(std::unique_ptr<SoundFileDecoder> decoder)
    {
        dropFile();
        file.decoder = std::move(decoder);
        const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, uint32_t(file.decoder->rate()), uint8_t(file.decoder->channels())};
        file.stream = newStream("Vesk sound file", spec);
        if (!file.stream) {
            dropFile();
            return;
        }
        pulse().stream_set_write_callback(file.stream, &Loop::fileWritable, this);
        if (pulse().stream_connect_playback(file.stream, nullptr, nullptr, PA_STREAM_NOFLAGS, nullptr, nullptr) < 0)
            dropFile();
    }

    static void fileWritable(pa_stream *stream, size_t bytes, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        File &file = self->file;
        if (stream != file.stream || file.ended || !file.decoder)
            return;
        const size_t frameBytes = sizeof(float) * size_t(file.decoder->channels());
        while (bytes >= frameBytes) {
            void *buffer = nullptr;
            size_t room = bytes;
            if (pulse().stream_begin_write(stream, &buffer, &room) < 0 || !buffer)
                return;
            const size_t frames = file.decoder->read(static_cast<float *>(buffer), room / frameBytes);
            if (frames == 0) {
                pulse().stream_cancel_write(stream);
                file.ended = true;
                // Once what is buffered has played out the stream goes; the next file makes its own.
                const pa_buffer_attr *attr = pulse().stream_get_buffer_attr(stream);
                const pa_usec_t buffered = attr ? pulse().bytes_to_usec(attr->tlength, pulse().stream_get_sample_spec(stream)) : 0;
                file.end = pulse().context_rttime_new(self->ctx, pulse().rtclock_now() + buffered + corkMargin, &Loop::fileEnded, self);
                return;
            }
            pulse().stream_write(stream, buffer, frames * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
            bytes -= std::min(bytes, frames * frameBytes);
        }
    }

    static void fileEnded(pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        api->time_free(event);
        if (self->file.end == event) {
            self->file.end = nullptr;
            self->dropFile();
        }
    }
};

PulseClipPlayer::PulseClipPlayer() : loop_(std::make_unique<Loop>()) {}

PulseClipPlayer::~PulseClipPlayer() = default;

void PulseClipPlayer::playClip(const std::string &stream, const QByteArray &wav, double gain)
{
    Pcm pcm = pcmOf(wav);
    if (pcm.data.isEmpty() || !loop_->start())
        return;
    Loop::Locker lock(loop_->mainloop);
    Loop *loop = loop_.get();
    loop->whenReady([loop, stream, pcm, gain] { loop->playClip(stream, pcm, gain); });
}

void PulseClipPlayer::playFile(const std::string &path)
{
    auto decoder = SoundFileDecoder::open(path);
    if (!decoder || !loop_->start())
        return;
    Loop::Locker lock(loop_->mainloop);
    Loop *loop = loop_.get();
    auto shared = std::make_shared<std::unique_ptr<SoundFileDecoder>>(std::move(decoder));
    loop->whenReady([loop, shared] {
        if (*shared)
            loop->playFile(std::move(*shared));
    });
}

namespace {
InstalledService<ClipPlayer, PulseClipPlayer> installed;
}

ClipPlayer &ClipPlayer::shared() { return installed.get(); }

void ClipPlayer::setShared(ClipPlayer *player) { installed.install(player); }

}  // namespace vesk
