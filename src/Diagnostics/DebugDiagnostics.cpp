#include "Diagnostics/DebugDiagnostics.h"

#include "Diagnostics/DebugFiles.h"
#include "Diagnostics/LayerDump.h"
#include "Base/UnixSignals.h"
#include "Kit/Palette.h"
#include "Model/Defaults.h"
#include "Model/IslandTypes.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/NowPlayingService.h"
#include "Platform/UserDefaults.h"
#include "Readouts/CountdownTimer.h"

#include <QApplication>
#include <QPixmap>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include <csignal>
#include <filesystem>
#include <limits>

namespace vesk {

namespace {

// The SIGUSR1 cycle: what the closed island is forced to show at each step.
const std::optional<NotchState> stateCycle[5] = {std::nullopt, NotchState::live, NotchState::trackPreview,
                                                 NotchState::peek, std::nullopt};

}  // namespace

DebugDiagnostics::HookInstaller DebugDiagnostics::unixSignals()
{
    return [](int signal, std::function<void()> hook) {
        onUnixSignals({signal}, [hook = std::move(hook)](int) { hook(); });
    };
}

const std::vector<int> &DebugDiagnostics::hookedSignals()
{
    static const std::vector<int> order = {SIGUSR1, SIGUSR2, SIGWINCH, SIGPWR, SIGVTALRM, SIGHUP};
    return order;
}

const char *DebugDiagnostics::name(Backdrop backdrop)
{
    switch (backdrop) {
    case Backdrop::hidden: return "hidden";
    case Backdrop::colour: return "colour";
    case Backdrop::mono: return "mono";
    }
    return "hidden";
}

DebugDiagnostics::DebugDiagnostics(DiagnosticsHost host, QProcessEnvironment environment, HookInstaller on)
    : host_(std::move(host)), environment_(std::move(environment)), on_(std::move(on))
{
}

DebugDiagnostics::~DebugDiagnostics() = default;

std::optional<long long> DebugDiagnostics::parsePlay(const QString &value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == u'+' || value[i] == u'-'))
        negative = value[i++] == u'-';
    if (i == value.size())
        return std::nullopt;
    // Accumulated as a negative number, which reaches one further than the positive side.
    long long n = 0;
    constexpr long long lowest = std::numeric_limits<long long>::min();
    for (; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (n < (lowest + digit) / 10)
            return std::nullopt;
        n = n * 10 - digit;
    }
    if (!negative) {
        if (n == lowest)
            return std::nullopt;
        n = -n;
    }
    return n;
}

std::vector<Peek> DebugDiagnostics::makeSamples(double eventStart)
{
    return {Peek(Peek::Brightness{0.6f}),
            Peek(Peek::Volume{0.4f, false}),
            Peek(Peek::Device{"airpodspro", true}),
            Peek(Peek::Focus{true}),
            Peek(Peek::CapsLock{true}),
            Peek(Peek::InputSource{QStringLiteral("German")}),
            Peek(Peek::Download{0.42}),
            Peek(Peek::DownloadDone{}),
            Peek(Peek::Event{QStringLiteral("Standup"), 5, eventStart, kit::palette::red.toQColor()}),
            Peek(Peek::TimerDone{}),
            Peek(Peek::Battery{82, true})};
}

void DebugDiagnostics::useLightAppearance()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    if (!fusion)
        return;
    QApplication::setStyle(fusion);  // the application owns the style from here on
    QApplication::setPalette(fusion->standardPalette());
}

DebugDiagnostics::Backdrop DebugDiagnostics::backdrop() const
{
    if (film_ && film_->backdrop() && film_->backdrop()->isVisible())
        return Backdrop::mono;
    if (backdrop_ && backdrop_->isVisible())
        return Backdrop::colour;
    return Backdrop::hidden;
}

void DebugDiagnostics::hook(int signal, void (DebugDiagnostics::*handler)())
{
    if (!on_)
        return;
    on_(signal, lifetime_.guard([this, handler] { (this->*handler)(); }));
}

