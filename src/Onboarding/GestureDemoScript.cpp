#include "Onboarding/GestureDemoScript.h"

#include "Kit/Transaction.h"
#include "Model/Motion.h"

#include <algorithm>

namespace vesk {

namespace {

using Kind = ScriptStep::Kind;
using State = GestureDemoState;

constexpr QPointF overIsland{0.5, 0.1};
constexpr QPointF scrollRest{0.5, 0.45};
constexpr QPointF scrollFlick{0.5, 0.38};
constexpr QPointF swipeEnd{0.62, 0.1};
constexpr double shortestMove = 0.15;

ScriptStep move(QPointF to, double wait) { return {Kind::move, std::nullopt, nullptr, to, wait}; }
ScriptStep sleep(double seconds) { return {Kind::sleep, std::nullopt, nullptr, {}, seconds}; }
ScriptStep with(kit::Animation animation, std::function<void(State &)> change)
{
    return {Kind::change, animation, std::move(change), {}, 0};
}

ScriptStep swell(bool on)
{
    return with(Motion::swell, [on](State &s) { s.swollen = on; });
}

GestureScript hoverScript()
{
    return {move(overIsland, 0.55), swell(true), sleep(1.1), move(GestureDemoState::startPoint, 0.4), swell(false), sleep(0.5)};
}

GestureScript clickScript()
{
    return {move(overIsland, 0.5),
            swell(true),
            sleep(0.35),
            with(Motion::press, [](State &s) { s.pressed = true; }),
            sleep(0.2),
            with(Motion::buttonPress, [](State &s) { s.pressed = false; }),
            with(Motion::open, [](State &s) { s.isOpen = true; }),
            sleep(1.3),
            move(GestureDemoState::startPoint, 0.2),
            with(Motion::close,
                 [](State &s) {
                     s.isOpen = false;
                     s.swollen = false;
                 }),
            sleep(0.6)};
}

GestureScript scrollScript()
{
    GestureScript steps{with(Motion::open, [](State &s) { s.isOpen = true; }), move(scrollRest, 0.6)};
    for (int target : {1, 2, 0}) {
        steps.push_back(with(kit::Animation::spring(0.15, 1), [](State &s) { s.pointer = scrollFlick; }));
        steps.push_back(sleep(0.15));
        steps.push_back(with(Motion::page, [target](State &s) { s.page = target; }));
        steps.push_back(with(kit::Animation::spring(0.75, 1), [](State &s) { s.pointer = scrollRest; }));
        steps.push_back(sleep(0.75));
    }
    steps.push_back(move(GestureDemoState::startPoint, 0.2));
    steps.push_back(with(Motion::close, [](State &s) { s.isOpen = false; }));
    steps.push_back(sleep(0.5));
    return steps;
}

GestureScript swipeScript()
{
    // The toolkit's spring has no blend duration; the swipe's spring is its response and damping.
    return {move(overIsland, 0.5),
            swell(true),
            sleep(0.25),
            with(kit::Animation::spring(0.5, 0.85),
                 [](State &s) {
                     s.pull = 1.0;
                     s.pointer = swipeEnd;
                 }),
            sleep(0.55),
            with(Motion::close, [](State &s) { s.pull = 0.0; }),
            with(Motion::flip, [](State &s) { s.flipped = !s.flipped.peek(); }),
            sleep(1.0),
            move(GestureDemoState::startPoint, 0.3),
            swell(false),
            sleep(0.4)};
}

GestureScript rightClickScript()
{
    return {move(overIsland, 0.5),
            swell(true),
            sleep(0.3),
            with(Motion::buttonPress, [](State &s) { s.pressed = true; }),
            sleep(0.12),
            with(Motion::buttonPress, [](State &s) { s.pressed = false; }),
            with(Motion::open, [](State &s) { s.menu = true; }),
            sleep(1.2),
            with(Motion::close, [](State &s) { s.menu = false; }),
            move(GestureDemoState::startPoint, 0.3),
            swell(false),
            sleep(0.4)};
}

}  // namespace

std::optional<Gesture> gestureFromRaw(int raw)
{
    if (raw < 0 || raw >= gestureCount)
        return std::nullopt;
    return Gesture(raw);
}

QString gestureCaseName(Gesture gesture)
{
    static const char *names[] = {"hover", "click", "scroll", "swipe", "rightClick"};
    return QString::fromLatin1(names[int(gesture)]);
}

const GestureScript &scriptFor(Gesture gesture)
{
    static const GestureScript scripts[] = {hoverScript(), clickScript(), scrollScript(), swipeScript(), rightClickScript()};
    return scripts[int(gesture)];
}

double cycleSeconds(Gesture gesture)
{
    double total = 0;
    for (const ScriptStep &step : scriptFor(gesture))
        total += step.kind == Kind::change ? 0 : step.seconds;
    return total;
}

kit::Animation moveSpring(double wait) { return kit::Animation::spring(std::max(wait, shortestMove), 1); }

GestureDemoRunner::GestureDemoRunner(Gesture gesture, std::shared_ptr<GestureDemoState> state)
    : gesture_(gesture), state_(std::move(state))
{
}

void GestureDemoRunner::start()
{
    if (running_)
        return;
    running_ = true;
    cancelled_ = false;
    beginCycle();
}

void GestureDemoRunner::cancel()
{
    if (!running_ || cancelled_)
        return;
    cancelled_ = true;
    wait_.cancel();
    runFrom(next_);
}

void GestureDemoRunner::reset()
{
    GestureDemoState &s = *state_;
    const bool keepsOpen = gesture_ == Gesture::scroll;
    kit::withoutAnimation([&] {
        s.pointer = GestureDemoState::startPoint;
        s.pressed = false;
        s.swollen = false;
        s.menu = false;
        if (!keepsOpen)
            s.isOpen = false;
        s.page = 0;
        s.pull = 0.0;
    });
}

void GestureDemoRunner::beginCycle()
{
    if (cancelled_) {
        running_ = false;
        return;
    }
    reset();
    runFrom(0);
}

void GestureDemoRunner::runFrom(size_t index)
{
    const GestureScript &script = scriptFor(gesture_);
    for (size_t i = index; i < script.size(); ++i) {
        const ScriptStep &step = script[i];
        double wait = 0;
        switch (step.kind) {
        case Kind::change:
            kit::withAnimation(*step.animation, [&] { step.change(*state_); });
            break;
        case Kind::move:
            kit::withAnimation(moveSpring(step.seconds), [&] { state_->pointer = step.target; });
            wait = step.seconds;
            break;
        case Kind::sleep: wait = step.seconds; break;
        }
        if (wait > 0 && !cancelled_) {
            next_ = i + 1;
            wait_ = mainQueue().after(wait, [this] { runFrom(next_); });
            return;
        }
    }
    next_ = 0;
    beginCycle();
}

}  // namespace vesk
