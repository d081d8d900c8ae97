#include "Readouts/SystemMonitor.h"

namespace vesk {

SystemMonitor::SystemMonitor(KeyboardState &keyboard, FocusStatus &focus)
    : keyboard_(keyboard), focus_(focus), capsLock_(keyboard.capsLock()), inputSource_(keyboard.layoutName())
{
}

void SystemMonitor::start()
{
    if (poll_.connected())
        return;
    layout_ = keyboard_.layoutChanged.connect([this] { inputSourceChanged(); });
    modifiers_ = keyboard_.modifiersChanged.connect([this] { checkCapsLock(); });
    poll_ = tick_.subscribe([this] { poll(); });
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

void SystemMonitor::poll()
{
    checkCapsLock();
    if (++ticks_ % focusEvery != 0)
        return;
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
