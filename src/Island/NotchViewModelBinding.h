#pragma once

#include "Island/NotchWindowModel.h"

#include <functional>
#include <memory>

namespace vesk {

class NotchViewModel;

// The island model seen through the window's interface.
class NotchViewModelBinding final : public NotchWindowModel {
public:
    explicit NotchViewModelBinding(std::shared_ptr<NotchViewModel> model) : owner_(std::move(model)), model_(*owner_) {}

    // Sends the next (true) or previous track command; until playback commands are wired it may
    // be empty, and a swipe-to-skip then only moves the island.
    std::function<void(bool next)> sendSkipCommand;

    Reading reading() const override;
    void setPressed(bool pressed) override;
    void setSkipDrag(double value, const kit::Animation &animation) override;
    void setHovering(bool inside) override;
    void open(bool feedback, std::optional<IslandPage> showing) override;
    void close(bool feedback) override;
    void turnPage(int delta) override;
    void scrollStep(bool down) override;
    void dragPages(double dx) override;
    void endPageDrag(double velocity) override;
    void skipTrackCommand(bool next) override;

    void updateNotch(const Screen &screen, IslandStyle style, bool staged) override;
    void readTrackedFields() const override;
    bool isOnboarding() const override;
    NotchViewModel &islandModel() const override { return model_; }

private:
    std::shared_ptr<NotchViewModel> owner_;
    NotchViewModel &model_;
};

}  // namespace vesk
