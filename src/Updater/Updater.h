#pragma once

#include "Base/Lifetime.h"
#include "Base/MainQueue.h"
#include "Base/Observed.h"
#include "Base/RepeatingItem.h"
#include "Base/Signal.h"
#include "Platform/UserDefaults.h"
#include "Updater/UpdateInstaller.h"
#include "Updater/UpdateManifest.h"
#include "Updater/UpdateTransport.h"

#include <QFile>
#include <QUrl>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vesk {

class BundleInfo;

// The self-updater: checks the update server's manifest 5 s after launch, every six hours and on
// wake, downloads a newer signed archive and accepts it only when its digest and signature match,
// counts down to a restart, swaps the bundle after quitting and says what changed after the
// relaunch. One shared object on the main thread; the network waits without blocking it, hashing
// and installing run on workers and hand their results back.
class Updater {
public:
    // Where the update cycle stands.
    struct Phase {
        enum class Case { idle, checking, downloading, ready, installing, failed };
        Case kind = Case::idle;
        std::string version;  // downloading, ready, installing
        double progress = 0;  // downloading, 0...1
        std::string message;  // failed

        static Phase idle() { return {}; }
        static Phase checking() { return {Case::checking}; }
        static Phase downloading(std::string version, double progress) { return {Case::downloading, std::move(version), progress}; }
        static Phase ready(std::string version) { return {Case::ready, std::move(version)}; }
        static Phase installing(std::string version) { return {Case::installing, std::move(version)}; }
        static Phase failed(std::string message) { return {Case::failed, {}, 0, std::move(message)}; }
        bool operator==(const Phase &) const = default;
        const char *caseName() const;
    };

    struct WhatsNew {
        std::string version;
        std::vector<std::string> notes;
        bool operator==(const WhatsNew &) const = default;
    };
    // Kept across the relaunch: the version being installed and its notes, as one JSON object.
    static constexpr const char *pendingWhatsNewKey = "pendingWhatsNew";

    // The two settings the updater reads when it acts; the settings table owns them and the island
    // model hands them over when it is made (until then both read as on, their registered default).
    struct Settings {
        Setting<bool> automaticUpdates;
        Setting<bool> installAutomatically;
    };

    // Runs `job` off the main thread; the continuation it returns runs on the main thread later.
    using Background = std::function<void(std::function<std::function<void()>()> job)>;

    // Everything the updater takes from the world. `live()` is the running application's.
    struct Config {
        QUrl manifestUrl;
        std::string publicKey;  // Base64 of the 32-byte Ed25519 key
        BundleInfo *bundle = nullptr;
        std::string folder;  // the private folder downloads go to
        std::shared_ptr<UpdateTransport> transport;
        Background background;
        InstallEnvironment install;
        Signal<> *wake = nullptr;  // the machine woke from sleep
        // Values of VESK_DEBUG_UPDATE (absent: not set) and the check's limits.
        std::optional<std::string> debugSwitch;
        qint64 maxArchiveBytes = 512LL * 1024 * 1024;
        // Seconds without a byte before a transfer fails.
        double manifestTimeout = 20;
        double downloadTimeout = 60;
        // However steadily bytes come, the manifest must be whole within `manifestDeadline`, and an
        // archive within `downloadTimeout` plus its size (the manifest's, else the announced
        // length, else the cap) at `minimumArchiveRate` bytes a second.
        double manifestDeadline = 60;
        double minimumArchiveRate = 64 * 1024;

        static Config live();
    };

    static Updater &shared();
    // Tools and tests put an updater of their own in place (nullptr: the application's again).
    static void setShared(Updater *updater);

    explicit Updater(Config config);
    ~Updater();
    Updater(const Updater &) = delete;
    Updater &operator=(const Updater &) = delete;

    void useSettings(Settings settings) { settings_ = settings; }
    // The developer tools verify with a key of their own.
    void usePublicKey(std::string base64) { config_.publicKey = std::move(base64); }

    // Observed by the views and the settings.
    const Observed<Phase> &phase() const { return phase_; }
    const Observed<bool> &isPostponed() const { return isPostponed_; }
    const Observed<std::vector<std::string>> &notes() const { return notes_; }
    // A value whose every assignment notifies, equal or not.
    template <typename T>
    class Announced : public Observable {
    public:
        const T &get() const
        {
            noteRead();
            return value_;
        }
        const T &peek() const { return value_; }
        void set(T value)
        {
            value_ = std::move(value);
            notifyChanged();
        }

