#include "Diagnostics/FilmRecorder.h"

#include "Diagnostics/DebugFiles.h"
#include "Kit/Palette.h"
#include "Kit/Transaction.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/MediaCommand.h"
#include "NowPlaying/NowPlayingService.h"
#include "Readouts/CountdownTimer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThreadPool>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace vesk {

namespace {

constexpr double frameInterval = 1.0 / 60;

Peek volume(float level) { return Peek(Peek::Volume{level, false}); }
Peek brightness(float level) { return Peek(Peek::Brightness{level}); }

std::string frameName(const char *folder, size_t number)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s/f%05zu.png", folder, number);
    return name;
}

QJsonArray times(const std::vector<double> &list)
{
    QJsonArray array;
    for (double t : list)
        array.append(t);
    return array;
}

}  // namespace

double FilmRecorder::skipPull(int k)
{
    const double p = k / 48.0;
    return 1.15 * (1 - std::pow(1 - p, 3));
}

FilmRecorder::FilmRecorder(DiagnosticsHost &host, std::string folder, Variant variant)
    : host_(host), folder_(std::move(folder)), variant_(variant)
{
    const auto island = host_.firstIsland ? host_.firstIsland() : std::nullopt;
    if (!island)
        return;
    panelFrame_ = island->window.frame;
    screenFrame_ = island->screenFrame;
    scale_ = island->window.scale;
    std::error_code ignored;
    std::filesystem::create_directories(debugfiles::join(folder_, "island"), ignored);
    std::filesystem::create_directories(debugfiles::join(folder_, "lock"), ignored);
    start_ = appClock().now();
    writers_ = std::make_unique<QThreadPool>();
    recording_ = true;
    tick();
    if (variant_ == Variant::pill)
        schedulePill();
    else
        scheduleFull();
    atAlways(length(variant_), [this] { end(); });
}

FilmRecorder::~FilmRecorder()
{
    if (writers_)
        writers_->waitForDone();
}

void FilmRecorder::scheduleTick()
{
    // Ticks keep to the film's own grid of 1/60 s; one that runs late is followed by the next
    // grid point still ahead, never by a burst that catches up.
    const double elapsed = appClock().now() - start_;
    const double next = (std::floor(elapsed / frameInterval + 1e-9) + 1) * frameInterval;
    tick_ = mainQueue().after(next - elapsed, [this] { tick(); });
}

void FilmRecorder::tick()
{
    const double t = appClock().now() - start_;
    ++ticks_;
    scheduleTick();
    if (!lockRect_) {
        const auto island = host_.firstIsland ? host_.firstIsland() : std::nullopt;
        if (!island)
            return;
        QImage frame = WindowSnapshot::image(island->window, false);
        if (frame.isNull())
            return;
        save(std::move(frame), frameName("island", islandTimes_.size()));
        islandTimes_.push_back(t);
        return;
    }
    if (ticks_ % 2 != 0)
        return;
    QImage frame = WindowSnapshot::screenImage(*lockRect_, scale_);
    if (frame.isNull())
        return;
    save(std::move(frame), frameName("lock", lockTimes_.size()));
    lockTimes_.push_back(t);
}

void FilmRecorder::save(QImage image, std::string name)
{
    pending_->fetch_add(1);
    writers_->start([image = std::move(image), path = debugfiles::join(folder_, name), pending = pending_] {
        const QByteArray bytes = debugfiles::png(image);
        if (!bytes.isEmpty())
            debugfiles::replace(path, bytes);
        pending->fetch_sub(1);
    });
}

void FilmRecorder::atAlways(double offset, std::function<void()> step)
{
    const double elapsed = appClock().now() - start_;
    steps_.push_back(mainQueue().after(std::max(0.0, offset - elapsed), std::move(step)));
}

void FilmRecorder::at(double offset, std::function<void(NotchViewModel &)> step)
{
    atAlways(offset, [this, step = std::move(step)] {
        if (NotchViewModel *model = host_.model ? host_.model() : nullptr)
            step(*model);
    });
}

void FilmRecorder::levels(double from, double to, double offset, std::function<Peek(float)> make)
{
    for (int i = 0; i < 5; ++i) {
        const float level = float(from + (to - from) * i / 4);
        at(offset + 0.13 * i, [make, level](NotchViewModel &m) { m.show(make(level), std::nullopt, true); });
    }
}

void FilmRecorder::schedulePill()
{
    at(1.0, [](NotchViewModel &m) { m.nowPlaying().playDebugTrack(0); });
    at(3.5, [](NotchViewModel &m) {
        m.countdown().setDuration(300);
        m.countdown().start();
    });
    at(7.0, [](NotchViewModel &m) { m.countdown().reset(); });
}

