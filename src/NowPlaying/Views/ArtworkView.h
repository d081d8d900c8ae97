#pragma once

#include "Kit/Kit.h"
#include "NowPlaying/NowPlayingService.h"

namespace vesk {

class NotchViewModel;

// The card that shows the now-playing artwork. Each change of the artwork after the card
// appeared turns it over `flipDelay` seconds later, from the image showing to the new one. The
// turns are owned by the card: they end with it, and two changes within the delay both run, each
// from the image showing when it starts, so the card always ends on the newest image.
struct ArtworkView {
    NotchViewModel *model = nullptr;
    double size = 55;
    double cornerRadius = 10;
    double flipDelay = 0;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const ArtworkView &, const ArtworkView &) = default;
};

// One instant of the turn: at `progress` p the card shows `front` while p < 0.5 (turning away
// from 0 to 90 degrees) and `back` from 0.5 (coming back from -90 degrees), blurred and swept by
// a glare that peaks half-way. Without an image it shows the note placeholder.
struct ArtworkFlip {
    double progress = 1;
    NowPlayingService::Image front;
    NowPlayingService::Image back;
    double size = 55;
    double cornerRadius = 10;

    static bool showsBack(double p) { return p >= 0.5; }
    static double angle(double p) { return showsBack(p) ? (p - 1) * 180 : p * 180; }
    static double glare(double p);

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const ArtworkFlip &, const ArtworkFlip &) = default;
};

}  // namespace vesk