    private:
        T value_{};
    };

    // The record shown after an update was installed, if any; every assignment notifies.
    const Announced<std::optional<WhatsNew>> &whatsNew() const { return whatsNew_; }
    const Observed<std::optional<double>> &installsAt() const { return installsAt_; }  // wall seconds
    const Observed<std::optional<std::string>> &downloadedImage() const { return downloadedImage_; }
    // A what's-new to show, or an update ready and not postponed.
    const Observed<bool> &wantsIsland() const { return wantsIsland_; }

    // The running version ("1.0" when the bundle says nothing) and build (0 likewise).
    std::string currentVersion() const;
    std::int64_t currentBuild() const;

    // Begins automatic checking (5 s after launch): at once when "automaticUpdates" is on, then
    // every six hours and on wake. Builds below 2 never check unless VESK_DEBUG_UPDATE is set.
    void start();
    bool isStarted() const { return started_; }
    // Checks now, unless a check, download or install is under way, or (for an automatic check)
    // an update is ready.
    void check(bool userInitiated);

    // After a verified download: the automatic restart 8 s from now, or nothing when installing
    // automatically is off.
    void scheduleInstall();
    // "Later": no countdown, no card; the badge still offers the install.
    void postpone();
    // Installs the waiting update: nothing unless an image is ready.
    void install();

    // Asks the application to quit once the swap runs; given by the application.
    std::function<void()> quitGracefully;

    // Set by the card's "Nice", the developer tools and the settings preview.
    void setWhatsNew(std::optional<WhatsNew> record);
    void setPhase(Phase phase);
    void setNotes(std::vector<std::string> notes);
    // A ready update without an image (the developer switch, the tools): `install()` does nothing.
    void showReady(std::string version, std::optional<double> installsAt, bool postponed);

    // The sample notes of the developer switches.
    static const std::vector<std::string> &sampleNotes();
    const Config &config() const { return config_; }
    // GET requests made so far.
    int requestCount() const { return requests_; }

private:
    struct Resume;
    bool automaticUpdates() const;
    bool installsAutomatically() const;
    void readPendingWhatsNew();
    void applyDebugSwitch();
    void refreshWantsIsland();
    void manifestArrived(bool failed);
    void checkFailed();
    void checkEnded(Phase outcome);
    void download(const UpdateManifest &manifest);
    void downloadEnded(bool failed);
    void verified(bool ok, const std::optional<std::string> &readError, const std::string &archive);
    void startTransfer(const QUrl &url, double timeout, double deadline, UpdateTransport::Events events);
    void armWatchdog();
    void limitTransfer(double seconds);
    void endTransfer(int serial, bool failed);
    void dropTransfer();

    Config config_;
    std::optional<Settings> settings_;
    bool started_ = false;
    int requests_ = 0;

    Observed<Phase> phase_;
    Observed<bool> isPostponed_{false};
    Observed<std::vector<std::string>> notes_;
    Announced<std::optional<WhatsNew>> whatsNew_;
    Observed<std::optional<double>> installsAt_;
    Observed<std::optional<std::string>> downloadedImage_;
    Observed<bool> wantsIsland_{false};

    // The update that waits while a user's check runs from `ready`, put back when the check ends
    // without a newer verified image.
    std::unique_ptr<Resume> resume_;
    // The check in flight.
    std::unique_ptr<UpdateTransport::Transfer> transfer_;
    QByteArray body_;
    std::optional<UpdateManifest> pending_;       // the manifest being downloaded
    std::optional<UpdateManifest> readyManifest_;  // the manifest of the image that waits
    int transferSerial_ = 0;
    std::unique_ptr<QFile> part_;
    std::string partPath_;
    qint64 received_ = 0;
    int downloadSerial_ = 0;
    bool userInitiated_ = false;
    std::function<void(bool)> transferEnd_;  // ends the transfer in flight as failed or whole
    WorkItem watchdog_;
    double watchdogSeconds_ = 0;
    WorkItem deadline_;
    double transferStart_ = 0;  // monotonic
    bool deadlineFromSize_ = false;  // the archive's deadline already counts its announced size

    RepeatingItem timer_;
    Connection wakeConnection_;
    WorkItem whatsNewItem_;
    WorkItem installTask_;
    WorkItem installDelay_;
    Lifetime lifetime_;
};

}  // namespace vesk
