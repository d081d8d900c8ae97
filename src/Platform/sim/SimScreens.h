#pragma once

#include "Platform/Screens.h"

#include <QSizeF>

namespace vesk {

// Screens declared by a test: placed left to right, top-aligned, in list order. A simulated screen
// may claim a notch. Installs itself as the shared service for its lifetime; every edit posts
// `changed`.
class SimScreens final : public Screens {
public:
    struct Output {
        QString name;
        QSizeF size;                 // points
        double scale = 1;
        std::optional<QSizeF> notch;  // width and height of a camera notch
        double menuBarHeight = 0;
    };

    SimScreens() { Screens::setShared(this); }
    ~SimScreens() override { Screens::setShared(nullptr); }

    std::vector<ScreenInfo> screens() const override;

    void add(Output output);
    // Removes the screen with that name; returns whether there was one.
    bool remove(const QString &name);
    const std::vector<Output> &outputs() const { return outputs_; }

private:
    std::vector<Output> outputs_;
};

}  // namespace vesk
