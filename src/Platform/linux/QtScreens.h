#pragma once

#include "Platform/Screens.h"

#include <QObject>

#include <memory>

namespace vesk {

// The screens Qt knows, in its order (the primary screen first). No Linux display reports a
// notch, so the safe-area inset is 0 and the auxiliary areas are absent. Change notifications are
// wired on first use, once a Qt GUI application exists.
class QtScreens final : public Screens {
public:
    QtScreens();
    ~QtScreens() override;
    std::vector<ScreenInfo> screens() const override;

private:
    void watch() const;
    mutable std::unique_ptr<QObject> context_;
};

}  // namespace vesk
