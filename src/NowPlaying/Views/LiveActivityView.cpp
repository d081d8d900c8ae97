#include "NowPlaying/Views/LiveActivityView.h"

#include "Island/IslandLayer.h"
#include "Island/NotchView.h"
#include "Island/PeekView.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/Views/ArtworkView.h"
#include "NowPlaying/Views/AudioBars.h"
#include "NowPlaying/Views/MediaBadges.h"
#include "NowPlaying/Views/MediaControls.h"
#include "Model/Defaults.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vesk {

using namespace kit;

LiveActivityView::Metrics LiveActivityView::metrics(double notchHeight, bool pill, bool showsRim)
{
    // The readouts beside the notch use the same squares.
    const PeekView::Metrics peek = PeekView::metrics(notchHeight, pill, showsRim);
    Metrics m;
    m.rowHeight = notchHeight + peek.rim;
    m.inset = pill ? peek.e : 0;
    m.content = peek.slot;
    m.padding = pill ? m.inset + 3 : 6.5;
    return m;
}

QString LiveActivityView::rowText(const std::string &title, const std::string &artist)
{
    QString text = QString::fromStdString(title);
    if (!artist.empty())
        text += QChar(0x1F) + QString::fromStdString(artist);
    return text;
}

QString LiveActivityView::displayText(const QString &rowText)
{
    QString out = rowText;
    out.replace(QChar(0x1F), QStringLiteral("  \u00B7  "));
    return oneLine(out);
}

Element LiveActivityView::body(const Env &) const
{
    NotchViewModel &m = *model;
    NowPlayingService &service = m.nowPlaying();
    const bool showArtwork = m.showLiveArtwork.get();
    const bool showVisualizer = m.showVisualizer.get();
    const bool tint = viewSetting(settings::tintVisualizer);
    const bool pill = m.style.get() == IslandStyle::pill;
    const Size notch = m.notchSize();
    const Metrics metric = metrics(notch.height, pill, m.showsRim.get());
    const double s = metric.content;
    const double swell = m.swellScale();
    const std::optional<Track> track = service.track.get();
    const bool muted = m.isMuted.get();

    Element artwork;
    if (showArtwork)
        artwork = view(ArtworkView{&m, s, std::min(0.28 * s, 5.0), 0.3}).scaleEffect(swell, UnitPoint::leading());
    Element visualizer;
    if (showVisualizer)
        visualizer = view(AudioBars{tint ? Color::fromQColor(service.accent.get()) : Color::white(),
                                    track && track->isPlaying, barCount, muted})
                         .frame(barsWidth, std::min(s, barsMaxHeight))
                         .frame(s, s)
                         .overlay(view(MutedBadge{muted, 0.62 * s}));
    Element firstRow = HStack({.spacing = 0}, artwork, Spacer(),
                              HStack({.spacing = 0}, visualizer).scaleEffect(swell, UnitPoint{1, 0.5}))
                           .padding(Edges::horizontal(swell * metric.padding))
                           .frame(std::nullopt, metric.rowHeight + m.swellHeight());

    Element secondRow;
    if (track) {
        const bool previewing = m.state() == NotchState::trackPreview;
        auto label = [previewing](const QString &text) {
            const QString shown = displayText(text);
            const double width = textWidth(shown, Font::system(13, Weight::semibold));
            return HStack({.alignment = Alignment::center(), .spacing = 6.5},
                          Symbol(SymbolName("music.note"), 12, Weight::semibold, Color::white(0.33)),
                          marqueeText(shown, 13, Weight::semibold, Color::white(0.67), previewing)
                              .frame(Element::Limits{.maxWidth = std::ceil(width) + 2}));
        };
        const long long version = rowVersion(service.titleVersion.get(), service.artistVersion.get());
        Element row = view(SwitchingText{rowText(track->title, track->artist), version, Alignment::center(), label})
                          .padding(Edges::horizontal(18))
                          .frame(Element::Limits{.maxWidth = std::numeric_limits<double>::infinity()})
                          .frame(std::nullopt, titleRowHeight);
        secondRow = islandLayer(row, showsTitle, 0);
    }
    return VStack({.alignment = Alignment::center(), .spacing = 0}, firstRow, secondRow);
}

}  // namespace vesk
