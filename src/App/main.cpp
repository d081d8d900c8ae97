#include "App/AppDelegate.h"
#include "App/MenuBarTray.h"
#include "App/SingleInstance.h"
#include "Island/NotchWindowController.h"
#include "Base/MainQueue.h"
#include "Base/UnixSignals.h"
#include "Platform/UserDefaults.h"

#include "VeskVersion.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vesk"));
    QApplication::setApplicationVersion(QStringLiteral(VESK_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);

    vesk::onUnixSignals({SIGTERM, SIGINT}, [](int) { QCoreApplication::quit(); });
    std::signal(SIGPIPE, SIG_IGN);

    // One Vesk per user and display: a second start asks the running one to come forward.
    vesk::SingleInstance instance;
    if (instance.claim() == vesk::SingleInstance::Role::secondary)
        return 0;

    vesk::UserDefaults::setStandard(vesk::UserDefaults::openFile(vesk::UserDefaults::defaultPath()));
    vesk::mainQueue();  // starts the real-time driver on the event loop

    vesk::NotchWindowFactory windows;
    vesk::AppDelegate delegate(windows);
    instance.onReopen = [&delegate] { delegate.reopen(); };
    vesk::MenuBarTray tray([&delegate] { delegate.showSettings(); }, [] { QCoreApplication::quit(); });
    tray.sync();
    delegate.applicationDidFinishLaunching();

    return QApplication::exec();
}
