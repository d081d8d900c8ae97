#pragma once

#include "Settings/PaneKit/PaneScaffold.h"

namespace vesk {

// The music features: the player the island follows, what the closed island shows while music
// plays, the track preview, and the buttons and effects of the open player. Every control writes
// its key and nothing else.
class NowPlayingPane : public PaneScaffold {
public:
    explicit NowPlayingPane(QWidget *parent = nullptr);
    static constexpr double previewHeight = 96;
    // The strip: the closed island with the live activity as the switches have it, or bare.
    static kit::Element preview();
};

}  // namespace vesk
