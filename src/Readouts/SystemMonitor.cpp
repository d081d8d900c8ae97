#include "Readouts/SystemMonitor.h"

namespace vesk {

SystemMonitor::SystemMonitor(KeyboardState &keyboard, FocusStatus &focus)
    : keyboard_(keyboard), focus_(focus), capsLock_(keyboard.capsLock()), inputSource_(keyboard.layoutName())
{
}

void SystemMonitor::start()
{
    if (focusPoll_.connected())
        return;
    layout_ = keyboard_.layoutChanged.connect([this] { inputSourceChanged(); });
    modifiers_ = keyboard_.modifiersChanged.connect([this] { checkCapsLock(); });
    // A keyboard that announces every change has nothing for a poll to find, and sparing the
    // poll spares the process nine wake-ups in ten.
    if (!keyboard_.notifiesEveryChange())
        capsLockPoll_ = tick_.subscribe([this] { checkCapsLock(); });
    focusPoll_ = tick_.subscribe([this] { pollFocus(); }, focusEvery);
}

void SystemMonitor::checkCapsLock()
{
    const bool on = keyboard_.capsLock();
    if (on == capsLock_)
        return;
    capsLock_ = on;
    if (onCapsLock)
        onCapsLock(on);
}

void SystemMonitor::inputSourceChanged()
{
    auto name = keyboard_.layoutName();
    if (!name || name == inputSource_)
        return;
    inputSource_ = name;
    if (onInputSource)
        onInputSource(*name);
}

void SystemMonitor::pollFocus()
{
    const auto focused = focus_.focusIfAuthorised();
    if (!focused)
        return;
    const auto previous = isFocused_;
    isFocused_ = focused;
    if (previous && *previous != *focused && onFocus)
        onFocus(*focused);
}

bool SystemMonitor::hasFocusAccess() { return focusStatus().isAuthorised(); }

void SystemMonitor::requestFocusAccess(std::function<void(bool)> done) { focusStatus().request(std::move(done)); }

}  // namespace vesk
