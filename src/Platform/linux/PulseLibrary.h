#pragma once

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>
#include <pulse/thread-mainloop.h>

namespace vesk {

// libpulse's functions that the sound services call, named without their "pa_" prefix.
#define VESK_PULSE_FUNCTIONS(X) \
    X(bytes_per_second) \
    X(bytes_to_usec) \
    X(channel_map_init_auto) \
    X(context_connect) \
    X(context_disconnect) \
    X(context_get_server_info) \
    X(context_get_sink_info_list) \
    X(context_get_state) \
    X(context_new_with_proplist) \
    X(context_rttime_new) \
    X(context_rttime_restart) \
    X(context_set_default_sink) \
    X(context_set_sink_mute_by_index) \
    X(context_set_sink_volume_by_index) \
    X(context_set_state_callback) \
    X(context_set_subscribe_callback) \
    X(context_subscribe) \
    X(context_unref) \
    X(cvolume_max) \
    X(cvolume_scale) \
    X(cvolume_set) \
    X(operation_unref) \
    X(proplist_free) \
    X(proplist_gets) \
    X(proplist_new) \
    X(proplist_sets) \
    X(rtclock_now) \
    X(sample_spec_valid) \
    X(stream_begin_write) \
    X(stream_cancel_write) \
    X(stream_connect_playback) \
    X(stream_cork) \
    X(stream_disconnect) \
    X(stream_flush) \
    X(stream_get_buffer_attr) \
    X(stream_get_sample_spec) \
    X(stream_get_state) \
    X(stream_new_with_proplist) \
    X(stream_set_state_callback) \
    X(stream_set_write_callback) \
    X(stream_unref) \
    X(stream_write) \
    X(sw_volume_from_linear) \
    X(threaded_mainloop_free) \
    X(threaded_mainloop_get_api) \
    X(threaded_mainloop_lock) \
    X(threaded_mainloop_new) \
    X(threaded_mainloop_set_name) \
    X(threaded_mainloop_start) \
    X(threaded_mainloop_stop) \
    X(threaded_mainloop_unlock)

// libpulse, opened when a sound service first needs it instead of linked: with libsndfile and the
// codecs it brings, ten libraries that every start would otherwise load before the island shows,
// while nothing on screen needs sound until then. Where it is missing, sound is simply off.
struct PulseLibrary {
#define VESK_PULSE_FUNCTION_POINTER(name) decltype(&::pa_##name) name = nullptr;
    VESK_PULSE_FUNCTIONS(VESK_PULSE_FUNCTION_POINTER)
#undef VESK_PULSE_FUNCTION_POINTER
};

// The library with every function above, opened on the first call (from any thread); null when it
// or one of them is missing.
const PulseLibrary *pulseLibrary();
// The same, for code that runs only once pulseLibrary() has given the library.
const PulseLibrary &pulse();

}  // namespace vesk
