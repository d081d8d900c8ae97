#pragma once

#include "NowPlaying/Track.h"
#include "Platform/Observed.h"

#include <QColor>
#include <QImage>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// The application's single source of what is playing, shared by every island. It publishes the
// current track with its artwork, accent colour and player icon, and version counters that views
// animate on. Main thread only. Reading the player (the companion process) is not wired up yet:
// until it is, the track is published by whoever drives the service (tests, developer tools).
class NowPlayingService {
public:
    using Image = std::shared_ptr<const QImage>;  // compared by object identity

    NowPlayingService();
    NowPlayingService(const NowPlayingService &) = delete;
    NowPlayingService &operator=(const NowPlayingService &) = delete;

    Observed<std::optional<Track>> track;
    Observed<Image> artwork;
    Observed<QColor> accent{QColor(Qt::white)};
    Observed<Image> appIcon;
    Observed<int> trackVersion{0};
    Observed<int> titleVersion{0};
    Observed<int> artistVersion{0};
    Observed<int> artworkVersion{0};

    // Called when a new track is announced while it plays; set by the primary island model.
    std::function<void()> onNewTrack;

    // Announces a new track to whoever listens (the island's track preview).
    void announceNewTrack()
    {
        if (onNewTrack)
            onNewTrack();
    }
};

}  // namespace vesk
