#pragma once

#include "Base/MainQueue.h"
#include "Base/Observed.h"
#include "Kit/Animation.h"

#include <QPointF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vesk {

// The five pointer gestures the tour teaches, in the order its list shows them.
enum class Gesture : int { hover, click, scroll, swipe, rightClick };
inline constexpr int gestureCount = 5;
std::optional<Gesture> gestureFromRaw(int raw);
QString gestureCaseName(Gesture gesture);

// What the miniature island of the demonstration shows. Pointer positions are unit coordinates of
// the demonstration area; values beyond 0...1 lie outside it (out of sight).
struct GestureDemoState {
    static constexpr QPointF startPoint{0.5, 1.15};

    Observed<QPointF> pointer{startPoint};
    Observed<bool> pressed{false};
    Observed<bool> swollen{false};
    Observed<bool> isOpen{false};
    Observed<int> page{0};
    Observed<double> pull{0};
    Observed<bool> flipped{false};
    Observed<bool> menu{false};
};

// One step of a script: a change made under its animation, a pointer move (a spring of response
// max(wait, 0.15) and damping 1, then a wait of exactly `seconds`), or a plain wait.
struct ScriptStep {
    enum class Kind { change, move, sleep };
    Kind kind = Kind::sleep;
    std::optional<kit::Animation> animation;
    std::function<void(GestureDemoState &)> change;
    QPointF target;
    double seconds = 0;
};
using GestureScript = std::vector<ScriptStep>;

const GestureScript &scriptFor(Gesture gesture);
// The waiting time of one cycle: every sleep and every move's wait.
double cycleSeconds(Gesture gesture);
// The spring a pointer move rides on.
kit::Animation moveSpring(double wait);

// Plays one gesture's script on the main queue, cycle after cycle, until cancelled. Cancellation
// is looked at only when a cycle begins: a cancel in the middle of a cycle makes every remaining
// change of that cycle at once (each still under its own animation) and waits no more, so the
// scene always ends in the script's final state; then the runner stops. Gone, it schedules nothing.
class GestureDemoRunner {
public:
    GestureDemoRunner(Gesture gesture, std::shared_ptr<GestureDemoState> state);
    GestureDemoRunner(const GestureDemoRunner &) = delete;
    GestureDemoRunner &operator=(const GestureDemoRunner &) = delete;

    // Starts the loop (a cycle beginning with reset()) unless it already runs.
    void start();
    void cancel();
    bool isRunning() const { return running_; }

    // The start of a cycle, without animation: pointer at the start point; not pressed, not
    // swollen, no menu, first page, no pull; closed except in the scroll demonstration, which
    // keeps its openness; `flipped` always kept.
    void reset();

    Gesture gesture() const { return gesture_; }
    const std::shared_ptr<GestureDemoState> &state() const { return state_; }

private:
    void beginCycle();
    void runFrom(size_t index);

    Gesture gesture_;
    std::shared_ptr<GestureDemoState> state_;
    WorkItem wait_;
    size_t next_ = 0;
    bool running_ = false;
    bool cancelled_ = false;
};

}  // namespace vesk
