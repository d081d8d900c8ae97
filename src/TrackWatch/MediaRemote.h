#pragma once

// The C interface of MediaRemote.so, our now-playing framework: it follows the players on the
// D-Bus session bus and answers for the one that is "now playing". TrackWatch opens the library by
// path and looks each function up by name, so only the names and the shapes below are binding.
//
// Callbacks never run inside the call that requests them: they are handed to the queue given with
// the request, which TrackWatch makes its main loop. Everything a callback receives (the
// information dictionary, the client and their strings and bytes) lives only until the callback
// returns; a caller that keeps something copies it.

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// A dispatch queue: whoever owns the loop supplies `async`, which must run `work(context)` later on
// that loop, exactly once.
typedef struct MRDispatchQueue MRDispatchQueue;
struct MRDispatchQueue {
    void (*async)(const MRDispatchQueue *queue, void (*work)(void *context), void *context);
};

typedef enum MRValueType {
    MRValueTypeString = 1,  // UTF-8, NUL-terminated
    MRValueTypeNumber = 2,  // `number`; `isInteger` says whether `integer` holds the exact value
    MRValueTypeDate = 3,    // seconds since 1970-01-01 00:00:00 UTC in `number`
    MRValueTypeData = 4,    // `bytes` of `length`
} MRValueType;

typedef struct MRValue {
    MRValueType type;
    const char *string;
    double number;
    int64_t integer;
    int isInteger;
    const uint8_t *bytes;
    size_t length;
} MRValue;

typedef struct MRDictionaryEntry {
    const char *key;
    MRValue value;
} MRDictionaryEntry;

// The now-playing information: keys are the "kMRMediaRemoteNowPlayingInfo..." names.
typedef struct MRDictionary {
    size_t count;
    const MRDictionaryEntry *entries;
} MRDictionary;

typedef struct MRNowPlayingClient MRNowPlayingClient;

typedef void (*MRNowPlayingInfoCallback)(void *context, const MRDictionary *info);  // info may be NULL
typedef void (*MRIsPlayingCallback)(void *context, unsigned char playing);
typedef void (*MRClientCallback)(void *context, const MRNowPlayingClient *client);  // client may be NULL

// The media command numbers the library carries out; any other number does nothing.
enum {
    MRCommandPlay = 0,
    MRCommandPause = 1,
    MRCommandTogglePlayPause = 2,
    MRCommandNextTrack = 4,
    MRCommandPreviousTrack = 5,
    MRCommandAdvanceShuffleMode = 6,
    MRCommandAdvanceRepeatMode = 7,
};

// Shuffle mode numbers: 1 off, 3 on. Repeat mode numbers: 1 off, 2 one track, 3 the playlist.

void MRMediaRemoteGetNowPlayingInfo(const MRDispatchQueue *queue, void *context, MRNowPlayingInfoCallback callback);
void MRMediaRemoteGetNowPlayingApplicationIsPlaying(const MRDispatchQueue *queue, void *context,
                                                    MRIsPlayingCallback callback);
void MRMediaRemoteGetNowPlayingClient(const MRDispatchQueue *queue, void *context, MRClientCallback callback);
// `options` must be NULL; the result says whether a player was there to receive the command (and
// it was not one of the steps dropped while the player is far behind: see PlayerCommandQueue.h).
int MRMediaRemoteSendCommand(int32_t command, const void *options);
void MRMediaRemoteSetElapsedTime(double seconds);
void MRMediaRemoteSetShuffleMode(int32_t mode);
void MRMediaRemoteSetRepeatMode(int32_t mode);
// The client's identifier: the player's desktop entry name, else its bus name suffix. Never NULL
// for a client.
const char *MRNowPlayingClientGetBundleIdentifier(const MRNowPlayingClient *client);
// Players on the bus have no parent application: always NULL.
const char *MRNowPlayingClientGetParentAppBundleIdentifier(const MRNowPlayingClient *client);
// Starts following the players; from then on the change notifications below are posted to the
// process's default notification centre (NotificationCenter.h), on the queue's loop.
void MRMediaRemoteRegisterForNowPlayingNotifications(const MRDispatchQueue *queue);

#ifdef __cplusplus
}
#endif

// Notification names.
#define kMRMediaRemoteNowPlayingInfoDidChangeNotification "kMRMediaRemoteNowPlayingInfoDidChangeNotification"
#define kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification \
    "kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification"
#define kMRMediaRemoteNowPlayingApplicationDidChangeNotification \
    "kMRMediaRemoteNowPlayingApplicationDidChangeNotification"