void FilmRecorder::scheduleFull()
{
    const auto spring = [](double response, double damping, std::function<void()> change) {
        kit::withAnimation(kit::Animation::spring(response, damping), change);
    };
    at(3.0, [](NotchViewModel &m) { m.nowPlaying().playDebugTrack(0); });
    at(10.6, [](NotchViewModel &m) {
        m.isPinnedHovering = true;
        m.setHovering(true);
    });
    at(11.2, [](NotchViewModel &m) { m.open(false); });
    at(14.6, [spring](NotchViewModel &m) { spring(0.42, 0.78, [&m] { m.showsVolume = true; }); });
    at(18.3, [spring](NotchViewModel &m) { spring(0.42, 0.78, [&m] { m.showsVolume = false; }); });
    at(19.0, [](NotchViewModel &m) { m.turnPage(1); });
    at(21.5, [](NotchViewModel &m) { m.turnPage(1); });
    at(24.0, [](NotchViewModel &m) {
        m.isPinnedHovering = false;
        m.close(false);
        m.setHovering(false);
    });
    at(24.6, [](NotchViewModel &m) { m.turnPage(-2); });
    for (int k = 0; k <= 48; ++k) {
        at(25.3 + 0.8 * k / 48.0, [spring, k](NotchViewModel &m) {
            spring(0.18, 0.85, [&m, k] { m.setSkipDrag(skipPull(k)); });
        });
    }
    at(26.4, [spring](NotchViewModel &m) {
        m.nowPlaying().send(MediaCommand::nextTrack);
        spring(0.45, 0.7, [&m] { m.setSkipDrag(0); });
    });
    levels(0.44, 0.69, 30.0, volume);
    levels(0.56, 0.81, 32.0, brightness);
    at(34.0, [](NotchViewModel &m) { m.show(Peek(Peek::Battery{82, true}), 1.8, true); });
    at(36.5, [](NotchViewModel &m) {
        m.countdown().setDuration(300);
        m.countdown().start();
    });
    at(39.0, [](NotchViewModel &m) {
        const double now = appClock().wallNow();
        m.show(Peek(Peek::Event{QStringLiteral("Design Review"), 5, now + 300, kit::palette::red.toQColor()}), 2.7, true);
        m.countdown().reset();
    });
    at(41.5, [](NotchViewModel &m) { m.show(Peek(Peek::Device{"airpodspro", true}), 2.7, true); });
    at(44.0, [](NotchViewModel &m) { m.show(Peek(Peek::CapsLock{true}), 2.7, true); });
    at(46.5, [](NotchViewModel &m) { m.show(Peek(Peek::InputSource{QStringLiteral("German")}), 2.7, true); });
    for (const auto &[offset, fraction] : {std::pair{49.0, 0.3}, {49.6, 0.6}, {50.2, 0.9}})
        at(offset, [fraction](NotchViewModel &m) { m.show(Peek(Peek::Download{fraction}), std::nullopt, true); });
    at(50.7, [](NotchViewModel &m) { m.show(Peek(Peek::DownloadDone{}), 1.4, true); });
    at(52.2, [](NotchViewModel &m) { m.countdown().reset(); });
    atAlways(52.5, [this] {
        const QRect screen = host_.mainScreen ? host_.mainScreen() : QRect();
        if (!backdrop_)
            backdrop_ = std::make_unique<DebugBackdrop>(true, screen);
        backdrop_->show();
        if (host_.raisePanels)
            host_.raisePanels();
        if (screen.isValid())
            lockRect_ = backdrop_->frame();
    });
    atAlways(52.8, [this] {
        if (host_.setLocked)
            host_.setLocked(true);
    });
    atAlways(58.0, [this] {
        if (host_.setLocked)
            host_.setLocked(false);
    });
    atAlways(58.8, [this] {
        lockRect_.reset();
        if (backdrop_)
            backdrop_->hide();
    });
    at(59.5, [](NotchViewModel &m) { m.nowPlaying().clearEverything(); });
}

void FilmRecorder::end()
{
    tick_.cancel();
    // Every frame handed to the workers is complete before the record that lists it.
    writers_->waitForDone();
    const QRect panel = panelFrame_, screen = screenFrame_;
    QJsonObject meta{{"islandTimes", times(islandTimes_)},
                     {"lockTimes", times(lockTimes_)},
                     {"scale", scale_},
                     {"windowX", panel.x() - screen.x()},
                     {"windowY", panel.y() - screen.y()},
                     {"windowWidth", panel.width()},
                     {"screenWidth", screen.width()}};
    debugfiles::replace(debugfiles::join(folder_, "meta.json"), QJsonDocument(meta).toJson(QJsonDocument::Indented));
    ended_ = true;
    recording_ = false;
    lifetime_.post([this] {
        if (host_.terminate)
            host_.terminate();
    });
}

}  // namespace vesk
