#include "Updater/Updater.h"

#include "Base/Log.h"
#include "Platform/BundleInfo.h"
#include "Updater/UpdateTexts.h"
#include "Updater/UpdateVerifier.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vesk {

namespace {

constexpr double kCheckInterval = 6 * 3600;
constexpr double kInstallCountdown = 8;
constexpr double kWhatsNewDelay = 1.6;
constexpr double kInstallWait = 0.65;
constexpr double kDebugReadyHorizon = 3600;

Updater *installedUpdater = nullptr;

// The download's file, made afresh: whatever stands at the name (a file an earlier run left, a
// link planted there) is removed rather than followed, and the file is made only if nothing took
// the name meanwhile.
std::unique_ptr<QFile> createPartFile(const std::string &path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return nullptr;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

}  // namespace

// The update that waited when a user's check began from `ready`.
struct Updater::Resume {
    Phase phase;
    std::optional<std::string> image;
    std::optional<UpdateManifest> manifest;
    std::optional<double> installsAt;
};

const char *Updater::Phase::caseName() const
{
    switch (kind) {
    case Case::idle: return "idle";
    case Case::checking: return "checking";
    case Case::downloading: return "downloading";
    case Case::ready: return "ready";
    case Case::installing: return "installing";
    case Case::failed: return "failed";
    }
    return "idle";
}

Updater &Updater::shared()
{
    if (installedUpdater)
        return *installedUpdater;
    static Updater updater(Config::live());
    return updater;
}

void Updater::setShared(Updater *updater) { installedUpdater = updater; }

const std::vector<std::string> &Updater::sampleNotes()
{
    static const std::vector<std::string> notes = {"The update button sits clear of the notch",
                                                   "Patch notes in the island", "Smoother installs"};
    return notes;
}

Updater::Updater(Config config) : config_(std::move(config))
{
    Q_ASSERT(config_.bundle && config_.transport && config_.background);
    readPendingWhatsNew();
    applyDebugSwitch();
}

Updater::~Updater() = default;

std::string Updater::currentVersion() const { return bundleVersion(config_.bundle->version()); }

std::int64_t Updater::currentBuild() const { return bundleBuild(config_.bundle->build()); }

void Updater::readPendingWhatsNew()
{
    // Untrusted: whatever another version (or a hand edit) left there.
    UserDefaults &store = UserDefaults::standard();
    const auto stored = store.object(pendingWhatsNewKey);
    if (!stored || !stored->is_object())
        return;
    const auto version = stored->find("version");
    if (version == stored->end() || !version->is_string())
        return;
    WhatsNew record{version->get<std::string>(), {}};
    if (const auto notes = stored->find("notes"); notes != stored->end() && notes->is_array() &&
                                                  std::all_of(notes->begin(), notes->end(),
                                                              [](const auto &n) { return n.is_string(); }))
        for (const auto &note : *notes)
            record.notes.push_back(note.template get<std::string>());
    store.remove(pendingWhatsNewKey);
    if (record.version != currentVersion())
        return;
    whatsNewItem_ = mainQueue().after(kWhatsNewDelay, [this, record] { setWhatsNew(record); });
}

void Updater::applyDebugSwitch()
{
    if (!config_.debugSwitch)
        return;
    const std::string &value = *config_.debugSwitch;
    if (value == "whatsnew") {
        setWhatsNew(WhatsNew{currentVersion(), sampleNotes()});
    } else if (value == "ready" || value == "later") {
        setNotes(sampleNotes());
        showReady("1.0." + std::to_string(currentBuild() + 1), mainQueue().clock().wallNow() + kDebugReadyHorizon,
                  value == "later");
    }
}

void Updater::refreshWantsIsland()
{
    wantsIsland_ = whatsNew_.peek().has_value() || (phase_.peek().kind == Phase::Case::ready && !isPostponed_.peek());
}

void Updater::setPhase(Phase phase)
{
    phase_ = std::move(phase);
    refreshWantsIsland();
}

void Updater::setWhatsNew(std::optional<WhatsNew> record)
{
    whatsNew_.set(std::move(record));
    refreshWantsIsland();
}

void Updater::setNotes(std::vector<std::string> notes) { notes_ = std::move(notes); }

void Updater::showReady(std::string version, std::optional<double> installsAt, bool postponed)
{
    installTask_.cancel();
    resume_.reset();
    readyManifest_.reset();
    downloadedImage_ = std::nullopt;
    installsAt_ = installsAt;
    isPostponed_ = postponed;
    setPhase(Phase::ready(std::move(version)));
}

// ---- Checking ----

void Updater::start()
{
    // An install killed half-way (or the machine going down) left its folders beside the bundle.
    if (const auto bundle = config_.bundle->bundlePath())
        config_.background([bundle = *bundle]() -> std::function<void()> {
            removeStaleInstallFolders(bundle);
            return [] {};
        });
    if (currentBuild() < 2 && !config_.debugSwitch)
        return;  // a developer's build: no checks, no timer, no wake observer
    started_ = true;
    if (automaticUpdates())
        check(false);
    timer_.start(kCheckInterval, [this] {
        if (automaticUpdates())
            check(false);
    });
    if (config_.wake)
        wakeConnection_ = config_.wake->connect([this] {
            if (automaticUpdates())
                check(false);
        });
}

bool Updater::automaticUpdates() const
{
    return !settings_ || UserDefaults::standard().value(settings_->automaticUpdates);
}

bool Updater::installsAutomatically() const
{
    return !settings_ || UserDefaults::standard().value(settings_->installAutomatically);
}

void Updater::check(bool userInitiated)
{
    using Case = Phase::Case;
    const Case now = phase_.peek().kind;
    if (now == Case::checking || now == Case::downloading || now == Case::installing)
        return;
    if (now == Case::ready && !userInitiated)
        return;
    if (now == Case::ready)
        resume_ = std::make_unique<Resume>(Resume{phase_.peek(), downloadedImage_.peek(), readyManifest_,
                                                  installsAt_.peek()});
    userInitiated_ = userInitiated;
    setPhase(Phase::checking());
    body_.clear();
    startTransfer(config_.manifestUrl, config_.manifestTimeout, config_.manifestDeadline,
                  {.onData =
                       [this](const QByteArray &chunk, qint64) {
                           body_ += chunk;
                           if (body_.size() > UpdateManifest::maxBytes)
                               manifestArrived(true);
                       },
                   .onEnd = [this](bool failed) { manifestArrived(failed); }});
}

void Updater::manifestArrived(bool failed)
{
    const QByteArray body = std::move(body_);
    body_.clear();
    dropTransfer();
    if (failed)
        return checkFailed();
    const auto manifest = UpdateManifest::decode(std::string_view(body.constData(), size_t(body.size())));
    if (!manifest)
        return checkFailed();
    if (manifest->build > currentBuild())
        return download(*manifest);
    checkEnded(userInitiated_ ? Phase::failed(update_texts::upToDate) : Phase::idle());
}

void Updater::checkFailed()
{
    checkEnded(userInitiated_ ? Phase::failed(update_texts::noConnection) : Phase::idle());
}

void Updater::checkEnded(Phase outcome)
{
    if (!resume_)
        return setPhase(std::move(outcome));
    // A user's check from a waiting update that found nothing better: the update waits again.
    // An automatic restart that fell due meanwhile found the phase busy and did nothing, so the
    // countdown starts over.
    const std::unique_ptr<Resume> resume = std::move(resume_);
    downloadedImage_ = resume->image;
    readyManifest_ = resume->manifest;
    setPhase(resume->phase);
    if (resume->installsAt && *resume->installsAt <= mainQueue().clock().wallNow())
        scheduleInstall();
}

// ---- Transfers ----

void Updater::startTransfer(const QUrl &url, double timeout, double deadline, UpdateTransport::Events events)
{
    const int serial = ++transferSerial_;
    ++requests_;
    watchdogSeconds_ = timeout;
    transferStart_ = mainQueue().clock().now();
    transferEnd_ = std::move(events.onEnd);
    auto onData = std::move(events.onData);
    UpdateTransport::Events guarded{
        .onData =
            [this, serial, onData](const QByteArray &chunk, qint64 expected) {
                if (serial != transferSerial_)
                    return;
                armWatchdog();
                onData(chunk, expected);
            },
        .onEnd =
            [this, serial](bool failed) { endTransfer(serial, failed); },
    };
    transfer_ = config_.transport->get({url, QByteArray("Vesk/") + QByteArray::fromStdString(currentVersion()), timeout},
                                       std::move(guarded));
    armWatchdog();
    limitTransfer(deadline);
}

void Updater::armWatchdog()
{
    // The transport has a timeout of its own; this one runs on the application's clock, so a
    // server that stops sending fails the transfer even where the transport would wait on.
    const int serial = transferSerial_;
    watchdog_ = mainQueue().after(watchdogSeconds_, [this, serial] { endTransfer(serial, true); });
}

void Updater::limitTransfer(double seconds)
{
    // Every byte re-arms the watchdog, so a server that sends one now and then would hold the
    // check for ever without this limit on the whole transfer.
    const int serial = transferSerial_;
    deadline_ = mainQueue().atMonotonic(transferStart_ + seconds, [this, serial] { endTransfer(serial, true); });
}

void Updater::endTransfer(int serial, bool failed)
{
    if (serial != transferSerial_)
        return;
    const auto end = transferEnd_;  // the end may start the next transfer, which replaces it
    end(failed);
}

void Updater::dropTransfer()
{
    ++transferSerial_;
    watchdog_.cancel();
    deadline_.cancel();
    if (transfer_) {
        // Not destroyed inside its own callback: the last turn of it may still be running. It is
        // aborted on the next turn, which closes the connection.
        std::shared_ptr<UpdateTransport::Transfer> gone(std::move(transfer_));
        mainQueue().post([gone] {});
    }
}

// ---- Downloading ----

void Updater::download(const UpdateManifest &manifest)
{
    pending_ = manifest;
    if (const std::string error = prepareUpdatesFolder(config_.folder); !error.empty()) {
        log("cannot keep updates in " + config_.folder + ": " + error);
        return checkFailed();
    }
    const std::string final = config_.folder + "/Vesk-" + std::to_string(manifest.build) + ".tar.gz";
    partPath_ = final + ".part";
    part_ = createPartFile(partPath_);
    if (!part_)
        return checkFailed();
    received_ = 0;
    const int serial = ++downloadSerial_;
    const std::string version = manifest.version;
    const bool sized = manifest.size && *manifest.size >= 0;
    const qint64 limit = std::min(sized ? *manifest.size : config_.maxArchiveBytes, config_.maxArchiveBytes);
    const auto deadlineFor = [this](qint64 bytes) {
        return config_.downloadTimeout + double(bytes) / config_.minimumArchiveRate;
    };
    deadlineFromSize_ = sized;
    setPhase(Phase::downloading(version, 0));
    startTransfer(QUrl(QString::fromStdString(manifest.url)), config_.downloadTimeout, deadlineFor(limit),
                  {.onData =
                       [this, serial, version, limit, deadlineFor](const QByteArray &chunk, qint64 expected) {
                           received_ += chunk.size();
                           if (received_ > limit || part_->write(chunk) != chunk.size())
                               return downloadEnded(true);
                           if (!deadlineFromSize_ && expected >= 0) {
                               deadlineFromSize_ = true;  // an announced length shorter than the cap
                               limitTransfer(deadlineFor(std::min(expected, limit)));
                           }
                           // Only this download's own reports move its own phase.
                           const Phase &now = phase_.peek();
                           if (expected >= 1 && serial == downloadSerial_ && now.kind == Phase::Case::downloading &&
                               now.version == version)
                               setPhase(Phase::downloading(version, std::min(1.0, double(received_) / double(expected))));
                       },
                   .onEnd = [this](bool failed) { downloadEnded(failed); }});
}

void Updater::downloadEnded(bool failed)
{
    dropTransfer();
    const bool written = part_->flush();
    part_->close();
    part_.reset();
    if (failed || !written) {
        ::unlink(partPath_.c_str());  // a cut-off or failed download leaves nothing behind
        return checkFailed();
    }
    const UpdateManifest manifest = *pending_;
    const std::string key = config_.publicKey;
    const std::string part = partPath_;
    const std::string final = part.substr(0, part.size() - std::string(".part").size());
    const int serial = downloadSerial_;
    auto done = lifetime_.guard([this, serial, final](bool ok, const std::optional<std::string> &readError) {
        if (serial == downloadSerial_)
            verified(ok, readError, final);
    });
    config_.background([done, manifest, key, part, final]() -> std::function<void()> {
        const ArchiveVerdict verdict =
            verifyArchiveFile(part, manifest.sha256, manifest.signature, key, manifest.size);
        const std::optional<std::string> readError = verdict.readError;
        // Only a verified archive gets its final name; anything else is removed.
        const bool ok = verdict.ok && std::rename(part.c_str(), final.c_str()) == 0;
        if (!ok)
            QFile::remove(QString::fromStdString(part));
        return [done, ok, readError]() mutable { done(ok, readError); };
    });
}

void Updater::verified(bool ok, const std::optional<std::string> &readError, const std::string &archive)
{
    if (readError)
        return checkFailed();
    if (!ok) {
        log("update archive " + archive + " failed verification");
        return checkEnded(Phase::failed(update_texts::notVerified));
    }
    resume_.reset();
    readyManifest_ = pending_;
    downloadedImage_ = archive;
    notes_ = pending_->notes;
    isPostponed_ = false;
    setPhase(Phase::ready(pending_->version));
    scheduleInstall();
}

// ---- Installing ----

void Updater::scheduleInstall()
{
    installTask_.cancel();
    if (!installsAutomatically()) {
        installsAt_ = std::nullopt;
        return;
    }
    installsAt_ = mainQueue().clock().wallNow() + kInstallCountdown;
    installTask_ = mainQueue().after(kInstallCountdown, [this] { install(); });
}

void Updater::postpone()
{
    installTask_.cancel();
    installsAt_ = std::nullopt;
    isPostponed_ = true;
    refreshWantsIsland();
}

void Updater::install()
{
    installTask_.cancel();
    const Phase now = phase_.peek();
    if (now.kind != Phase::Case::ready || !downloadedImage_.peek() || !readyManifest_)
        return;
    setPhase(Phase::installing(now.version));
    nlohmann::json notes = nlohmann::json::array();
    for (const auto &note : notes_.peek())
        notes.push_back(note);
    UserDefaults::standard().set(pendingWhatsNewKey, nlohmann::json{{"version", now.version}, {"notes", notes}});

    const InstallPlan plan{config_.bundle->bundlePath().value_or(std::string()), *downloadedImage_.peek(),
                           readyManifest_->sha256, readyManifest_->build, currentBuild()};
    installDelay_ = mainQueue().after(kInstallWait, [this, plan] {
        const InstallEnvironment environment = config_.install;
        auto done = lifetime_.guard([this](const std::optional<std::string> &failure) {
            if (failure)
                return setPhase(Phase::failed(*failure));
            if (quitGracefully)
                quitGracefully();
        });
        config_.background([done, plan, environment]() -> std::function<void()> {
            std::optional<std::string> failure;
            try {
                replaceBundle(plan, environment);
            } catch (const UpdateFailure &f) {
                failure = f.message;
            }
            return [done, failure]() mutable { done(failure); };
        });
    });
}

}  // namespace vesk
