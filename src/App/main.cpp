#include "App/Defaults.h"
#include "Platform/Log.h"
#include "Platform/MainQueue.h"
#include "Platform/UnixSignals.h"
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

    vesk::UserDefaults::setStandard(vesk::UserDefaults::openFile(vesk::UserDefaults::defaultPath()));
    vesk::Defaults::registerTable();
    vesk::mainQueue();  // start the real-time driver on the event loop

    return QApplication::exec();
}
