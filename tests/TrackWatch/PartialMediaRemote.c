/* A MediaRemote that lacks MRMediaRemoteGetNowPlayingApplicationIsPlaying, one of the three
   functions TrackWatch cannot do without. */
#include <stddef.h>

void MRMediaRemoteGetNowPlayingInfo(const void *queue, void *context, void (*callback)(void *, const void *))
{
    (void)queue;
    callback(context, NULL);
}

void MRMediaRemoteRegisterForNowPlayingNotifications(const void *queue)
{
    (void)queue;
}
