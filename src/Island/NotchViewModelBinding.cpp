#include "Island/NotchViewModelBinding.h"

#include "Model/NotchViewModel.h"
#include "Kit/Transaction.h"
#include "NowPlaying/NowPlayingService.h"

namespace vesk {

QSizeF NotchViewModelBinding::size() const
{
    const Size s = model_.size();
    return QSizeF(s.width, s.height);
}

bool NotchViewModelBinding::isOpen() const { return model_.isOpen.get(); }
NotchState NotchViewModelBinding::state() const { return model_.state(); }
std::optional<Peek> NotchViewModelBinding::bubble() const { return model_.bubble(); }
double NotchViewModelBinding::bubbleWidth() const { return model_.bubbleWidth.get(); }
IslandStyle NotchViewModelBinding::style() const { return model_.style.get(); }
double NotchViewModelBinding::pillTopInset() const { return model_.pillTopInset.get(); }
bool NotchViewModelBinding::showPageDots() const { return model_.showPageDots.get(); }
int NotchViewModelBinding::pageCount() const { return int(model_.pages().size()); }
bool NotchViewModelBinding::hapticFeedback() const { return model_.hapticFeedback.get(); }
bool NotchViewModelBinding::hasTrack() const { return model_.nowPlaying().track.get().has_value(); }

Qt::CursorShape NotchViewModelBinding::cursor() const
{
    return model_.cursor() == NotchViewModel::Cursor::pointingHand ? Qt::PointingHandCursor : Qt::ArrowCursor;
}

bool NotchViewModelBinding::isPressed() const { return model_.isPressed.get(); }
void NotchViewModelBinding::setPressed(bool pressed) { model_.isPressed = pressed; }
double NotchViewModelBinding::skipDrag() const { return model_.skipDrag().get(); }

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