void DebugDiagnostics::later(double seconds, std::function<void(NotchViewModel &)> step)
{
    delayed_.push_back(mainQueue().after(seconds, [this, step = std::move(step)] {
        if (NotchViewModel *m = model())
            step(*m);
    }));
}

void DebugDiagnostics::install(const std::string &snapshotDirectory)
{
    if (installed_)
        return;
    installed_ = true;
    snapshotDirectory_ = snapshotDirectory;
    hook(SIGUSR1, &DebugDiagnostics::stepStates);
    hook(SIGUSR2, &DebugDiagnostics::writeSnapshots);
    readSwitches();
    samples_ = makeSamples(appClock().wallNow() + 300);
    hook(SIGWINCH, &DebugDiagnostics::stepSamples);
    // Linux has no SIGINFO; the power-failure signal, unused on a desktop, stands in for it.
    hook(SIGPWR, &DebugDiagnostics::togglePinnedHover);
    backdrop_ = std::make_unique<DebugBackdrop>(false, host_.mainScreen ? host_.mainScreen() : QRect());
    hook(SIGVTALRM, &DebugDiagnostics::togglePill);
    hook(SIGHUP, &DebugDiagnostics::toggleLock);
}

void DebugDiagnostics::readSwitches()
{
    if (has("VESK_DEBUG_PANE")) {
        if (has("VESK_DEBUG_LIGHT") && host_.useLightAppearance)
            host_.useLightAppearance();
        if (host_.showSettings)
            host_.showSettings();
        if (has("VESK_DEBUG_CLOSE_SETTINGS")) {
            delayed_.push_back(mainQueue().after(6, [this] {
                if (host_.settingsWindow && host_.settingsWindow() && host_.closeSettings)
                    host_.closeSettings();
            }));
        }
    }
    if (has("VESK_DEBUG_VOLUME_ROW"))
        later(8, [](NotchViewModel &m) { m.showsVolume = true; });
    if (has("VESK_DEBUG_PLAY")) {
        if (const auto track = parsePlay(value("VESK_DEBUG_PLAY")))
            later(1, [n = *track](NotchViewModel &m) { m.nowPlaying().playDebugTrack(n); });
    }
    if (has("VESK_DEBUG_TAB")) {
        const std::string tab = value("VESK_DEBUG_TAB").toStdString();
        const IslandPage page = IslandPage::builtIn(tab).value_or(IslandPage::ext(tab));
        later(3, [page](NotchViewModel &m) { m.open(false, page); });
    }
    if (has("VESK_DEBUG_BOUNCE")) {
        bounce_.start(0.9, [this] {
            NotchViewModel *m = model();
            if (!m)
                return;
            if (m->isOpen.peek())
                m->close(false);
            else
                m->open(false);
        });
    }
    if (has("VESK_DEBUG_SIZE_PREVIEW")) {
        const double w0 = UserDefaults::standard().value(settings::notchWidthAdjustment);
        for (int k = 1; k <= 8; ++k) {
            delayed_.push_back(mainQueue().after(3.0 + 0.4 * (k - 1), [w = w0 + k] {
                UserDefaults::standard().set(settings::notchWidthAdjustment, w);
            }));
        }
        delayed_.push_back(mainQueue().after(8.0, [w0] { UserDefaults::standard().set(settings::notchWidthAdjustment, w0); }));
    }
    if (has("VESK_DEBUG_ONBOARDING") && host_.showOnboarding)
        host_.showOnboarding();
    if (has("VESK_DEBUG_RECORD")) {
        delayed_.push_back(mainQueue().after(2, [this, folder = value("VESK_DEBUG_RECORD").toStdString()] {
            recordFilm(folder);
        }));
    }
}

void DebugDiagnostics::recordFilm(const std::string &folder)
{
    const auto variant = value("VESK_DEBUG_FILM") == QLatin1String("pill") && has("VESK_DEBUG_FILM")
                             ? FilmRecorder::Variant::pill
                             : FilmRecorder::Variant::full;
    film_ = std::make_unique<FilmRecorder>(host_, folder, variant);
}

