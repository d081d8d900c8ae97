#pragma once

#include "Platform/Screens.h"

#include <QObject>

#include <memory>

class QScreen;

namespace vesk {

// Screens from Qt's QScreen list. No Linux display has a camera housing, so the safe area is 0 and
// there are no auxiliary top areas. Qt's screen signals are gathered and compared with the last
// list one event-loop turn later, so a burst of changes (an output re-arranged) is reported once.
class QtScreens final : public Screens {
public:
    QtScreens();
    ~QtScreens() override;

    std::vector<Screen> screens() const override;

private:
    void watch(QScreen *screen);
    void scheduleRescan();
    void rescan();

    mutable DisplayNumbers numbers_;
    std::vector<Screen> last_;
    std::unique_ptr<QObject> context_;
    bool rescanPending_ = false;
};

}  // namespace vesk
