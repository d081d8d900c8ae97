#include "Platform/linux/PulseAudioOutputs.h"

#include "Platform/linux/PulseLibrary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace vesk {

namespace {

AudioTransport transportOf(const pa_sink_info &info)
{
    if (info.flags & PA_SINK_NETWORK)
        return AudioTransport::network;
    auto prop = [&](const char *key) {
        const char *value = pulse().proplist_gets(info.proplist, key);
        return std::string(value ? value : "");
    };
    const std::string bus = prop(PA_PROP_DEVICE_BUS);
    if (bus == "bluetooth" || prop(PA_PROP_DEVICE_API) == "bluez5")
        return AudioTransport::bluetooth;
    if (bus == "usb")
        return AudioTransport::usb;
    // ALSA names HDMI and DisplayPort outputs of a graphics card "hdmi-output-N" (port) or
    // "hdmi-stereo" (profile); both count as a display's speakers.
    const std::string port = info.active_port && info.active_port->name ? info.active_port->name : "";
    if (port.find("hdmi") != std::string::npos || prop(PA_PROP_DEVICE_PROFILE_NAME).find("hdmi") != std::string::npos)
        return AudioTransport::hdmi;
    if (bus == "pci" || bus == "platform" || bus == "isa" || prop(PA_PROP_DEVICE_FORM_FACTOR) == "internal")
        return AudioTransport::builtin;
    return AudioTransport::other;
}

float levelOf(const pa_cvolume &cv)
{
    return std::min(1.0f, float(pulse().cvolume_max(&cv)) / float(PA_VOLUME_NORM));
}

}  // namespace

// Everything that runs on the loop's thread. Its fields are touched there, or on the main thread
// with the loop's lock held.
struct PulseAudioOutputs::Loop {
    PulseAudioOutputs *owner = nullptr;
    QObject *context = nullptr;
    pa_threaded_mainloop *mainloop = nullptr;
    pa_context *ctx = nullptr;
    uint64_t generation = 0;
    bool connectPending = false;
    bool refreshing = false;
    bool dirty = false;
    Snapshot building;

    struct Locker {
        pa_threaded_mainloop *m;
        explicit Locker(pa_threaded_mainloop *m) : m(m) { pulse().threaded_mainloop_lock(m); }
        ~Locker() { pulse().threaded_mainloop_unlock(m); }
    };

    // With the lock held: drop the old context and have the loop's thread connect a new one, so that
    // reading the client configuration and resolving the server never hold up the caller.
    void connect()
    {
        dropContext();
        ++generation;
        refreshing = dirty = false;
        if (connectPending)
            return;
        connectPending = true;
        pa_mainloop_api *api = pulse().threaded_mainloop_get_api(mainloop);
        api->defer_new(api, &Loop::connectNow, this);
    }

