#pragma once

#include "Island/IslandInput.h"
#include "Island/IslandShape.h"
#include "Kit/Kit.h"
#include "Island/NotchWindowModel.h"
#include "Base/Observed.h"

#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>

#include <string>
#include <vector>

namespace vesk::test {

// An island model that records every call the input rules make, as readable lines. `Base` is the
// model interface it implements (the input rules' or one that extends it).
template <typename Base = IslandInputModel>
class FakeModel : public Base {
public:

    // What the rules read; a test sets its fields. The size is taken from currentSize().
    typename Base::Reading read = [] {
        typename Base::Reading r;
        r.size = QSizeF(200, 32);
        r.hasTrack = true;
        return r;
    }();
    std::vector<std::string> calls;
    std::vector<kit::Animation> dragAnimations;

    typename Base::Reading reading() const override
    {
        auto r = read;
        r.size = currentSize();
        return r;
    }
    virtual QSizeF currentSize() const { return read.size; }
    void setPressed(bool value) override
    {
        read.isPressed = value;
        calls.push_back(value ? "pressed" : "unpressed");
    }
    void setSkipDrag(double value, const kit::Animation &animation) override
    {
        read.skipDrag = value;
        dragAnimations.push_back(animation);
    }
    void setHovering(bool inside) override { calls.push_back(inside ? "hover" : "unhover"); }
    void open(bool feedback, std::optional<IslandPage> showing) override
    {
        calls.push_back("open " + (showing ? showing->description() : std::string("default"))
                        + (feedback ? " feedback" : ""));
    }
    void close(bool feedback) override { calls.push_back(feedback ? "close feedback" : "close"); }
    void turnPage(int delta) override { calls.push_back("turnPage " + std::to_string(delta)); }
    void scrollStep(bool down) override { calls.push_back(down ? "step down" : "step up"); }
    void dragPages(double dx) override { calls.push_back("dragPages " + std::to_string(int(dx))); }
    void endPageDrag(double velocity) override { calls.push_back("endPageDrag " + std::to_string(int(velocity))); }
    void skipTrackCommand(bool next) override { calls.push_back(next ? "next track" : "previous track"); }

    // The calls made since the last look, then forgotten.
    std::vector<std::string> take() { return std::exchange(calls, {}); }
};

using FakeIslandModel = FakeModel<>;

// The fake model with the observed fields a window follows.
class FakeWindowModel : public FakeModel<NotchWindowModel> {
public:
    Observed<QSizeF> observedSize{QSizeF(200, 32)};
    Observed<bool> onboarding{false};
    std::vector<std::pair<QString, bool>> notchUpdates;  // screen name, staged

    QSizeF currentSize() const override { return observedSize.peek(); }
    void updateNotch(const Screen &screen, IslandStyle, bool staged) override { notchUpdates.emplace_back(screen.name, staged); }
    void readTrackedFields() const override
    {
        observedSize.get();
        onboarding.get();
    }
    bool isOnboarding() const override { return onboarding.peek(); }
    // A stand-in carries no island model.
    NotchViewModel &islandModel() const override
    {
        ADD_FAILURE() << "the fake window model has no island model";
        std::abort();
    }
    // What a window of this model draws: the closed outline in black at the model's size.
    kit::Element view() const
    {
        const QSizeF size = observedSize.get();
        const IslandShape outline{6, 0, 10};
        return kit::Fill(outline, kit::Color::black())
            .frame(size.width() + 2 * outline.topRadius, size.height())
            .maxFrame(kit::Alignment::top());
    }
};


}  // namespace vesk::test
