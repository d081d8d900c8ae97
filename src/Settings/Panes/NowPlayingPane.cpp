#include "Settings/Panes/NowPlayingPane.h"

#include "Model/Defaults.h"
#include "Settings/PaneKit/OptionCards.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/Previews/ClosedNotchPreview.h"
#include "Settings/Previews/HoverStylePreview.h"

namespace vesk {

kit::Element NowPlayingPane::preview()
{
    const auto &d = UserDefaults::standard();
    using Content = ClosedNotchPreview::Content;
    const Content content = d.value(settings::showLiveActivity)
        ? Content::nowPlaying(d.value(settings::showLiveArtwork), d.value(settings::showVisualizer),
                              d.value(settings::tintVisualizer))
        : Content::bare();
    return kit::view(ClosedNotchPreview{content, 2.2, false});
}

NowPlayingPane::NowPlayingPane(QWidget *parent) : PaneScaffold(previewHeight, &NowPlayingPane::preview, parent)
{
    PaneForm &f = form();

    f.section(QStringLiteral("Source"));
    // "music" is the desktop's default music player, as the now-playing service resolves it.
    f.addPicker(QStringLiteral("Show music from"), settings::audioSource,
                {{QStringLiteral("automatic"), QStringLiteral("Automatic")},
                 {QStringLiteral("spotify"), QStringLiteral("Spotify")},
                 {QStringLiteral("music"), QStringLiteral("Music player")}});
    f.footnote(QStringLiteral("Automatic follows whichever app played most recently, including browsers. Choosing "
                              "Spotify or Music player shows only that app."));

    f.section(QStringLiteral("Closed notch"));
    f.addSwitch(QStringLiteral("Show beside the notch while playing"), settings::showLiveActivity);
    f.addSwitch(QStringLiteral("Hide while the playing app is in front"), settings::hideInSourceApp);
    f.addSwitch(QStringLiteral("Swipe left or right on the notch to skip"), settings::swipeToSkip);
    f.addSwitch(QStringLiteral("Artwork"), settings::showLiveArtwork);
    f.addSwitch(QStringLiteral("Visualiser"), settings::showVisualizer);
    f.addSwitch(QStringLiteral("Tint visualiser with artwork colour"), settings::tintVisualizer,
                {.enabled = [] { return UserDefaults::standard().value(settings::showVisualizer); }});
    f.footnote(QStringLiteral("Swipe right with two fingers for the next track, left for the previous one; let go once "
                              "the symbol is fully visible. Hiding in the playing app also hides the track preview. The "
                              "visualiser setting applies to the player too."));

    f.section(QStringLiteral("Track preview"));
    f.addSwitch(QStringLiteral("Preview the title when a new track starts"), settings::showTrackPreview);
    f.addSlider(new SliderRow({.title = QStringLiteral("Preview duration"),
                               .value = settings::trackPreviewDuration,
                               .min = 1.5,
                               .max = 8.0,
                               .step = 0.5}));
    f.footnote(QStringLiteral("The duration is also used for the preview of an upcoming event with a long name."));

    f.section(QStringLiteral("Player"));
    f.addCards(OptionCards::make<QString>(
        QStringLiteral("Button hover highlight"), settings::buttonHoverStyle,
        {{QStringLiteral("roundedSquare"), QStringLiteral("Rounded square")},
         {QStringLiteral("circle"), QStringLiteral("Circle")},
         {QStringLiteral("none"), QStringLiteral("None")}},
        [](const QString &style) { return kit::view(HoverStylePreview{style}); }));
    f.addPicker(QStringLiteral("Button on the left"), settings::playerExtraButton,
                {{QStringLiteral("shuffle"), QStringLiteral("Shuffle")},
                 {QStringLiteral("repeat"), QStringLiteral("Repeat")},
                 {QStringLiteral("like"), QStringLiteral("Favourite")},
                 {QStringLiteral("back15"), QStringLiteral("Back 15 seconds")},
                 {QStringLiteral("forward15"), QStringLiteral("Forward 15 seconds")},
                 {QStringLiteral("none"), QStringLiteral("None")}});
    f.addSwitch(QStringLiteral("Output device and volume button"), settings::showOutputButton);
    f.addSwitch(QStringLiteral("Scroll long titles"), settings::scrollLongTitles);
    f.addSwitch(QStringLiteral("Shrink and dim artwork while paused"), settings::dimArtworkWhenPaused);
    f.addSwitch(QStringLiteral("Animate skip buttons when clicked"), settings::bounceSymbols);
    f.footnote(QStringLiteral("No player offers Favourite to other apps on Linux. Repeat switches between off and "
                              "repeat all."));
}

}  // namespace vesk
