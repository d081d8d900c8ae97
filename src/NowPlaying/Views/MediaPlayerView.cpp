#include "NowPlaying/Views/MediaPlayerView.h"

#include "Island/IslandHover.h"
#include "Island/IslandLayer.h"
#include "Island/NotchView.h"
#include "Island/PeekView.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/MediaCommand.h"
#include "NowPlaying/Views/ArtworkView.h"
#include "NowPlaying/Views/AudioBars.h"
#include "NowPlaying/Views/MediaBadges.h"
#include "NowPlaying/Views/MediaControls.h"
#include "Model/Defaults.h"

#include <limits>

namespace vesk {

using namespace kit;

double MediaPlayerView::topPadding(bool pill, double notchHeight, bool besideNotch)
{
    if (pill)
        return 16;
    return notchHeight - (besideNotch ? 14.5 : 0);
}

QString MediaPlayerView::secondLine(const std::string &artist, const std::string &album)
{
    return QString::fromStdString(artist.empty() ? album : artist);
}

Element MediaPlayerView::body(const Env &) const
{
    NotchViewModel &m = *model;
    NowPlayingService &service = m.nowPlaying();
    const std::optional<Track> track = service.track.get();
    if (!track) {
        return VStack({.alignment = Alignment::center(), .spacing = 8},
                      Symbol(SymbolName("music.note"), 26, Weight::medium, Color::white(0.4)),
                      Text(QStringLiteral("Nothing Playing"), Font::system(13, Weight::medium), Color::white(0.4)))
            .maxFrame();
    }

    const bool showVisualizer = m.showVisualizer.get();
    const bool tint = viewSetting(settings::tintVisualizer);
    const bool dimWhenPaused = viewSetting(settings::dimArtworkWhenPaused);
    const bool pill = m.style.get() == IslandStyle::pill;
    const double top = topPadding(pill, m.notchSize().height, m.mediaHeaderBesideNotch());
    const bool playing = track->isPlaying;
    const bool muted = m.isMuted.get();
    const bool dimmed = !playing && dimWhenPaused;
    const double inf = std::numeric_limits<double>::infinity();

    NowPlayingService *player = &service;
    Element artwork = clickableCursor(Button(view(ArtworkView{&m, artworkSize, 10, 0}), [player] { player->openSourceApp(); }),
                                      true)
                          .tooltip(QStringLiteral("Open player"))
                          .scaleEffect(dimmed ? pausedArtworkScale : 1, UnitPoint::center())
                          .opacity(dimmed ? pausedArtworkOpacity : 1)
                          .animation(Motion::open, playing);

    auto title = [](const QString &text) { return marqueeText(text, 14, Weight::semibold, Color::white(), std::nullopt); };
    auto subtitle = [](const QString &text) {
        return Text(oneLine(text), Font::system(13), Color::white(0.5)).fixedSize(true, true);
    };
    Element titles = VStack({.alignment = Alignment::leading(), .spacing = 0},
                            view(SwitchingText{QString::fromStdString(track->title), service.titleVersion.get(),
                                               Alignment::leading(), title}),
                            view(SwitchingText{secondLine(track->artist, track->album), service.artistVersion.get(),
                                               Alignment::leading(), subtitle}))
                         .offset(0, -0.5)
                         .frame(Element::Limits{.maxWidth = inf, .alignment = Alignment::leading()})
                         .clipped()
                         .padding(Edges{0, 0, 0, 47});

    Element visualizer;
    if (showVisualizer)
        visualizer = view(AudioBars{tint ? Color::fromQColor(service.accent.get()) : Color::white(), playing, 6, muted})
                         .frame(22, 16)
                         .overlay(view(MutedBadge{muted, 11}))
                         .opacity(playing ? 1 : 0.5)
                         .padding(Edges{20, 0, 0, 2.5});

    Element header = HStack({.alignment = Alignment::bottom(), .spacing = 17.5}, artwork, titles)
                         .frame(std::nullopt, artworkSize)
                         .padding(Edges{0, -4, 0, 0})
                         .overlay(visualizer, Alignment::topTrailing())
                         .padding(Edges{top, 0, 0, 0});

    Element controls =
        HStack({.spacing = 0},
               controlButton(QStringLiteral("backward.fill"), 18, 1, 48, true, SkipGlyph::Direction::backward,
                             [player] { player->send(MediaCommand::previousTrack); }),
               controlButton(playing ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"), 30.5, 1, 48, false,
                             std::nullopt, [player] { player->togglePlayPause(); })
                   .padding(Edges::horizontal(18)),
               controlButton(QStringLiteral("forward.fill"), 18, 1, 48, true, SkipGlyph::Direction::forward,
                             [player] { player->send(MediaCommand::nextTrack); }))
            .frame(Element::Limits{.maxWidth = inf})
            .frame(std::nullopt, 48);
    if (m.showOutputButton.get())
        controls = controls.overlay(outputButton(m).offset(4.5, 0), Alignment::trailing());
    controls = controls.overlay(extraButton(m).offset(-4.5, 0), Alignment::leading()).padding(Edges{9, 0, 0, 0});

    const bool volumeShown = m.showsVolume.get() && m.showOutputButton.get();
    Element volume = islandLayer(volumeSlider(m).frame(std::nullopt, volumeShown ? 28 : 0).padding(Edges{volumeShown ? 6.0 : 0, 0, 0, 0}),
                                 volumeShown, 0);

    return VStack({.alignment = Alignment::center(), .spacing = 0}, header, scrubber(m, m.isOpen.get()).padding(Edges{12.5, 0, 0, 0}),
                  controls, volume)
        .padding(Edges::horizontal(22.5))
        .frame(Element::Limits{.maxHeight = inf, .alignment = Alignment::top()});
}

}  // namespace vesk
