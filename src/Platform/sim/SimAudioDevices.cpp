#include "Platform/sim/SimAudioDevices.h"

#include "Base/MainQueue.h"

#include <algorithm>
#include <cmath>

namespace vesk {

std::vector<AudioDevice> SimAudioDevices::outputs() const
{
    std::vector<AudioDevice> list;
    if (!available_)
        return list;
    for (auto &o : outputs_)
        list.push_back(o.device);
    return list;
}

std::optional<uint32_t> SimAudioDevices::defaultOutput() const
{
    return available_ ? default_ : std::nullopt;
}

const SimAudioDevices::Output *SimAudioDevices::find(uint32_t device) const
{
    if (!available_)
        return nullptr;
    for (auto &o : outputs_) {
        if (o.device.id == device)
            return &o;
    }
    return nullptr;
}

SimAudioDevices::Output *SimAudioDevices::find(uint32_t device)
{
    return const_cast<Output *>(std::as_const(*this).find(device));
}

std::optional<float> SimAudioDevices::volume(uint32_t device) const
{
    if (auto *o = find(device))
        return o->volume;
    return std::nullopt;
}

std::optional<bool> SimAudioDevices::isMuted(uint32_t device) const
{
    if (failMuteReads_)
        return std::nullopt;
    if (auto *o = find(device))
        return o->muted;
    return std::nullopt;
}

bool SimAudioDevices::setVolume(uint32_t device, float level)
{
    Output *o = find(device);
    if (!o || refuseWrites_ || std::isnan(level))
        return false;
    o->volume = std::clamp(level, 0.0f, 1.0f);
    writes_.push_back({device, o->volume, std::nullopt});
    return true;
}

bool SimAudioDevices::setMuted(uint32_t device, bool muted)
{
    Output *o = find(device);
    if (!o || refuseWrites_)
        return false;
    o->muted = muted;
    writes_.push_back({device, std::nullopt, muted});
    return true;
}

bool SimAudioDevices::setDefaultOutput(uint32_t device)
{
    if (!find(device) || refuseWrites_)
        return false;
    defaultWrites_.push_back(device);
    // The server takes it on its own time and reports it like any other change of the default.
    posts_.post([this, device] { systemSetDefault(device); });
    return true;
}

void SimAudioDevices::systemSetOutputs(std::vector<Output> outputs)
{
    const auto before = this->outputs();
    const auto defaultBefore = defaultOutput();
    std::vector<uint32_t> changed;
    for (auto &o : outputs) {
        if (const Output *old = find(o.device.id); old && (old->volume != o.volume || old->muted != o.muted))
            changed.push_back(o.device.id);
    }
    outputs_ = std::move(outputs);
    if (default_ && !std::any_of(outputs_.begin(), outputs_.end(), [&](auto &o) { return o.device.id == *default_; }))
        default_.reset();
    const bool listChanged = this->outputs() != before;
    const bool defaultChanged = defaultOutput() != defaultBefore;
    posts_.post([this, listChanged, defaultChanged, changed] {
        if (listChanged)
            outputsChanged();
        if (defaultChanged)
            defaultOutputChanged();
        for (auto id : changed)
            volumeChanged(id);
    });
}

void SimAudioDevices::systemSetDefault(std::optional<uint32_t> device)
{
    if (device && !std::any_of(outputs_.begin(), outputs_.end(), [&](auto &o) { return o.device.id == *device; }))
        device.reset();
    if (device == default_)
        return;
    default_ = device;
    if (available_)
        posts_.post([this] { defaultOutputChanged(); });
}

void SimAudioDevices::systemSetVolume(uint32_t device, float level, bool muted)
{
    Output *o = find(device);
    level = std::clamp(level, 0.0f, 1.0f);
    if (!o || (o->volume == level && o->muted == muted))
        return;
    o->volume = level;
    o->muted = muted;
    posts_.post([this, device] { volumeChanged(device); });
}

void SimAudioDevices::systemSetAvailable(bool available)
{
    if (available == available_)
        return;
    const bool hadOutputs = !outputs_.empty();
    const bool hadDefault = default_.has_value();
    available_ = available;
    posts_.post([this, hadOutputs, hadDefault] {
        if (hadOutputs)
            outputsChanged();
        if (hadDefault)
            defaultOutputChanged();
    });
}

}  // namespace vesk
