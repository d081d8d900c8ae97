#include "Settings/Panes/HUDsPane.h"

#include "Model/Defaults.h"
#include "Platform/AccessibilityTrust.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/Previews/ClosedNotchPreview.h"

namespace vesk {

namespace {

bool value(const Setting<bool> &setting) { return UserDefaults::standard().value(setting); }

// The replacement only acts while one of the two readouts it serves is on.
bool replacementPossible() { return value(settings::showVolumeHUD) || value(settings::showBrightnessHUD); }

}  // namespace

kit::Element HUDsPane::preview()
{
    using Content = ClosedNotchPreview::Content;
    return kit::view(
        ClosedNotchPreview{value(settings::showVolumeHUD) ? Content::volume() : Content::bare(), 2.2, false});
}

HUDsPane::HUDsPane(QWidget *parent)
    : PaneScaffold(previewHeight, &HUDsPane::preview, parent),
      isTrusted_(accessibilityTrust().isTrusted()),
      replace_(value(settings::replaceSystemHUD))
{
    PaneForm &f = form();
    f.section(QStringLiteral("Show beside the notch"));
    f.addSwitch(QStringLiteral("Volume"), settings::showVolumeHUD);
    f.addSwitch(QStringLiteral("Brightness"), settings::showBrightnessHUD);
    f.addSwitch(QStringLiteral("Charger connected or removed"), settings::showChargingPeek);
    f.addSwitch(QStringLiteral("Low battery"), settings::showLowBatteryPeek);
    f.addSlider(new SliderRow({.title = QStringLiteral("Stay visible for"),
                               .value = settings::hudDuration,
                               .min = 0.8,
                               .max = 4.0,
                               .step = 0.2}));

    f.section();
    // Shows the stored value only while it can act; showing it never writes it.
    f.addSwitch(
        QStringLiteral("Replace the system volume and brightness HUD"),
        [] { return value(settings::replaceSystemHUD) && replacementPossible(); },
        [](bool on) { UserDefaults::standard().set(settings::replaceSystemHUD, on); },
        {.enabled = replacementPossible});
    f.addButton([] { return QStringLiteral("Waiting for Accessibility permission"); },
               QStringLiteral("Open System Settings\u2026"), [] { accessibilityTrust().openPrivacySettings(privacyAnchor); })
        .present = [this] { return value(settings::replaceSystemHUD) && replacementPossible() && !isTrusted_; };
    f.footnote(QStringLiteral("Vesk handles the volume and brightness keys itself so the system HUD stays hidden. Turn "
                              "on Volume and Brightness above to see Vesk's readouts; with one off, its keys are left "
                              "to the system."));
    f.refresh();
    settings_ = UserDefaults::standard().changed.connect([this] { settingsChanged(); });
}

void HUDsPane::settingsChanged()
{
    // A later change of the key to on asks once while untrusted; turning it off asks nothing.
    const bool on = value(settings::replaceSystemHUD);
    const bool turnedOn = on && !replace_;
    replace_ = on;
    if (turnedOn && !accessibilityTrust().isTrusted())
        accessibilityTrust().request({});
}

void HUDsPane::showEvent(QShowEvent *event)
{
    PaneScaffold::showEvent(event);
    if (trustPoll_.isRunning())
        return;
    trustPoll_.start(trustPollInterval, [this] {
        const bool trusted = accessibilityTrust().isTrusted();
        if (trusted == isTrusted_)
            return;
        isTrusted_ = trusted;
        form().refresh();
    });
}

void HUDsPane::hideEvent(QHideEvent *event)
{
    trustPoll_.stop();
    PaneScaffold::hideEvent(event);
}

}  // namespace vesk
