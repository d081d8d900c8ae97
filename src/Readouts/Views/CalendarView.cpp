#include "Readouts/Views/CalendarView.h"

#include "Model/NotchViewModel.h"
#include "Island/IslandHover.h"
#include "Island/NotchView.h"
#include "Model/Defaults.h"
#include "Readouts/CalendarService.h"
#include "Readouts/UserCalendar.h"
#include "Readouts/Views/MonthGrid.h"

#include <algorithm>

namespace vesk {

using namespace kit;

namespace {
constexpr size_t agendaLength = 3;
}

Color EventPill::titleColour(const QColor &calendar)
{
    const QColor rgb = calendar.toRgb();
    auto raise = [](double v) { return std::clamp(v + 0.25, 0.0, 1.0); };
    return Color::rgb(raise(rgb.redF()), raise(rgb.greenF()), raise(rgb.blueF()), rgb.alphaF());
}

QString EventPill::tooltip(const CalendarEvent &event)
{
    if (event.isAllDay)
        return event.title;
    const UserCalendar calendar = UserCalendar::current();
    return shortTime(calendar.at(event.start), calendar.locale) + u' ' + event.title;
}

Element EventPill::body(const Env &) const
{
    const Color colour = Color::fromQColor(event.color);
    return HStack({.alignment = Alignment::center(), .spacing = 5},
                  Symbol(QStringLiteral("calendar"), 8, Weight::bold, Color::black(0.8))
                      .frame(15, 15)
                      .background(Fill(Circle(), colour)),
                  Text(event.title, Font::system(12, Weight::semibold), titleColour(event.color)).layoutPriority(1),
                  Spacer(0))
        .padding(Edges{3, 3, 3, 8})
        .background(Fill(Capsule(), colour.opacity(0.16)))
        .tooltip(tooltip(event));
}

double CalendarView::headerInset(bool isPill, double notchHeight)
{
    return isPill ? 14 : std::max(notchHeight - 10, 14.0);
}

Element CalendarView::body(const Env &env) const
{
    NotchViewModel *model = env[islandModel];
    if (!model)
        return Empty();
    const bool showEvents = viewSetting(settings::showEvents);
    const bool showEventDots = viewSetting(settings::showEventDots);
    const bool dimWeekends = viewSetting(settings::dimWeekends);
    CalendarService &service = model->calendar();
    const UserCalendar calendar = UserCalendar::current();
    const double today = model->today.get();
    const QDate date = calendar.date(today);

    Element agenda;
    if (showEvents) {
        if (!service.isAuthorized().get()) {
            agenda = clickableCursor(
                Button(Text(QStringLiteral("Allow Calendar Access"), Font::system(11, Weight::medium), Color::white(0.7))
                           .padding(Edges{4, 8, 4, 8})
                           .background(Fill(Capsule(), Color::white(0.12))),
                       [&service] { service.requestAccess(); }),
                true);
        } else if (service.events().get().empty()) {
            agenda = Text(QStringLiteral("No more events today"), Font::system(11), Color::white(0.45));
        } else {
            Elements pills;
            const auto &events = service.events().get();
            for (size_t i = 0; i < std::min(agendaLength, events.size()); ++i)
                pills.push_back(view(EventPill{events[i]}).id(events[i].id));
            agenda = VStack({.alignment = Alignment::leading(), .spacing = 4}, pills);
        }
    }

    const Element column = VStack({.alignment = Alignment::leading(), .spacing = 0},
                                  Text(calendar.locale.toUpper(calendar.locale.dayName(date.dayOfWeek(), QLocale::ShortFormat)),
                                       Font::system(11, Weight::semibold), accent),
                                  Text(calendar.locale.toString(date.day()), Font::system(32, Weight::light), Color::white())
                                      .padding(Edges::bottomOnly(3)),
                                  agenda, Spacer(0))
                               .frame(Element::Limits{.maxWidth = infinity, .alignment = Alignment::topLeading()});
    const bool isPill = model->style.get() == IslandStyle::pill;
    const Element grid = view(MonthGrid{today, showEventDots ? service.dots().get() : DayDots{}, dimWeekends, accent,
                                        headerInset(isPill, model->notchSize().height)})
                             .frame(gridWidth, std::nullopt);
    return HStack({.alignment = Alignment::top(), .spacing = 14}, column, grid).padding(Edges{10, 20, 14, 20});
}

}  // namespace vesk
