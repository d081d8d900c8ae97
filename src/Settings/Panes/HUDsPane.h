#pragma once

#include "Base/RepeatingItem.h"
#include "Base/Signal.h"
#include "Settings/PaneKit/PaneScaffold.h"

namespace vesk {

// The readouts beside the notch for volume, brightness and the battery, how long a readout stays,
// and the replacement of the desktop's volume and brightness overlays, which needs the trust of
// the accessibility service: the pane asks for it when the replacement is turned on and watches
// it every 1.5 s while it is on screen.
class HUDsPane : public PaneScaffold {
public:
    explicit HUDsPane(QWidget *parent = nullptr);
    static constexpr double previewHeight = 96;
    static constexpr double trustPollInterval = 1.5;
    static constexpr const char *privacyAnchor = "Privacy_Accessibility";
    static kit::Element preview();

    bool isTrusted() const { return isTrusted_; }
    bool isPolling() const { return trustPoll_.isRunning(); }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void settingsChanged();

    bool isTrusted_;
    bool replace_;
    RepeatingItem trustPoll_;
    Connection settings_;
};

}  // namespace vesk