void DebugDiagnostics::stepStates()
{
    NotchViewModel *m = model();
    if (!m)
        return;
    usr1Step_ = (usr1Step_ + 1) % 5;
    m->isPinnedOpen = false;
    m->close(false);
    m->stateOverride = stateCycle[usr1Step_];
    if (usr1Step_ == 3) {
        m->show(Peek(Peek::Volume{0.6f, false}), 30, true);
    } else if (usr1Step_ == 4) {
        m->open(false);
        m->isPinnedOpen = true;
    }
}

void DebugDiagnostics::writeSnapshots()
{
    const std::string &dir = snapshotDirectory_;
    // The folder may not exist yet: make it (and its parents) rather than lose the files.
    std::error_code ignored;
    if (!dir.empty())
        std::filesystem::create_directories(dir, ignored);
    if (const auto island = host_.firstIsland ? host_.firstIsland() : std::nullopt) {
        WindowSnapshot::write(island->window, debugfiles::join(dir, "snapshot.png"), true);
        WindowSnapshot::write(island->window, debugfiles::join(dir, "island.png"), false);
        LayerDump::write(island->window.tree, debugfiles::join(dir, "layers.txt"));
    }
    if (host_.writeLockSnapshot)
        host_.writeLockSnapshot(debugfiles::join(dir, "lock.png"));
    if (host_.settingsWindow && host_.settingsWindow()) {
        if (host_.raiseSettings)
            host_.raiseSettings();
        delayed_.push_back(mainQueue().after(0.5, [this, path = debugfiles::join(dir, "settings.png")] {
            QWidget *window = host_.settingsWindow ? host_.settingsWindow() : nullptr;
            if (!window || !window->isVisible())
                return;
            const QByteArray bytes = debugfiles::png(window->grab().toImage());
            if (!bytes.isEmpty())
                debugfiles::replace(path, bytes);
        }));
    }
}

void DebugDiagnostics::stepSamples()
{
    NotchViewModel *m = model();
    if (!m)
        return;
    const int n = int(samples_.size());
    ++winchIndex_;
    if (winchIndex_ <= n + 1) {
        m->isPinnedOpen = false;
        m->close(false);
    }
    if (winchIndex_ < n) {
        m->show(samples_[size_t(winchIndex_)], 30, true);
    } else if (winchIndex_ == n) {
        // Replaces the sample on view and clears it at once.
        m->show(Peek(Peek::TimerDone{}), 0.01, true);
        if (has("VESK_DEBUG_EVENT")) {
            const double now = appClock().wallNow();
            m->debugSetOngoing(Peek(Peek::Event{QStringLiteral("Quarterly planning with the design team"), 8, now + 480,
                                                kit::palette::purple.toQColor()}));
        } else {
            m->countdown().setDuration(1500);
            m->countdown().start();
            m->nowPlaying().playDebugTrack(0);
        }
    } else if (winchIndex_ == n + 1) {
        m->open(false, IslandPage::timer());
        m->isPinnedOpen = true;
    } else if (winchIndex_ == n + 2) {
        m->isPinnedOpen = true;
        m->turnPage(-1);
    } else {
        m->isPinnedOpen = true;
        m->open(false);
        m->turnPage(-5);
        m->showsVolume = true;
        winchIndex_ = -1;
    }
}

void DebugDiagnostics::togglePinnedHover()
{
    NotchViewModel *m = model();
    if (!m)
        return;
    // The pin goes on before hovering starts and off before it ends, so the pointer leaving the
    // island cannot end a pinned hover.
    const bool pinned = !m->isPinnedHovering.peek();
    m->isPinnedHovering = pinned;
    m->setHovering(pinned);
}

void DebugDiagnostics::togglePill()
{
    auto &defaults = UserDefaults::standard();
    defaults.set(settings::notchDisplayPill, !defaults.value(settings::notchDisplayPill));
}

void DebugDiagnostics::toggleLock()
{
    lockToggle_ = (lockToggle_ + 1) % 2;
    if (lockToggle_ == 1) {
        if (backdrop_)
            backdrop_->show();
        if (host_.setLocked)
            host_.setLocked(true);
    } else {
        if (backdrop_)
            backdrop_->hide();
        if (host_.setLocked)
            host_.setLocked(false);
    }
}

}  // namespace vesk
