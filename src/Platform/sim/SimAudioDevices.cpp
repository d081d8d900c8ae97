#include "Platform/sim/SimAudioDevices.h"

#include "Base/MainQueue.h"

#include <algorithm>
#include <cmath>

namespace vesk {

std::optional<bool> SimAudioDevices::isMuted(uint32_t device) const
{
    return failMuteReads_ ? std::nullopt : ListedAudioDevices::isMuted(device);
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
    lifetime_.post([this, device] { systemSetDefault(device); });
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
    records_ = std::move(outputs);
    if (default_ && !std::any_of(records_.begin(), records_.end(), [&](auto &o) { return o.device.id == *default_; }))
        default_.reset();
    const bool listChanged = this->outputs() != before;
    const bool defaultChanged = defaultOutput() != defaultBefore;
    lifetime_.post([this, listChanged, defaultChanged, changed] {
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
    if (device && !std::any_of(records_.begin(), records_.end(), [&](auto &o) { return o.device.id == *device; }))
        device.reset();
    if (device == default_)
        return;
    default_ = device;
    if (available_)
        lifetime_.post([this] { defaultOutputChanged(); });
}

void SimAudioDevices::systemSetVolume(uint32_t device, float level, bool muted)
{
    Output *o = find(device);
    level = std::clamp(level, 0.0f, 1.0f);
    if (!o || (o->volume == level && o->muted == muted))
        return;
    o->volume = level;
    o->muted = muted;
    lifetime_.post([this, device] { volumeChanged(device); });
}

void SimAudioDevices::systemSetAvailable(bool available)
{
    if (available == available_)
        return;
    const bool hadOutputs = !records_.empty();
    const bool hadDefault = default_.has_value();
    available_ = available;
    lifetime_.post([this, hadOutputs, hadDefault] {
        if (hadOutputs)
            outputsChanged();
        if (hadDefault)
            defaultOutputChanged();
    });
}

}  // namespace vesk