    static void connectNow(pa_mainloop_api *api, pa_defer_event *event, void *userdata)
    {
        api->defer_free(event);
        auto *self = static_cast<Loop *>(userdata);
        self->connectPending = false;
        pa_proplist *props = pulse().proplist_new();
        pulse().proplist_sets(props, PA_PROP_APPLICATION_NAME, "Vesk");
        pulse().proplist_sets(props, PA_PROP_APPLICATION_ID, "vesk");
        self->ctx = pulse().context_new_with_proplist(api, "Vesk", props);
        pulse().proplist_free(props);
        if (!self->ctx) {
            self->postLost();
            return;
        }
        pulse().context_set_state_callback(self->ctx, &Loop::stateChanged, self);
        if (pulse().context_connect(self->ctx, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            self->postLost();
    }

    void dropContext()
    {
        if (!ctx)
            return;
        pulse().context_set_state_callback(ctx, nullptr, nullptr);
        pulse().context_set_subscribe_callback(ctx, nullptr, nullptr);
        pulse().context_disconnect(ctx);
        pulse().context_unref(ctx);
        ctx = nullptr;
    }

    bool isReady() const { return ctx && pulse().context_get_state(ctx) == PA_CONTEXT_READY; }

    void postLost()
    {
        auto *o = owner;
        auto gen = generation;
        QMetaObject::invokeMethod(context, [o, gen] { o->connectionLost(gen); }, Qt::QueuedConnection);
    }

    static void stateChanged(pa_context *c, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        if (c != self->ctx)
            return;
        switch (pulse().context_get_state(c)) {
        case PA_CONTEXT_READY: {
            pulse().context_set_subscribe_callback(c, &Loop::serverEvent, self);
            auto mask = pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SERVER);
            if (pa_operation *op = pulse().context_subscribe(c, mask, nullptr, nullptr))
                pulse().operation_unref(op);
            self->refresh();
            break;
        }
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            self->postLost();
            break;
        default:
            break;
        }
    }

    static void serverEvent(pa_context *c, pa_subscription_event_type_t type, uint32_t, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        if (c == self->ctx && (facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SERVER))
            self->refresh();
    }

    // Reads the server's default and every sink; one read at a time, a request during a read
    // causes one more read after it.
    void refresh()
    {
        if (refreshing) {
            dirty = true;
            return;
        }
        if (!isReady())
            return;
        refreshing = true;
        building = Snapshot{};
        building.generation = generation;
        building.writeSerial = owner->writeSerial_;
        building.ready = true;
        if (pa_operation *op = pulse().context_get_server_info(ctx, &Loop::serverInfo, this))
            pulse().operation_unref(op);
        else
            finish(false);
    }

    static void serverInfo(pa_context *c, const pa_server_info *info, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        if (c != self->ctx)
            return;
        if (info && info->default_sink_name)
            self->building.defaultName = info->default_sink_name;
        if (pa_operation *op = pulse().context_get_sink_info_list(c, &Loop::sinkInfo, self))
            pulse().operation_unref(op);
        else
            self->finish(false);
    }

    static void sinkInfo(pa_context *c, const pa_sink_info *info, int eol, void *userdata)
    {
        auto *self = static_cast<Loop *>(userdata);
        if (c != self->ctx)
            return;
        if (eol != 0) {
            self->finish(eol > 0);
            return;
        }
        Sink sink;
        sink.device.id = info->index + 1;
        sink.device.name = QString::fromUtf8(info->description && *info->description ? info->description : info->name);
        sink.device.transport = transportOf(*info);
        sink.serverName = info->name ? info->name : "";
        sink.channels.assign(info->volume.values, info->volume.values + info->volume.channels);
        sink.volume = levelOf(info->volume);
        sink.muted = info->mute != 0;
        self->building.sinks.push_back(std::move(sink));
    }

    void finish(bool complete)
    {
        refreshing = false;
        if (complete) {
            auto *o = owner;
            QMetaObject::invokeMethod(
                context, [o, snapshot = std::move(building)]() mutable { o->apply(std::move(snapshot)); },
                Qt::QueuedConnection);
        }
        if (std::exchange(dirty, false))
            refresh();
    }

    static void writeDone(pa_context *c, int, void *userdata)
    {
        // Read back whether or not the server took it: a refused write is then undone in our state.
        auto *self = static_cast<Loop *>(userdata);
        if (c == self->ctx)
            self->refresh();
    }
};

PulseAudioOutputs::PulseAudioOutputs() : context_(std::make_unique<QObject>()), loop_(std::make_unique<Loop>())
{
    loop_->owner = this;
    loop_->context = context_.get();
}

void PulseAudioOutputs::start()
{
    if (std::exchange(started_, true) || !pulseLibrary())
        return;
    loop_->mainloop = pulse().threaded_mainloop_new();
    if (!loop_->mainloop)
        return;
    pulse().threaded_mainloop_set_name(loop_->mainloop, "vesk-pulse");
    if (pulse().threaded_mainloop_start(loop_->mainloop) < 0) {
        pulse().threaded_mainloop_free(loop_->mainloop);
        loop_->mainloop = nullptr;
        return;
    }
    Loop::Locker lock(loop_->mainloop);
    loop_->connect();
}

PulseAudioOutputs::~PulseAudioOutputs()
{
    retry_.cancel();
    if (loop_->mainloop) {
        {
            Loop::Locker lock(loop_->mainloop);
            loop_->dropContext();
        }
        pulse().threaded_mainloop_stop(loop_->mainloop);
        pulse().threaded_mainloop_free(loop_->mainloop);
    }
    // Reports still queued for the main thread die with their receiver.
    context_.reset();
}

void PulseAudioOutputs::reconnect()
{
    if (!loop_->mainloop)
        return;
    Loop::Locker lock(loop_->mainloop);
    loop_->connect();
}

void PulseAudioOutputs::connectionLost(uint64_t generation)
{
    if (generation != loop_->generation)
        return;
    const bool hadOutputs = !records_.empty();
    const bool hadDefault = default_.has_value();
    ready_ = false;
    records_.clear();
    default_.reset();
    if (!retry_.isPending()) {
        retry_ = mainQueue().after(retryDelay_, [this] { reconnect(); });
        retryDelay_ = nextRetryDelay(retryDelay_);
    }
    if (hadOutputs)
        outputsChanged();
    if (hadDefault)
        defaultOutputChanged();
}

void PulseAudioOutputs::apply(Snapshot snapshot)
{
    // A read that began before our latest write would show the old value for a moment; the read
    // that the write itself triggers follows.
    if (snapshot.generation != loop_->generation || snapshot.writeSerial < writeSerial_)
        return;
    ready_ = true;
    retryDelay_ = 1;
    const auto oldOutputs = outputs();
    const auto oldDefault = default_;
    auto oldSinks = std::move(records_);
    records_ = std::move(snapshot.sinks);
    default_.reset();
    for (auto &s : records_) {
        if (s.serverName == snapshot.defaultName)
            default_ = s.device.id;
    }
    std::vector<uint32_t> changedVolumes;
    for (auto &s : records_) {
        for (auto &old : oldSinks) {
            if (old.device.id == s.device.id && (old.volume != s.volume || old.muted != s.muted))
                changedVolumes.push_back(s.device.id);
        }
    }
    if (outputs() != oldOutputs)
        outputsChanged();
    if (default_ != oldDefault)
        defaultOutputChanged();
    for (auto id : changedVolumes)
        volumeChanged(id);
}

bool PulseAudioOutputs::setVolume(uint32_t device, float level)
{
    Sink *sink = find(device);
    if (!ready_ || !sink || sink->channels.empty() || std::isnan(level))
        return false;
    pa_cvolume cv;
    cv.channels = uint8_t(std::min<size_t>(sink->channels.size(), PA_CHANNELS_MAX));
    std::copy_n(sink->channels.begin(), cv.channels, cv.values);
    // Scaling by the loudest channel keeps the balance; all-silent channels are set alike.
    pulse().cvolume_scale(&cv, pa_volume_t(std::lround(std::clamp(level, 0.0f, 1.0f) * float(PA_VOLUME_NORM))));
    {
        Loop::Locker lock(loop_->mainloop);
        if (!loop_->isReady())
            return false;
        pa_operation *op = pulse().context_set_sink_volume_by_index(loop_->ctx, device - 1, &cv, &Loop::writeDone, loop_.get());
        if (!op)
            return false;
        pulse().operation_unref(op);
        ++writeSerial_;
    }
    sink->channels.assign(cv.values, cv.values + cv.channels);
    sink->volume = levelOf(cv);
    return true;
}

bool PulseAudioOutputs::setMuted(uint32_t device, bool muted)
{
    Sink *sink = find(device);
    if (!ready_ || !sink)
        return false;
    {
        Loop::Locker lock(loop_->mainloop);
        if (!loop_->isReady())
            return false;
        pa_operation *op = pulse().context_set_sink_mute_by_index(loop_->ctx, device - 1, muted, &Loop::writeDone, loop_.get());
        if (!op)
            return false;
        pulse().operation_unref(op);
        ++writeSerial_;
    }
    sink->muted = muted;
    return true;
}

bool PulseAudioOutputs::setDefaultOutput(uint32_t device)
{
    const Sink *sink = find(device);
    if (!ready_ || !sink || sink->serverName.empty())
        return false;
    Loop::Locker lock(loop_->mainloop);
    if (!loop_->isReady())
        return false;
    // Our state keeps the old default until the server's report: the read after the write then
    // announces the change exactly as one made by another program.
    pa_operation *op = pulse().context_set_default_sink(loop_->ctx, sink->serverName.c_str(), &Loop::writeDone, loop_.get());
    if (!op)
        return false;
    pulse().operation_unref(op);
    ++writeSerial_;
    return true;
}

}  // namespace vesk
