#include "Readouts/Views/TimerView.h"

#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "Island/IslandHover.h"
#include "NowPlaying/Views/ControlButton.h"

#include <cmath>

namespace vesk {

using namespace kit;

namespace {
constexpr double runningTick = 0.25;
constexpr double idleTick = 3600;  // nothing changes: the text need not be described again
constexpr double buttonDiameter = 34;
}  // namespace

Element Chip::body(const Env &) const
{
    return clickableCursor(Button(Text(title, Font::system(11, Weight::semibold), isSelected ? Color::black() : Color::white(0.75))
                                      .padding(Edges::horizontal(9))
                                      .frame(std::nullopt, 22)
                                      .background(Fill(Capsule(), Color::white(isSelected ? 0.92 : 0.12)))
                                      .contentShape(Capsule())
                                      .animation(Motion::small, isSelected),
                                  action),
                           true);
}

TimerView::Plan TimerView::plan(const CountdownTimer &timer, bool isOpen, double now)
{
    Plan p;
    const bool running = timer.isRunning().get();
    const bool paused = !running && timer.banked().get() > 0;
    const bool idle = !running && !paused;
    p.text = timer.text(now);
    p.textOpacity = paused ? 0.55 : 1.0;
    if (timer.mode().get() == CountdownTimer::Mode::timer) {
        const double whole = std::floor(timer.duration().get());
        for (int minutes : presets)
            p.presetChips.emplace_back(minutes, idle && minutes * 60 == whole);
    }
    p.resetOpacity = idle ? 0.3 : 1.0;
    p.resetEnabled = !idle;
    p.playSymbol = running ? QStringLiteral("pause.fill") : QStringLiteral("play.fill");
    p.tickPeriod = running && isOpen ? runningTick : idleTick;
    return p;
}

Element TimerView::body(const Env &env) const
{
    NotchViewModel *model = env[islandModel];
    if (!model)
        return Empty();
    CountdownTimer &timer = model->countdown();
    const bool isOpen = model->isOpen.get();
    const Plan p = plan(timer, isOpen, appClock().wallNow());
    const bool isTimer = timer.mode().get() == CountdownTimer::Mode::timer;

    const Element modes = HStack({.alignment = Alignment::center(), .spacing = 6},
                                 view(Chip{QStringLiteral("Timer"), isTimer, [&timer] { timer.setMode(CountdownTimer::Mode::timer); }}),
                                 view(Chip{QStringLiteral("Stopwatch"), !isTimer,
                                           [&timer] { timer.setMode(CountdownTimer::Mode::stopwatch); }}),
                                 Spacer());
    const double textOpacity = p.textOpacity;
    const Element time = Timeline(p.tickPeriod, [&timer, textOpacity](double now) {
        return Text(QString::fromStdString(timer.text(now)), Font::system(40, Weight::light).monospacedDigits(),
                    Color::white(textOpacity));
    });
    Elements controls;
    for (const auto &[minutes, selected] : p.presetChips)
        controls.push_back(view(Chip{QStringLiteral("%1m").arg(minutes), selected,
                                     [&timer, m = minutes] { timer.setDuration(m * 60.0); }}));
    controls.push_back(Spacer());
    controls.push_back(view(ControlButton{QStringLiteral("arrow.counterclockwise"), 15, 0.6, buttonDiameter, false, std::nullopt,
                                          [&timer] { timer.reset(); }})
                           .opacity(p.resetOpacity)
                           .disabled(!p.resetEnabled));
    controls.push_back(view(ControlButton{p.playSymbol, 19, 1.0, buttonDiameter, false, std::nullopt,
                                          [&timer] {
                                              if (timer.isRunning().peek())
                                                  timer.pause();
                                              else
                                                  timer.start();
                                          }})
                           .padding(Edges::trailingOnly(-8)));
    return VStack({.alignment = Alignment::center(), .spacing = 0}, modes, time,
                  HStack({.alignment = Alignment::center(), .spacing = 6}, controls))
        .padding(Edges{8, 20, 12, 20});
}

}  // namespace vesk
