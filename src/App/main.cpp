#include "App/AppDelegate.h"
#include "App/MenuBarTray.h"
#include "App/SingleInstance.h"
#include "Island/NotchWindowController.h"
#include "Base/MainQueue.h"
#include "Base/UnixSignals.h"
#include "Platform/UserDefaults.h"

#include "VeskVersion.h"

#include <QApplication>
#include <QFontDatabase>
#include <QThreadPool>

#include <fontconfig/fontconfig.h>

#include <csignal>
#include <malloc.h>
#include <thread>

int main(int argc, char *argv[])
{
    // Frames are images of about a megabyte made and dropped many times a second. Fixed thresholds
    // keep glibc from raising its mmap threshold after the first such image is freed, after which
    // it would hold the freed frames in the heap for good; a few arenas serve the helper threads.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024);
    mallopt(M_ARENA_MAX, 2);

    // Fontconfig reads its configuration and font caches when a font is first matched: several
    // milliseconds that the island's first frame would wait for. Nothing of ours runs while the
    // application object connects to the display, so another thread does that reading meanwhile.
    // Fontconfig keeps one configuration for the process and may be started from any thread; the
    // thread is done before anything else starts.
    std::thread fonts([] { FcInit(); });
    QApplication app(argc, argv);
    fonts.join();
    QApplication::setApplicationName(QStringLiteral("Vesk"));
    QApplication::setApplicationVersion(QStringLiteral(VESK_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's raster engine splits large blends and conversions across its thread pool. The island's
    // frames are small: handing their pieces to other threads costs more (wake-ups, a thread and an
    // arena each) than drawing them here, so the pool keeps one thread.
    QThreadPool::globalInstance()->setMaxThreadCount(1);

    vesk::onUnixSignals({SIGTERM, SIGINT}, [](int) { QCoreApplication::quit(); });
    std::signal(SIGPIPE, SIG_IGN);

    // One Vesk per user and display: a second start asks the running one to come forward.
    vesk::SingleInstance instance;
    if (instance.claim() == vesk::SingleInstance::Role::secondary)
        return 0;

    // Qt fills its font database from fontconfig's list of every installed font when a font is
    // first matched, and the island's first layout would wait for that. The database may be used
    // from any thread, so another one fills it while the start-up goes on; a font matched meanwhile
    // waits for it to be done.
    std::thread fontList([] { QFontDatabase::families(); });

    vesk::UserDefaults::setStandard(vesk::UserDefaults::openFile(vesk::UserDefaults::defaultPath()));
    vesk::mainQueue();  // starts the real-time driver on the event loop

    vesk::NotchWindowFactory windows;
    vesk::AppDelegate delegate(windows);
    instance.onReopen = [&delegate] { delegate.reopen(); };
    vesk::MenuBarTray tray([&delegate] { delegate.showSettings(); }, [] { QCoreApplication::quit(); });
    delegate.applicationDidFinishLaunching();
    fontList.join();
    // Whether the desktop has a tray is a question to the session bus that waits for its answer:
    // the icon follows the island's first appearance rather than delaying it.
    vesk::WorkItem showTray = vesk::mainQueue().after(0, [&tray] { tray.sync(); });

    return QApplication::exec();
}
