// The library's entry: the scripting host's loader calls vesk_main, which binds the framework
// beside this file, starts the input reader and runs the main loop until the process ends.

#include "TrackWatch/CommandLine.h"
#include "TrackWatch/LineQueue.h"
#include "TrackWatch/NotificationCenter.h"
#include "TrackWatch/TrackWatch.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

using trackwatch::MediaRemoteFunctions;

// The framework is our own library, installed beside this one; the environment plays no part.
std::string mediaRemotePath()
{
    Dl_info self{};
    if (!dladdr(reinterpret_cast<void *>(&mediaRemotePath), &self) || !self.dli_fname)
        return {};
    char resolved[PATH_MAX];
    std::string path = realpath(self.dli_fname, resolved) ? resolved : self.dli_fname;
    auto slash = path.rfind('/');
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/MediaRemote.so";
}

template <typename Function>
void bind(void *handle, const char *name, Function &entry)
{
    entry = reinterpret_cast<Function>(dlsym(handle, name));
}

MediaRemoteFunctions bindFunctions(void *handle)
{
    MediaRemoteFunctions f;
    bind(handle, "MRMediaRemoteGetNowPlayingInfo", f.getInfo);
    bind(handle, "MRMediaRemoteGetNowPlayingApplicationIsPlaying", f.getIsPlaying);
    bind(handle, "MRMediaRemoteGetNowPlayingClient", f.getClient);
    bind(handle, "MRMediaRemoteSendCommand", f.sendCommand);
    bind(handle, "MRMediaRemoteSetElapsedTime", f.setElapsed);
    bind(handle, "MRMediaRemoteSetShuffleMode", f.setShuffleMode);
    bind(handle, "MRMediaRemoteSetRepeatMode", f.setRepeatMode);
    bind(handle, "MRNowPlayingClientGetBundleIdentifier", f.clientBundleID);
    bind(handle, "MRNowPlayingClientGetParentAppBundleIdentifier", f.clientParentBundleID);
    bind(handle, "MRMediaRemoteRegisterForNowPlayingNotifications", f.registerForNotifications);
    return f;
}

// The main queue: work is posted to the application object's loop.
void mainQueueAsync(const MRDispatchQueue *, void (*work)(void *), void *context)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), [work, context] { work(context); }, Qt::QueuedConnection);
}
const MRDispatchQueue mainQueue{&mainQueueAsync};

void writeLine(const std::string &line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The one debounce timer: arming it again moves its deadline.
void restartTimer(int milliseconds, std::function<void()> work)
{
    static QTimer *timer = [] {
        auto *t = new QTimer(QCoreApplication::instance());
        t->setSingleShot(true);
        // A precise timer: a coarse one may fire a few milliseconds early, before the burst is over.
        t->setTimerType(Qt::PreciseTimer);
        return t;
    }();
    static std::function<void()> pending;
    static bool connected = false;
    if (!connected) {
        QObject::connect(timer, &QTimer::timeout, timer, [] {
            auto run = std::move(pending);
            pending = nullptr;
            if (run)
                run();
        });
        connected = true;
    }
    pending = std::move(work);
    timer->start(milliseconds);
}

}  // namespace

// The scripting host calls its native subroutines with its interpreter and the routine's own
// handle; neither is used.
extern "C" __attribute__((visibility("default"))) void vesk_main(void *, void *)
{
    void *handle = dlopen(mediaRemotePath().c_str(), RTLD_NOW);
    if (!handle)
        _exit(2);
    const MediaRemoteFunctions functions = bindFunctions(handle);
    if (!functions.hasRequired())
        _exit(3);

    // Standard output carries the lines and nothing else, and standard error is not read: Qt's
    // own messages go nowhere.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    // A reader that went away shows as the end of the input; a write to its closed pipe must not
    // end the process by a signal before that is seen.
    std::signal(SIGPIPE, SIG_IGN);

    static int argc = 1;
    static char name[] = "TrackWatch";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    static trackwatch::TrackWatch watch(functions, &mainQueue, &writeLine, &restartTimer);

    functions.registerForNotifications(&mainQueue);
    for (const char *notification : {kMRMediaRemoteNowPlayingInfoDidChangeNotification,
                                     kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification,
                                     kMRMediaRemoteNowPlayingApplicationDidChangeNotification})
        trackwatch::NotificationCenter::addObserver(QString::fromLatin1(notification), [] { watch.scheduleRefresh(); });

    // The reader blocks on the input for the life of the process and ends it at the input's end,
    // at once, whatever the main loop is doing.
    // The main loop carries the lines out in batches; a flood of input waits in the pipe.
    static trackwatch::LineQueue commands(trackwatch::LineQueue::kDefaultCapacity, [] {
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] {
            for (const auto &line : commands.takeAll())
                watch.handleCommand(line);
        }, Qt::QueuedConnection);
    });
    std::thread([] {
        trackwatch::CommandReader reader(stdin);
        while (auto line = reader.next())
            commands.push(std::move(*line));
        _exit(0);
    }).detach();

    watch.refresh();
    QCoreApplication::exec();
    std::fflush(stdout);
    _exit(0);
}
