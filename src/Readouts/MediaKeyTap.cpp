#include "Readouts/MediaKeyTap.h"

#include <string>

namespace vesk {

namespace {
// The tap disabled by a time-out or by user input: there is no such notice on X11, but a tap that
// gets one takes its keys again at once.
constexpr uint32_t disabledByTimeout = 0xFFFFFFFE;
constexpr uint32_t disabledByUserInput = 0xFFFFFFFF;
}  // namespace

MediaKeyTap::MediaKeyTap(MediaKeyGrab &grab, AccessibilityTrust &trust) : grab_(grab), trust_(trust)
{
    grab_.onEvent = [this](const SystemKeyEvent &event) { return !process(event); };
}

MediaKeyTap::~MediaKeyTap()
{
    stop();
    grab_.onEvent = nullptr;
}

int MediaKeyTap::code(Key key)
{
    switch (key) {
    case Key::volumeUp:
        return mediakey::soundUp;
    case Key::volumeDown:
        return mediakey::soundDown;
    case Key::mute:
        return mediakey::mute;
    case Key::brightnessUp:
        return mediakey::brightnessUp;
    case Key::brightnessDown:
        return mediakey::brightnessDown;
    }
    return -1;
}

std::optional<MediaKeyTap::Key> MediaKeyTap::key(int code)
{
    for (Key key : allKeys) {
        if (MediaKeyTap::code(key) == code)
            return key;
    }
    return std::nullopt;
}

const char *MediaKeyTap::name(Key key)
{
    switch (key) {
    case Key::volumeUp:
        return "volumeUp";
    case Key::volumeDown:
        return "volumeDown";
    case Key::mute:
        return "mute";
    case Key::brightnessUp:
        return "brightnessUp";
    case Key::brightnessDown:
        return "brightnessDown";
    }
    return "";
}

std::optional<MediaKeyTap::Key> MediaKeyTap::named(const std::string &text)
{
    for (Key key : allKeys) {
        if (text == name(key))
            return key;
    }
    return std::nullopt;
}

void MediaKeyTap::start(const Keys &wanted)
{
    wanted_ = wanted;
    if (!retryTimer_.isRunning())
        retryTimer_.start(retryInterval, [this] { retry(); });
    retry();
}

void MediaKeyTap::retry()
{
    if (!trust_.isTrusted()) {
        removeTap();
        return;
    }
    for (auto it = held_.begin(); it != held_.end();) {
        if (!wanted_.count(*it)) {
            grab_.release(code(*it));
            swallowed_.erase(*it);
            it = held_.erase(it);
        } else {
            ++it;
        }
    }
    for (Key key : wanted_) {
        // A key the desktop took back after a keymap change counts as missing again.
        if (held_.count(key) && !grab_.isHeld(code(key)))
            held_.erase(key);
        if (!held_.count(key) && grab_.grab(code(key)))
            held_.insert(key);
    }
}

void MediaKeyTap::stop()
{
    retryTimer_.stop();
    removeTap();
}

void MediaKeyTap::removeTap()
{
    for (Key key : held_)
        grab_.release(code(key));
    held_.clear();
    swallowed_.clear();
}

MediaKeyTap::State MediaKeyTap::state() const
{
    if (!retryTimer_.isRunning())
        return State::off;
    return held_.empty() ? State::waiting : State::armed;
}

bool MediaKeyTap::process(const SystemKeyEvent &event)
{
    if (event.type == disabledByTimeout || event.type == disabledByUserInput) {
        if (!held_.empty())
            retry();
        return true;
    }
    if (event.type != SystemKeyEvent::systemDefined || event.subtype != SystemKeyEvent::auxiliaryButtons)
        return true;
    const int64_t data1 = event.data1;
    if (data1 < 0 || data1 > 0x7FFFF)
        return true;
    const auto key = MediaKeyTap::key(int((data1 >> 16) & 0xFF));
    if (!key)
        return true;
    // The auto-repeat bit is not looked at: each repeat of a held key is a further key-down.
    if ((data1 & 0xFF00) != SystemKeyEvent::keyDown)
        return swallowed_.erase(*key) == 0;
    const bool fine = (event.flags & SystemKeyEvent::shift) && (event.flags & SystemKeyEvent::option);
    if (!handler || !handler(*key, fine))
        return true;
    swallowed_.insert(*key);
    return false;
}

}  // namespace vesk
