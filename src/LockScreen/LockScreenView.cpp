#include "LockScreen/LockScreenView.h"

#include "Island/IslandHover.h"
#include "Island/IslandLayer.h"
#include "Island/NotchView.h"
#include "Model/Defaults.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/MediaCommand.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/Views/ArtworkView.h"
#include "NowPlaying/Views/AudioBars.h"
#include "NowPlaying/Views/MediaBadges.h"
#include "NowPlaying/Views/MediaControls.h"
#include "NowPlaying/Views/MediaPlayerView.h"
#include "Platform/UserDefaults.h"

#include <limits>

namespace vesk {

using namespace kit;

namespace {
// What stands in for the heads-up-display material: a dark, slightly translucent grey.
constexpr Color hudMaterial = Color::rgb(0.11, 0.11, 0.12, 0.86);
constexpr double windowWidth = 400;
constexpr double windowHeight = 240;
constexpr double artworkSize = 52;
constexpr QSizeF barsSize(22, 16);
}  // namespace

Element GlassBackground::body(const Env &) const
{
    return Glass(RoundedRectangle(cornerRadius, CornerStyle::continuous), hudMaterial);
}

Element LegacyCardBackground::body(const Env &) const
{
    const LinearGradient rim{{{Color::white(0.5), 0}, {Color::white(0.12), 1}}, UnitPoint::top(), UnitPoint::bottom()};
    // Stroked inside the shape: the 1-point line runs half a point in from the edge.
    Element border = Stroke(RoundedRectangle(cornerRadius - 0.5, CornerStyle::continuous), rim, {.width = 1})
                         .padding(0.5);
    return view(GlassBackground{cornerRadius}).overlay(border).shadow(Color::black(0.18), 22, 0, 9);
}

bool LockScreenView::isCardShown(const NotchViewModel &model)
{
    return model.isScreenLocked.get() && model.nowPlaying().track.get().has_value();
}

QRectF LockScreenView::frameInWindow(QSizeF size, QSizeF window)
{
    return {(window.width() - size.width()) / 2, window.height() - bottomPadding - size.height(), size.width(),
            size.height()};
}

Element LockScreenView::card(bool shown) const
{
    NotchViewModel &m = *model;
    NowPlayingService &service = m.nowPlaying();
    const std::optional<Track> track = service.track.get();
    Element content;
    Element bars;
    if (track) {
        const bool showAppIcon = viewSetting(settings::lockShowAppIcon);
        const bool locked = m.isScreenLocked.get();
        const bool playing = track->isPlaying;
        const double inf = std::numeric_limits<double>::infinity();

        Element artwork = view(ArtworkView{&m, artworkSize, 11, 0});
        const NowPlayingService::Image icon = service.appIcon.get();
        if (showAppIcon && icon && !icon->isNull())
            artwork = artwork.overlay(Image(*icon).frame(17, 17).padding(3), Alignment::bottomLeading());

        Element second = HStack({.alignment = Alignment::center(), .spacing = 4},
                                If(track->isExplicit, view(ExplicitBadge{11.5})),
                                Text(MediaPlayerView::secondLine(track->artist, track->album), Font::system(12.5),
                                     Color::white(0.7)));
        Element titles = switchPulse(VStack({.alignment = Alignment::leading(), .spacing = 1},
                                            Text(QString::fromStdString(track->title), Font::system(14, Weight::semibold),
                                                 Color::white()),
                                            second)
                                         .frame(Element::Limits{.maxWidth = inf, .alignment = Alignment::leading()}),
                                     service.trackVersion.get());

        // The bars' place in the row; they are drawn above the card's shadow (see below).
        Element barsPlace;
        if (m.showVisualizer.get()) {
            barsPlace = Fill(Color::clear()).frame(barsSize.width(), barsSize.height()).allowsHitTesting(false);
            bars = view(AudioBars{Color::white(), playing && locked, 6, false})
                       .frame(barsSize.width(), barsSize.height())
                       .opacity(locked ? 0.8 : 0)
                       .padding(Edges{16 + (artworkSize - barsSize.height()) / 2, 0, 0, 16});
        }

        Element top = HStack({.alignment = Alignment::center(), .spacing = 11}, artwork, titles, barsPlace);

        NowPlayingService *player = &service;
        Element controls = HStack(
            {.alignment = Alignment::center(), .spacing = 18},
            controlButton(QStringLiteral("backward.fill"), 15.5, 0.9, 40, true, SkipGlyph::Direction::backward,
                          [player] { player->send(MediaCommand::previousTrack); }),
            controlButton(playing ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"), 26, 1.0, 42, false,
                          std::nullopt, [player] { player->togglePlayPause(); }),
            controlButton(QStringLiteral("forward.fill"), 15.5, 0.9, 40, true, SkipGlyph::Direction::forward,
                          [player] { player->send(MediaCommand::nextTrack); }));

        content = VStack({.alignment = Alignment::center(), .spacing = 8}, top, scrubber(m, locked, true), controls);
    } else {
        content = VStack({.alignment = Alignment::center(), .spacing = 8}, Empty());
    }

    auto state = cardFrame;
    NotchViewModel *reported = model;
    return content.padding(Edges{16, 16, 9, 16})
        .frame(cardWidth, std::nullopt)
        .shadow(Color::black(0.25), 3, 0, 1)
        // The looping bars stay out of the shadow's layer, whose picture is then kept between
        // frames instead of being blurred again sixty times a second.
        .overlay(bars, Alignment::topTrailing())
        .background(view(LegacyCardBackground{cornerRadius}))
        .onSizeChange([state, reported](QSizeF size) {
            const QRectF frame = frameInWindow(size, QSizeF(windowWidth, windowHeight));
            // The first layout only learns where the card is; later moves are reported.
            const bool report = state->measured && frame != state->frame;
            state->measured = true;
            state->frame = frame;
            if (report && reported->lockCardChanged)
                reported->lockCardChanged(frame, reported->isScreenLocked.peek() && reported->nowPlaying().track.peek());
        })
        .onChange(shown,
                  std::function<void(const bool &, const bool &)>([state, reported](const bool &, const bool &now) {
                      if (reported->lockCardChanged)
                          reported->lockCardChanged(state->frame, now);
                  }),
                  false);
}

Element LockScreenView::body(const Env &) const
{
    const bool shown = isCardShown(*model);
    return card(shown)
        .scaleEffect(shown ? 1 : 0.92, UnitPoint::center())
        .blur(shown ? 0 : 10)
        .opacity(shown ? 1 : 0)
        .allowsHitTesting(shown)
        .environment(isIslandLayerVisible, shown)
        .animation(shown ? Motion::open : Motion::close, shown)
        .padding(Edges::bottomOnly(bottomPadding))
        .maxFrame(Alignment::bottom());
}

}  // namespace vesk
