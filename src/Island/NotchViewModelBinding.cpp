#include "Island/NotchViewModelBinding.h"

#include "Model/NotchViewModel.h"
#include "Kit/Transaction.h"
#include "NowPlaying/NowPlayingService.h"

namespace vesk {

IslandInputModel::Reading NotchViewModelBinding::reading() const
{
    const Size size = model_.size();
    return {
        .size = QSizeF(size.width, size.height),
        .isOpen = model_.isOpen.get(),
        .state = model_.state(),
        .bubble = model_.bubble(),
        .bubbleWidth = model_.bubbleWidth.get(),
        .style = model_.style.get(),
        .pillTopInset = model_.pillTopInset.get(),
        .showPageDots = model_.showPageDots.get(),
        .pageCount = int(model_.pages().size()),
        .hapticFeedback = model_.hapticFeedback.get(),
        .hasTrack = model_.nowPlaying().track.get().has_value(),
        .cursor = model_.cursor() == NotchViewModel::Cursor::pointingHand ? Qt::PointingHandCursor : Qt::ArrowCursor,
        .isPressed = model_.isPressed.get(),
        .skipDrag = model_.skipDrag().get(),
    };
}

void NotchViewModelBinding::setPressed(bool pressed) { model_.isPressed = pressed; }

void NotchViewModelBinding::setSkipDrag(double value, const kit::Animation &animation)
{
    kit::withAnimation(animation, [&] { model_.setSkipDrag(value); });
}

void NotchViewModelBinding::setHovering(bool inside) { model_.setHovering(inside); }
void NotchViewModelBinding::open(bool feedback, std::optional<IslandPage> showing) { model_.open(feedback, showing); }
void NotchViewModelBinding::close(bool feedback) { model_.close(feedback); }
void NotchViewModelBinding::turnPage(int delta) { model_.turnPage(delta); }
void NotchViewModelBinding::scrollStep(bool down) { model_.scrollStep(down); }
void NotchViewModelBinding::dragPages(double dx) { model_.dragPages(dx); }
void NotchViewModelBinding::endPageDrag(double velocity) { model_.endPageDrag(velocity); }

void NotchViewModelBinding::skipTrackCommand(bool next)
{
    if (sendSkipCommand)
        sendSkipCommand(next);
    else
        model_.nowPlaying().send(next ? MediaCommand::nextTrack : MediaCommand::previousTrack);
}

void NotchViewModelBinding::updateNotch(const Screen &screen, IslandStyle style, bool staged)
{
    model_.updateNotch(screen, style, staged);
}

void NotchViewModelBinding::readTrackedFields() const
{
    model_.size();
    model_.bubble();
    model_.onboardingPage().get();
    model_.state();
}

bool NotchViewModelBinding::isOnboarding() const { return model_.onboardingPage().peek().has_value(); }

}  // namespace vesk
