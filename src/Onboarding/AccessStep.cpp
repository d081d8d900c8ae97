#include "Onboarding/AccessStep.h"

#include "Base/Log.h"
#include "Island/IslandHover.h"
#include "Island/NotchView.h"
#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "Onboarding/TourKit.h"
#include "Platform/AccessibilityTrust.h"
#include "Platform/CalendarStore.h"
#include "Platform/LoginItem.h"
#include "Readouts/CalendarService.h"

namespace vesk {

using namespace kit;

namespace {

// What the rows show, read at one tick.
struct AccessStates {
    CalendarAccess calendar = CalendarAccess::notDetermined;
    bool trusted = false;
    bool loginEnabled = false;
    bool replacesHUD = false;

    static AccessStates now()
    {
        return {CalendarStore::shared().authorizationStatus(), accessibilityTrust().isTrusted(),
                loginItem().status() == LoginItem::Status::enabled, UserDefaults::standard().value(settings::replaceSystemHUD)};
    }
};

Element plainButton(const char *title, std::function<void()> action)
{
    return view(TourButton{QString::fromLatin1(title), std::nullopt, false, std::move(action)});
}

Element calendarAccessory(CalendarAccess access, NotchViewModel *model)
{
    switch (access) {
    case CalendarAccess::fullAccess: return Granted();
    case CalendarAccess::notDetermined:
        return plainButton("Allow", [model] {
            if (model)
                model->calendar().requestAccess();
        });
    case CalendarAccess::restricted:
    case CalendarAccess::denied:
    case CalendarAccess::writeOnly: break;
    }
    return plainButton("Open", [] { AccessStep::openPrivacy(QString::fromLatin1(AccessStep::calendarAnchor)); });
}

Element accessibilityAccessory(const AccessStates &s)
{
    if (s.replacesHUD && s.trusted)
        return Granted();
    const bool trustedAtTick = s.trusted;
    return plainButton(s.replacesHUD ? "Open" : "Allow", [trustedAtTick] {
        UserDefaults::standard().set(settings::replaceSystemHUD, true);
        if (!trustedAtTick)
            accessibilityTrust().request([](bool) {});
    });
}

void setLaunchAtLogin(bool on)
{
    LoginItem &item = loginItem();
    if (const auto failure = on ? item.registerItem() : item.unregisterItem())
        log("could not update login item: " + *failure);
}

Element rows(const AccessStates &s, NotchViewModel *model)
{
    return StepCard({AccessRow(QStringLiteral("calendar"), QStringLiteral("Calendar"), QStringLiteral("Your events in the notch"),
                               calendarAccessory(s.calendar, model)),
                     AccessRow(QStringLiteral("speaker.wave.2.fill"), QStringLiteral("Accessibility"),
                               QStringLiteral("Hide the system volume and brightness HUD"), accessibilityAccessory(s)),
                     AccessRow(QStringLiteral("power"), QStringLiteral("Launch at login"),
                               QStringLiteral("Ready whenever you start your computer"),
                               view(IslandSwitch{s.loginEnabled, setLaunchAtLogin}))});
}

}  // namespace

void AccessStep::openPrivacy(const QString &anchor) { accessibilityTrust().openPrivacySettings(anchor.toStdString()); }

Element AccessStep::body(const Env &env) const
{
    settingsGeneration().get();  // "replaceSystemHUD" changed anywhere redraws the rows at once
    NotchViewModel *island = model;
    const Element card = Timeline(env[isIslandLayerVisible] ? visiblePeriod : hiddenPeriod,
                                  [island](double) { return rows(AccessStates::now(), island); });
    return StepPage(QStringLiteral("Give me my powers."),
                    QStringLiteral("Each one unlocks a feature. All optional, and you can change them later in Settings."), card);
}

}  // namespace vesk
