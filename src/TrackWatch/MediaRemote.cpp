// The exported functions of MediaRemote.so, each a thin call into the one bus watcher of the
// process, created on first use on the caller's thread (TrackWatch's main thread).

#include "TrackWatch/MediaRemote.h"

#include "TrackWatch/MprisWatcher.h"

#include <QCoreApplication>

#define MR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Null without an application object: then there is no loop to deliver anything on either.
trackwatch::MprisWatcher *watcher()
{
    static trackwatch::MprisWatcher *instance = nullptr;
    if (!instance && QCoreApplication::instance())
        instance = new trackwatch::MprisWatcher(QCoreApplication::instance());
    return instance;
}

void answerLater(const MRDispatchQueue *queue, std::function<void()> answer)
{
    auto *work = new std::function<void()>(std::move(answer));
    queue->async(queue, [](void *context) {
        auto *run = static_cast<std::function<void()> *>(context);
        (*run)();
        delete run;
    }, work);
}

}  // namespace

MR_EXPORT void MRMediaRemoteGetNowPlayingInfo(const MRDispatchQueue *queue, void *context,
                                              MRNowPlayingInfoCallback callback)
{
    if (auto *w = watcher())
        w->nowPlayingInfo(queue, [context, callback](const MRDictionary *info) { callback(context, info); });
    else
        answerLater(queue, [context, callback] { callback(context, nullptr); });
}

MR_EXPORT void MRMediaRemoteGetNowPlayingApplicationIsPlaying(const MRDispatchQueue *queue, void *context,
                                                              MRIsPlayingCallback callback)
{
    if (auto *w = watcher())
        w->isPlaying(queue, [context, callback](bool playing) { callback(context, playing ? 1 : 0); });
    else
        answerLater(queue, [context, callback] { callback(context, 0); });
}

MR_EXPORT void MRMediaRemoteGetNowPlayingClient(const MRDispatchQueue *queue, void *context, MRClientCallback callback)
{
    if (auto *w = watcher())
        w->client(queue, [context, callback](const MRNowPlayingClient *client) { callback(context, client); });
    else
        answerLater(queue, [context, callback] { callback(context, nullptr); });
}

MR_EXPORT int MRMediaRemoteSendCommand(int32_t command, const void *)
{
    auto *w = watcher();
    return w && w->sendCommand(command) ? 1 : 0;
}

MR_EXPORT void MRMediaRemoteSetElapsedTime(double seconds)
{
    if (auto *w = watcher())
        w->setElapsed(seconds);
}

MR_EXPORT void MRMediaRemoteSetShuffleMode(int32_t mode)
{
    if (auto *w = watcher())
        w->setShuffleMode(mode);
}

MR_EXPORT void MRMediaRemoteSetRepeatMode(int32_t mode)
{
    if (auto *w = watcher())
        w->setRepeatMode(mode);
}

MR_EXPORT const char *MRNowPlayingClientGetBundleIdentifier(const MRNowPlayingClient *client)
{
    return client ? client->bundleIdentifier.constData() : nullptr;
}

MR_EXPORT const char *MRNowPlayingClientGetParentAppBundleIdentifier(const MRNowPlayingClient *)
{
    return nullptr;
}

MR_EXPORT void MRMediaRemoteRegisterForNowPlayingNotifications(const MRDispatchQueue *)
{
    if (auto *w = watcher())
        w->startNotifying();
}
