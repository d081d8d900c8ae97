#pragma once

#include "Settings/PaneKit/PaneScaffold.h"

namespace vesk {

class NotchViewModel;

// The island's look and behaviour: background, shadow and rim, opening and closing, size over
// the notch, the notched and the other displays, Spaces and full screen; the open island's
// preview in the strip. While a size slider is held the island itself shows the size.
class NotchPane : public PaneScaffold {
public:
    explicit NotchPane(NotchViewModel *model, QWidget *parent = nullptr);
    static constexpr double previewHeight = 132;
    // The strip's preview for the settings as they stand.
    static kit::Element preview();
};

}  // namespace vesk
