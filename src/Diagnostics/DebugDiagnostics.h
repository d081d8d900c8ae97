#pragma once

#include "Diagnostics/DebugBackdrop.h"
#include "Diagnostics/DiagnosticsHost.h"
#include "Diagnostics/FilmRecorder.h"
#include "Base/Lifetime.h"
#include "Base/MainQueue.h"
#include "Base/RepeatingItem.h"
#include "Model/Peek.h"

#include <QProcessEnvironment>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

// The developer diagnostics of a running Vesk: the VESK_DEBUG_* switches that put the primary
// island into fixed states at fixed times, six signal hooks that step it and write snapshots, and
// the film recorder. Installed once, as the last step of start-up, only when VESK_DEBUG_DIR is
// set; what it installs lives as long as it does. Main thread only; nothing is ever reported.
class DebugDiagnostics {
public:
    // Runs `hook` on the main thread whenever `signal` is delivered.
    using HookInstaller = std::function<void(int signal, std::function<void()> hook)>;
    // The process's own signals, through the foundation's self-pipe.
    static HookInstaller unixSignals();

    // The signals hooked, in their order of installation.
    static const std::vector<int> &hookedSignals();

    enum class Backdrop { hidden, colour, mono };

    DebugDiagnostics(DiagnosticsHost host, QProcessEnvironment environment, HookInstaller on = unixSignals());
    ~DebugDiagnostics();
    DebugDiagnostics(const DebugDiagnostics &) = delete;
    DebugDiagnostics &operator=(const DebugDiagnostics &) = delete;

    // Installs the hooks and reads the switches; the delays are measured from this call. Once.
    void install(const std::string &snapshotDirectory);
    bool isInstalled() const { return installed_; }
    // Starts the film recorder into `folder` (VESK_DEBUG_FILM chooses the script).
    void recordFilm(const std::string &folder);

    // ---- What tools and tests read ----
    // The backdrop on screen: the colour one (lock toggle) or the film's monochrome one.
    Backdrop backdrop() const;
    static const char *name(Backdrop backdrop);
    const FilmRecorder *film() const { return film_.get(); }
    int usr1Step() const { return usr1Step_; }
    int winchIndex() const { return winchIndex_; }
    const std::vector<Peek> &samples() const { return samples_; }
    bool isBouncing() const { return bounce_.isRunning(); }

    // The light Fusion style and palette on the whole application (with widgets only).
    static void useLightAppearance();

    // VESK_DEBUG_PLAY's value as a track number: an optional sign and decimal digits, in the
    // 64-bit range, the whole value; none otherwise.
    static std::optional<long long> parsePlay(const QString &value);
    // The sample readouts of SIGWINCH, the event starting at `eventStart` (wall seconds).
    static std::vector<Peek> makeSamples(double eventStart);

    // The hooks, as a delivery of their signal runs them.
    void stepStates();        // SIGUSR1
    void writeSnapshots();    // SIGUSR2
    void stepSamples();       // SIGWINCH
    void togglePinnedHover(); // SIGPWR
    void togglePill();        // SIGVTALRM
    void toggleLock();        // SIGHUP

private:
    bool has(const char *name) const { return environment_.contains(QLatin1String(name)); }
    QString value(const char *name) const { return environment_.value(QLatin1String(name)); }
    NotchViewModel *model() const { return host_.model ? host_.model() : nullptr; }
    void later(double seconds, std::function<void(NotchViewModel &)> step);
    void readSwitches();
    void hook(int signal, void (DebugDiagnostics::*handler)());

    DiagnosticsHost host_;
    QProcessEnvironment environment_;
    HookInstaller on_;
    bool installed_ = false;
    std::string snapshotDirectory_;
    int usr1Step_ = 0;
    std::vector<Peek> samples_;
    int winchIndex_ = -1;
    int lockToggle_ = 0;
    std::unique_ptr<DebugBackdrop> backdrop_;
    std::unique_ptr<FilmRecorder> film_;
    RepeatingItem bounce_;
    std::vector<WorkItem> delayed_;
    WorkItem settingsShot_;
    // Hooks outlive these diagnostics in the signal table; they do nothing once it is gone.
    Lifetime lifetime_;
};

}  // namespace vesk
