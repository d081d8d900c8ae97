#pragma once

#include "Settings/PaneKit/PaneScaffold.h"

namespace vesk {

// The lock screen's options: the now-playing card with its app icon, height and glass, the
// padlock beside the notch, and the lock and unlock sounds.
class LockScreenPane : public PaneScaffold {
public:
    explicit LockScreenPane(QWidget *parent = nullptr);
    static constexpr double previewHeight = 210;
    static constexpr double previewAspectRatio = 1.54;
    static kit::Element preview();
    // "%.1f%%" and "%.0f%%" of the value × 100.
    static QString heightText(double fraction);
    static QString strengthText(double fraction);
};

}  // namespace vesk
