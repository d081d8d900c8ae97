#include "NowPlaying/Views/VolumeSlider.h"

#include "Base/Observed.h"
#include "Island/IslandHover.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/Views/MediaControls.h"
#include "NowPlaying/Views/SizedReader.h"
#include "Kit/ViewState.h"

namespace vesk {

using namespace kit;

namespace {
struct SliderState {
    Observed<bool> dragging{false};
    Observed<bool> hovering{false};
};
}  // namespace

Element VolumeSlider::body(const Env &env) const
{
    NotchViewModel *model = env[islandModel];
    if (!model)
        return Element();
    const double shown = level(model->volumeLevel.get(), model->isMuted.get());
    return withViewState<SliderState>("VolumeSlider", [model, shown](const std::shared_ptr<SliderState> &state) {
        const bool active = state->dragging.get() || state->hovering.get();
        const std::weak_ptr<SliderState> weak = state;
        Element area = sizedReader([=](QSizeF size) {
            const double w = size.width();
            auto changed = [weak, model, w](const DragValue &v) {
                const auto s = weak.lock();
                if (!s || !(w > 0))
                    return;
                s->dragging = true;
                model->isInteracting = true;
                model->setVolume(float(v.location.x() / w));
            };
            auto ended = [weak, model](const DragValue &) {
                if (const auto s = weak.lock())
                    s->dragging = false;
                model->endInteraction();
            };
            return capsuleBar(w, size.height(), shown, active).contentShape(Rectangle()).onDrag(changed, ended, 0);
        });
        area = islandHover(area.debugName(QStringLiteral("volume")), [weak](bool inside) {
            if (const auto s = weak.lock())
                s->hovering = inside;
        });
        return HStack({.alignment = Alignment::center(), .spacing = 8},
                      Symbol(shown == 0 ? QStringLiteral("speaker.slash.fill") : QStringLiteral("speaker.fill"), 11)
                          .contentTransition(ContentTransition::symbolReplace)
                          .frame(18, std::nullopt),
                      area, Symbol(QStringLiteral("speaker.wave.3.fill"), 11).frame(18, std::nullopt))
            .foreground(Color::white(0.5))
            .animation(Motion::small, active);
    });
}

}  // namespace vesk
