#include "App/AppDelegate.h"

#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "App/SettingsHost.h"
#include "Diagnostics/DebugDiagnostics.h"
#include "Extensions/ExtensionStore.h"
#include "App/ViewWiring.h"
#include "Base/FilePages.h"
#include "Island/NotchView.h"
#include "Readouts/Views/CalendarPages.h"
#include "LockScreen/LockScreenController.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/VolumeService.h"
#include "Platform/linux/IcsCalendarStore.h"
#include "Platform/Screens.h"
#include "Platform/UserDefaults.h"
#include "Readouts/CalendarService.h"
#include "Updater/Updater.h"

#include <QCoreApplication>

#include <csignal>

namespace vesk {

namespace {

std::unique_ptr<CalendarStore> installCalendarStore()
{
    if (CalendarStore::isInstalled())
        return nullptr;
    auto store = std::make_unique<IcsCalendarStore>(ics::Roots::fromEnvironment(), calendarFallbackColours());
    CalendarStore::setShared(store.get());
    return store;
}

}  // namespace

AppDelegate::AppDelegate(IslandWindowFactory &windows, QProcessEnvironment environment)
    : environment_(std::move(environment))
    , calendarStore_(installCalendarStore())
    , model_(NotchViewModel::makePrimary())
    , settings_(std::make_unique<SettingsHost>(*model_, environment_))
    , lockAwareWindows_(windows, lockReaction_)
    , layout_(model_, lockAwareWindows_)
    , rules_(*model_, ReadoutSources{battery_, keyTap_, system_, downloads_})
{
    terminate = [] { QCoreApplication::exit(0); };
    Updater *updater = model_->services().updater;
    startUpdater = [updater] { updater->start(); };
    // The updater outlives the application object: a late request to quit then does nothing.
    updater->quitGracefully = lifetime_.guard([this] { quitGracefully(); });
    settings_->terminate = [this] {
        if (terminate)
            terminate();
    };
}

AppDelegate::~AppDelegate()
{
    if (calendarStore_)
        CalendarStore::setShared(nullptr);
}

void AppDelegate::applicationDidFinishLaunching()
{
    // Settings first, so everything after reads the registered defaults.
    Defaults::registerTable(UserDefaults::standard(), environment_);
    // A write to a closed pipe or socket fails with an error instead of ending the process (main()
    // says so too; tests and tools start here).
    std::signal(SIGPIPE, SIG_IGN);
    // The islands, and again on every change of the displays; their views first.
    installStandardViews();
    NotchViewSlots::standard().showSettings = [this] { showSettings(); };
    syncIslands(false);
    screensConnection_ = screens().screensChanged.connect([this] { syncIslands(true); });
    // Nothing on screen needs the rest, so it waits for the islands' first appearance, which
    // their windows queued as they were made: the panels map without waiting for the services
    // below to start. The rest keeps its order.
    launchRest_ = mainQueue().after(0, [this] { finishLaunching(); });
}

void AppDelegate::finishLaunching()
{
    // The lock screen.
    lockScreenController_ = std::make_unique<LockScreenController>(*model_);
    lockScreenController_->onLockedChange = [this](bool locked) { lockReaction_.apply(layout_.islands(), locked); };
    // Now playing and the calendar.
    model_->nowPlaying().start();
    model_->calendar().refresh();
    // The tour, on a first launch outside diagnostics.
    if (!UserDefaults::standard().value(SettingsHost::hasSeenOnboarding)
        && !environment_.contains(QStringLiteral("VESK_DEBUG_DIR")))
        onboardingItem_ = mainQueue().after(0.6, [this] { showOnboarding(); });
    // The system volume.
    model_->startAudio();
    // The readout sources and their rules, the settings observer, the first key-tap sync and the
    // brightness watch.
    rules_.syncIslands = [this](bool force) { syncIslands(force); };
    rules_.wire();
    // The extensions the user turned on.
    startExtensions();
    // The updater, once everything else is wired.
    updaterItem_ = mainQueue().after(5.0, [this] {
        if (startUpdater)
            startUpdater();
    });
    // Once all of that has run, the code and data only start-up used leave the resident set; what
    // runs from then on maps its pages back as it goes.
    releasePagesItem_ = mainQueue().after(8.0, [] { releaseUnchangedFilePages(); });
    // Diagnostics.
    if (environment_.contains(QStringLiteral("VESK_DEBUG_DIR")))
        installDebugSignals(environment_.value(QStringLiteral("VESK_DEBUG_DIR")).toStdString());
}

void AppDelegate::startExtensions()
{
    ExtensionStore &store = *model_->services().extensions;
    store.onActivityChange = [this] { model_->refreshOngoing(); };
    store.onAlert = [this](const ExtensionActivity &activity, double seconds) {
        rules_.extensionAlert(activity, seconds);
    };
    store.startEnabled();
    model_->refreshOngoing();
}

void AppDelegate::syncIslands(bool force) { layout_.syncIslands(force); }

void AppDelegate::syncKeyTap() { rules_.syncKeyTap(); }

void AppDelegate::watchBrightness() { rules_.watchBrightness(); }

bool AppDelegate::handle(MediaKeyTap::Key key, bool fine) { return rules_.handle(key, fine); }

void AppDelegate::showVolume(float level, bool muted) { rules_.showVolume(level, muted); }

void AppDelegate::quitGracefully()
{
    for (const auto &island : layout_.islands())
        island->close();
    quitItem_ = mainQueue().after(0.4, [this] {
        if (terminate)
            terminate();
    });
}

void AppDelegate::showSettings() { settings_->showSettings(); }

void AppDelegate::showOnboarding() { settings_->showOnboarding(); }

}  // namespace vesk
