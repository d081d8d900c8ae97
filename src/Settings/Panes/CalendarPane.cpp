#include "Settings/Panes/CalendarPane.h"

#include "Kit/Palette.h"
#include "Model/Defaults.h"
#include "Readouts/CalendarService.h"
#include "Readouts/SystemMonitor.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/Previews/CalendarPagePreview.h"
#include "Settings/Previews/ClosedNotchPreview.h"

namespace vesk {

namespace {

bool isAuthorized(const CalendarService *calendar) { return calendar && calendar->isAuthorized().peek(); }

bool value(const Setting<bool> &setting) { return UserDefaults::standard().value(setting); }

// "Allow…": asks for calendar access; the service refreshes once the store has answered, and the
// rows follow its `isAuthorized`.
void addAllowButton(PaneForm &form, CalendarService *calendar, const QString &label, std::function<bool()> present)
{
    auto &row = form.addButton([label] { return label; }, QStringLiteral("Allow\u2026"), [calendar] {
        if (calendar)
            calendar->requestAccess();
    });
    row.present = std::move(present);
    form.refresh();
}

Connection followAccess(CalendarService *calendar, PaneForm &form)
{
    return calendar ? calendar->isAuthorized().observe([&form] { form.refresh(); }) : Connection();
}

}  // namespace

kit::Element CalendarPane::preview()
{
    CalendarPagePreview p;
    p.showsEvents = value(settings::showEvents);
    p.showsDots = value(settings::showEventDots);
    p.dimsWeekends = value(settings::dimWeekends);
    p.scale = 1.55;
    return kit::view(p);
}

CalendarPane::CalendarPane(CalendarService *calendar, QWidget *parent)
    : PaneScaffold(previewHeight, &CalendarPane::preview, parent), calendar_(calendar)
{
    // With the page off the whole strip dims, its border with it.
    setPreviewOpacity([] { return value(settings::showCalendar) ? 1.0 : 0.35; });
    PaneForm &f = form();
    f.section();
    f.addSwitch(QStringLiteral("Calendar page"), settings::showCalendar);
    f.footnote(QStringLiteral("Scroll sideways in the expanded notch to reach it."));

    f.section(QStringLiteral("Content"));
    auto shown = [] { return value(settings::showCalendar); };
    f.addSwitch(QStringLiteral("Today's events"), settings::showEvents, {.enabled = shown});
    f.addSwitch(QStringLiteral("Event dots in the month"), settings::showEventDots, {.enabled = shown});
    f.addSwitch(QStringLiteral("Dim weekends"), settings::dimWeekends, {.enabled = shown});

    f.section();
    const QString access = QStringLiteral("Calendar access");
    f.addLabel(access, QStringLiteral("Allowed"), QStringLiteral("checkmark.circle.fill"),
               kit::palette::green.toQColor())
        .present = [calendar] { return isAuthorized(calendar); };
    addAllowButton(f, calendar, access, [calendar] { return !isAuthorized(calendar); });
    f.footnote(QStringLiteral("Without access the page shows the month but no events."),
               [calendar] { return !isAuthorized(calendar); });
    authorized_ = followAccess(calendar, f);
}

void CalendarPane::showEvent(QShowEvent *event)
{
    PaneScaffold::showEvent(event);
    if (calendar_)
        calendar_->refresh();
}

kit::Element ActivitiesPane::preview()
{
    using Content = ClosedNotchPreview::Content;
    return kit::view(
        ClosedNotchPreview{Content::readout(QStringLiteral("timer"), kit::palette::orange, QStringLiteral("24:59")), 2.2, false});
}

ActivitiesPane::ActivitiesPane(CalendarService *calendar, QWidget *parent)
    : PaneScaffold(previewHeight, &ActivitiesPane::preview, parent),
      calendar_(calendar),
      hasFocusAccess_(SystemMonitor::hasFocusAccess()),
      showFocus_(value(settings::showFocusActivity))
{
    PaneForm &f = form();
    f.section(QStringLiteral("Timer and stopwatch"));
    f.addSwitch(QStringLiteral("Timer tab in the expanded notch"), settings::showTimerPage);
    f.addSwitch(QStringLiteral("Show the running timer beside the notch"), settings::showTimerActivity);
    f.footnote(QStringLiteral("Scroll sideways in the expanded notch to reach the timer."));

    f.section(QStringLiteral("Calendar"));
    f.addSwitch(QStringLiteral("Show the next event before it starts"), settings::showEventActivity);
    auto events = [] { return value(settings::showEventActivity); };
    f.addSlider(new SliderRow({.title = QStringLiteral("Start showing"),
                               .value = settings::eventLeadMinutes,
                               .min = 5,
                               .max = 60,
                               .step = 5,
                               .format = [](double minutes) { return QString::asprintf("%.0f min", minutes); }}))
        .enabled = events;
    addAllowButton(f, calendar, QStringLiteral("Needs calendar access"),
                   [calendar, events] { return events() && !isAuthorized(calendar); });

    f.section(QStringLiteral("Downloads"));
    f.addSwitch(QStringLiteral("Downloads in progress"), settings::showDownloadActivity);
    f.footnote(QStringLiteral("Shows files being saved to your Downloads folder by browsers such as Firefox and Chrome."));

    f.section(QStringLiteral("Brief readouts"));
    f.addSwitch(QStringLiteral("Headphones and speakers connecting"), settings::showDeviceActivity);
    f.addSwitch(QStringLiteral("Caps Lock"), settings::showCapsLockActivity);
    f.addSwitch(QStringLiteral("Keyboard language"), settings::showInputSourceActivity);
    f.addSwitch(QStringLiteral("Focus turning on or off"), settings::showFocusActivity);
    f.footnote(QStringLiteral("Focus needs a desktop that shares its do-not-disturb state; this one does not, so this "
                              "readout will stay off."),
               [this] { return value(settings::showFocusActivity) && !hasFocusAccess_; });
    f.refresh();

    authorized_ = followAccess(calendar, f);
    settings_ = UserDefaults::standard().changed.connect([this] { settingsChanged(); });
}

void ActivitiesPane::settingsChanged()
{
    // Only a later change to on asks; the answer is dropped when it comes after the pane.
    const bool on = value(settings::showFocusActivity);
    const bool turnedOn = on && !showFocus_;
    showFocus_ = on;
    if (!turnedOn)
        return;
    SystemMonitor::requestFocusAccess(lifetime_.guard([this](bool granted) {
        hasFocusAccess_ = granted;
        form().refresh();
    }));
}

}  // namespace vesk
