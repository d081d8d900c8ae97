#pragma once

#include "Diagnostics/DebugBackdrop.h"
#include "Diagnostics/DiagnosticsHost.h"
#include "Base/Lifetime.h"
#include "Base/MainQueue.h"
#include "Model/Peek.h"

#include <QRect>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QThreadPool;

namespace vesk {

// Plays a fixed, timed script on the primary island while it films the island window, and later
// the lock screen over the monochrome backdrop, as numbered PNG frames; then writes "meta.json"
// (when each frame was taken, where the island sat on its screen) and ends the application.
//
// Frames are taken on the main thread by a main-queue item every 1/60 s on the application clock
// (the island's tree lives there); PNG encoding and writing run on a pool of workers. Frame k of a
// folder is entry k of its time list: a capture that gives nothing leaves no gap. Lock frames are
// taken on even ticks only, while the lock area is set. Nothing is reported; a file that cannot be
// written is lost, and the film still ends.
class FilmRecorder {
public:
    enum class Variant { full, pill };

    // Starts at once; nothing happens without an island or its screen (`isRecording` stays false).
    FilmRecorder(DiagnosticsHost &host, std::string folder, Variant variant);
    ~FilmRecorder();
    FilmRecorder(const FilmRecorder &) = delete;
    FilmRecorder &operator=(const FilmRecorder &) = delete;

    bool isRecording() const { return recording_; }
    bool hasEnded() const { return ended_; }
    Variant variant() const { return variant_; }
    // The script's length in seconds.
    static double length(Variant variant) { return variant == Variant::pill ? 8.0 : 60.5; }
    // The swipe-to-skip pull at step k of 0...48.
    static double skipPull(int k);

    const std::vector<double> &islandTimes() const { return islandTimes_; }
    const std::vector<double> &lockTimes() const { return lockTimes_; }
    const std::optional<QRect> &lockRect() const { return lockRect_; }
    // The monochrome backdrop, once the recorder made it.
    const DebugBackdrop *backdrop() const { return backdrop_.get(); }
    // PNG writes handed to the workers and not yet finished.
    int pendingWrites() const { return pending_->load(); }

private:
    void tick();
    void scheduleTick();
    void at(double offset, std::function<void(NotchViewModel &)> step);
    void atAlways(double offset, std::function<void()> step);
    void levels(double from, double to, double offset, std::function<Peek(float)> make);
    void scheduleFull();
    void schedulePill();
    void save(QImage image, std::string name);
    void end();

    DiagnosticsHost &host_;
    std::string folder_;
    Variant variant_;
    bool recording_ = false;
    bool ended_ = false;
    double start_ = 0;
    long long ticks_ = 0;
    std::vector<double> islandTimes_;
    std::vector<double> lockTimes_;
    std::optional<QRect> lockRect_;
    // The island record, taken once at the start.
    QRect panelFrame_;
    QRect screenFrame_;
    double scale_ = 1;

    std::unique_ptr<DebugBackdrop> backdrop_;
    std::unique_ptr<QThreadPool> writers_;
    std::shared_ptr<std::atomic<int>> pending_ = std::make_shared<std::atomic<int>>(0);
    WorkItem tick_;
    Lifetime lifetime_;
    std::vector<WorkItem> steps_;
};

}  // namespace vesk
