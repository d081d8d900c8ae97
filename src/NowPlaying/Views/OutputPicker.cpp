#include "NowPlaying/Views/OutputPicker.h"

#include "Island/IslandHover.h"
#include "Island/PeekView.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/Views/ControlButton.h"
#include "Platform/AudioDevices.h"

namespace vesk {

using namespace kit;

std::optional<AudioOutput::Device> OutputPicker::currentDevice(const std::vector<AudioOutput::Device> &outputs,
                                                                std::optional<uint32_t> current)
{
    if (!current)
        return std::nullopt;
    for (const auto &d : outputs)
        if (d.id == *current)
            return d;
    return std::nullopt;
}

std::vector<MenuItem> OutputPicker::menu(AudioDevices &devices, const std::vector<AudioOutput::Device> &outputs,
                                         std::optional<uint32_t> current)
{
    std::vector<MenuItem> items;
    items.reserve(outputs.size());
    for (const auto &d : outputs) {
        const uint32_t id = d.id;
        // The alert sound follows the default output here: one write serves both.
        items.push_back(MenuItem::withSymbol(d.name, current == id ? QStringLiteral("checkmark") : d.symbol,
                                             [&devices, id] { devices.setDefaultOutput(id); }));
    }
    return items;
}

Element OutputPicker::body(const Env &env) const
{
    NotchViewModel *model = env[islandModel];
    if (!model)
        return Element();
    const std::vector<AudioOutput::Device> outputs = model->outputs.get();
    const std::optional<uint32_t> current = model->currentOutputID.get();
    const std::optional<AudioOutput::Device> device = currentDevice(outputs, current);
    const bool shows = model->showsVolume.get();
    auto toggle = [model] {
        const bool was = model->showsVolume.peek();
        withAnimation(was ? Motion::close : Motion::open, [model, was] { model->showsVolume = !was; });
    };
    return view(ControlButton{device ? device->symbol : QStringLiteral("hifispeaker.fill"), 18, shows ? 1 : 0.48, 48, false,
                              std::nullopt, toggle})
        .tooltip(device ? oneLine(device->name) : QStringLiteral("Output"))
        .contextMenu(menu(*model->services().audioDevices, outputs, current));
}

}  // namespace vesk
