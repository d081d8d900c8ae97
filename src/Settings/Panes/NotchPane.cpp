#include "Settings/Panes/NotchPane.h"

#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "Settings/PaneKit/OptionCards.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/Previews/ClosedNotchPreview.h"
#include "Settings/Previews/ExpandedNotchPreview.h"
#include "Settings/Previews/ExternalDisplayPreview.h"

#include <memory>

namespace vesk {

namespace {

QString points(double value) { return QString::asprintf("%+.0f pt", value); }

}  // namespace

kit::Element NotchPane::preview()
{
    ExpandedNotchPreview p;
    p.fadesToGlass = UserDefaults::standard().value(settings::fadeToGlass);
    p.hoverStyle = Binding<QString>(settings::buttonHoverStyle).get();
    p.showsOutputButton = UserDefaults::standard().value(settings::showOutputButton);
    p.showsVisualizer = UserDefaults::standard().value(settings::showVisualizer);
    p.tinted = UserDefaults::standard().value(settings::tintVisualizer);
    p.hasShadow = UserDefaults::standard().value(settings::showShadow);
    p.scale = 1.55;
    return kit::view(p);
}

NotchPane::NotchPane(NotchViewModel *model, QWidget *parent) : PaneScaffold(previewHeight, &NotchPane::preview, parent)
{
    PaneForm &f = form();
    using Cards = OptionCards;

    f.section(QStringLiteral("Appearance"));
    f.addCards(Cards::make<bool>(QStringLiteral("Expanded background"), settings::fadeToGlass,
                                 {{false, QStringLiteral("Black")}, {true, QStringLiteral("Fade to Liquid Glass")}},
                                 [](const bool &glass) {
                                     ExpandedNotchPreview p;
                                     p.fadesToGlass = glass;
                                     p.hoverStyle = QStringLiteral("none");
                                     p.showsOutputButton = p.showsVisualizer = p.tinted = true;
                                     p.hasShadow = UserDefaults::standard().value(settings::showShadow);
                                     p.scale = 0.92;
                                     return kit::view(p);
                                 }));
    f.addSwitch(QStringLiteral("Shadow when hovered and expanded"), settings::showShadow);
    f.addSwitch(QStringLiteral("Rim light"), settings::notchShimmer);
    f.footnote(QStringLiteral("Linux has no glass: the island stays black. The shadow when expanded shows with the "
                              "black background only."));

    f.section(QStringLiteral("Behaviour"));
    f.addCards(Cards::make<bool>(QStringLiteral("Open the notch"), settings::openOnHover,
                                 {{false, QStringLiteral("On click")}, {true, QStringLiteral("On hover")}},
                                 [](const bool &hover) {
                                     using namespace kit;
                                     const QString cursor = hover ? QStringLiteral("cursorarrow.motionlines")
                                                                  : QStringLiteral("cursorarrow.click.2");
                                     return view(ClosedNotchPreview{ClosedNotchPreview::Content::bare(), 1.25, true})
                                         .overlay(Symbol(cursor, 20, Weight::regular, Color::white())
                                                      .shadow(Color::black(0.4), 2, 0, 1)
                                                      .padding(Edges::topOnly(30)),
                                                  Alignment::top());
                                 }));
    f.addSwitch(QStringLiteral("Scroll down on the notch to open it, up to close"), settings::scrollToOpen);
    f.addSwitch(QStringLiteral("Swell slightly on hover"), settings::hoverSwell);
    f.addSwitch(QStringLiteral("Page dots under the open notch"), settings::showPageDots);
    f.addSlider(new SliderRow({.title = QStringLiteral("Close after pointer leaves"),
                               .value = settings::closeDelay,
                               .min = 0,
                               .max = 1.5,
                               .step = 0.1}));
    f.footnote(QStringLiteral("Once open, keep scrolling down or up to move through the tabs; scrolling sideways works "
                              "too. Scrolling up on the closed notch tucks away what it is showing until something new "
                              "starts."));

    f.section(QStringLiteral("Size"));
    // The island shows the size live while a slider is held (and must hear the release even when
    // the pane goes first).
    std::weak_ptr<NotchViewModel> island = model ? model->weak_from_this() : std::weak_ptr<NotchViewModel>();
    auto editing = [island](bool width) {
        return [island, width](bool held) {
            if (auto m = island.lock())
                m->setAdjustingSize(held, width);
        };
    };
    f.addSlider(new SliderRow({.title = QStringLiteral("Width"),
                               .value = settings::notchWidthAdjustment,
                               .min = 0,
                               .max = 160,
                               .step = 5,
                               .format = points,
                               .onEditing = editing(true)}));
    f.addSlider(new SliderRow({.title = QStringLiteral("Height"),
                               .value = settings::notchHeightAdjustment,
                               .min = 0,
                               .max = 30,
                               .step = 1,
                               .format = points,
                               .onEditing = editing(false)}));
    f.footnote(QStringLiteral("Added to the physical notch. At 0 the island matches it exactly; it can't go smaller "
                              "than that. Has no effect on the floating island."));

    f.section(QStringLiteral("This display"));
    f.addCards(Cards::make<bool>(QStringLiteral("On the display with the notch"), settings::notchDisplayPill,
                                 {{false, QStringLiteral("In the notch")}, {true, QStringLiteral("Island below the notch")}},
                                 [](const bool &pill) {
                                     return kit::view(ExternalDisplayPreview{pill ? QStringLiteral("belowNotch")
                                                                                  : QStringLiteral("inNotch")});
                                 }));
    f.footnote(QStringLiteral("The island floats under the notch as a capsule. It stays hidden until there is something "
                              "to show, or you bring the pointer up to the notch."));

    f.section(QStringLiteral("Other displays"));
    f.addCards(Cards::make<QString>(
        QStringLiteral("On displays without a notch"), settings::externalDisplayStyle,
        {{QStringLiteral("hidden"), QStringLiteral("Hidden")},
         {QStringLiteral("notch"), QStringLiteral("Notch")},
         {QStringLiteral("pill"), QStringLiteral("Island")}},
        [](const QString &style) { return kit::view(ExternalDisplayPreview{style}); }));
    f.footnote(QStringLiteral("Notch draws a notch at the top of the screen. Island is a floating capsule at the top of "
                              "the screen, like the iPhone's, with a second activity in a bubble beside it. The "
                              "display with the real notch is not affected."));

    f.section(QStringLiteral("Spaces and full screen"));
    f.addSwitch(QStringLiteral("Shrink while switching spaces"), settings::shrinkOnSpaceSwitch);
    f.addSwitch(QStringLiteral("Keep the notch narrow in full-screen apps"), settings::compactInFullscreen);
    f.footnote(QStringLiteral("With the notch kept narrow, now playing and the track preview stay hidden in full-screen "
                              "apps; other readouts still appear."));
}

}  // namespace vesk
