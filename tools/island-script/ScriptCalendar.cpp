#include "ScriptCalendar.h"

#include "ScriptError.h"
#include "ScriptValues.h"

#include "Model/NotchViewModel.h"
#include "Readouts/Views/CalendarPages.h"
#include "Platform/linux/IcsCalendarStore.h"
#include "Readouts/CalendarService.h"
#include "Readouts/CountdownTimer.h"
#include "Readouts/UserCalendar.h"
#include "Readouts/Views/MonthGrid.h"

#include <QDir>

using namespace vesk;

namespace {

void noMore(const std::string &verb, const std::string &line, size_t pos)
{
    if (!script::rest(line, pos).empty())
        throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
}

CalendarAccess accessNamed(const std::string &word)
{
    if (word == "granted")
        return CalendarAccess::fullAccess;
    if (word == "denied")
        return CalendarAccess::denied;
    if (word == "asks")
        return CalendarAccess::notDetermined;
    if (word == "restricted")
        return CalendarAccess::restricted;
    if (word == "writeOnly")
        return CalendarAccess::writeOnly;
    throw ScriptError("access calendar takes \"granted\", \"denied\", \"asks\", \"restricted\" or \"writeOnly\"");
}

// Scripts run in the zone TZ names, else UTC, so that they do not depend on the machine.
QTimeZone scriptZone()
{
    const QByteArray tz = qgetenv("TZ");
    const QTimeZone named(tz.startsWith(':') ? tz.mid(1) : tz);
    return !tz.isEmpty() && named.isValid() ? named : QTimeZone::utc();
}

std::string hexColour(const QColor &colour)
{
    const QColor c = colour.toRgb();
    QString text = QStringLiteral("#%1%2%3").arg(c.red(), 2, 16, QChar('0')).arg(c.green(), 2, 16, QChar('0')).arg(c.blue(), 2, 16, QChar('0'));
    if (c.alpha() != 255)
        text += QStringLiteral("%1").arg(c.alpha(), 2, 16, QChar('0'));
    return text.toUpper().toStdString();
}

std::string jsonList(const std::vector<std::string> &items)
{
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + script::jsonString(items[i]);
    return out + "]";
}

}  // namespace

ScriptCalendar::ScriptCalendar(SimCalendarStore &simulated, std::function<void()> flush, std::function<void(double)> jump)
    : simulated_(simulated), flush_(std::move(flush)), jump_(std::move(jump))
{
    UserCalendar::setCurrent(UserCalendar{scriptZone(), QLocale::c()});
}

ScriptCalendar::~ScriptCalendar()
{
    if (folderStore_)
        CalendarStore::setShared(&simulated_);
    folderStore_.reset();
    UserCalendar::setCurrent(std::nullopt);
}

bool ScriptCalendar::execute(const std::string &verb, const std::string &line, size_t &pos, NotchViewModel *primary,
                             const std::string &folder)
{
    auto started = [&] {
        if (!primary)
            throw ScriptError("\"" + verb + "\" needs the islands: use it after \"start\"");
    };
    if (verb == "access") {
        size_t look = pos;
        if (script::nextWord(line, look) != "calendar")
            return false;
        pos = look;
        const CalendarAccess access = accessNamed(script::nextWord(line, pos));
        noMore(verb, line, pos);
        if (folderStore_)
            throw ScriptError("access calendar drives the simulated calendar, not a folder");
        simulated_.setStatus(access);
    } else if (verb == "calendar") {
        const std::string what = script::nextWord(line, pos);
        if (what == "folder") {
            if (primary)
                throw ScriptError("\"calendar folder\" must come before \"start\"");
            const std::string dir = script::nextWord(line, pos);
            noMore(verb, line, pos);
            if (dir.empty())
                throw ScriptError("calendar folder needs a folder");
            const std::string path = dir.front() == '/' || folder.empty() ? dir : folder + "/" + dir;
            ics::Roots roots{QDir(QString::fromStdString(path)).absolutePath(), {}, QString()};
            folderStore_ = std::make_unique<IcsCalendarStore>(roots, calendarFallbackColours(), UserCalendar::current().zone);
            CalendarStore::setShared(folderStore_.get());
        } else if (what == "refresh") {
            started();
            noMore(verb, line, pos);
            primary->calendar().refresh();
        } else if (what == "request") {
            started();
            noMore(verb, line, pos);
            primary->calendar().requestAccess();
        } else {
            throw ScriptError("calendar takes \"folder DIR\", \"refresh\" or \"request\"");
        }
    } else if (verb == "locale") {
        if (primary)
            throw ScriptError("\"locale\" must come before \"start\"");
        const std::string name = script::nextWord(line, pos);
        noMore(verb, line, pos);
        if (name.empty())
            throw ScriptError("locale needs a name");
        UserCalendar::setCurrent(UserCalendar{scriptZone(), QLocale(QString::fromStdString(name))});
    } else if (verb == "jump") {
        const double seconds = script::number(script::nextWord(line, pos));
        noMore(verb, line, pos);
        jump_(seconds);
    } else {
        return false;
    }
    flush_();  // answers come on the main queue
    settle();
    return true;
}

void ScriptCalendar::settle()
{
    if (!folderStore_)
        return;
    folderStore_->waitUntilLoaded();
    flush_();
}

void ScriptCalendar::addFields(std::map<std::string, std::string> &f, const NotchViewModel &model) const
{
    const CalendarService &service = model.calendar();
    f["authorized"] = service.isAuthorized().peek() ? "true" : "false";
    std::vector<std::string> titles, ids;
    for (const auto &event : service.events().peek()) {
        titles.push_back(event.title.toStdString());
        ids.push_back(event.id.toStdString());
    }
    f["events"] = jsonList(titles);
    f["eventIDs"] = jsonList(ids);
    std::string dots;
    for (const auto &[day, colours] : service.dots().peek().days) {
        std::string list;
        for (const auto &colour : colours)
            list += (list.empty() ? "" : ",") + hexColour(colour);
        dots += (dots.empty() ? "" : " ") + std::to_string(day) + ":" + list;
    }
    f["dots"] = dots.empty() ? "none" : dots;

    const UserCalendar calendar = UserCalendar::current();
    const QDate today = calendar.date(model.today.peek());
    f["today"] = today.toString(Qt::ISODate).toStdString();
    std::string weeks = "[";
    for (const Week &week : MonthGrid::weeks(today, calendar)) {
        weeks += weeks.size() > 1 ? ",[" : "[";
        for (size_t d = 0; d < week.size(); ++d)
            weeks += (d ? "," : "") + (week[d] ? std::to_string(*week[d]) : std::string("null"));
        weeks += "]";
    }
    f["weeks"] = weeks + "]";
    std::vector<std::string> row;
    for (const QString &symbol : MonthGrid::weekdayRow(calendar))
        row.push_back(symbol.toStdString());
    f["weekdays"] = jsonList(row);

    const CountdownTimer &timer = model.countdown();
    const bool running = timer.isRunning().peek();
    const char *state = running ? "running" : timer.banked().peek() > 0 ? "paused" : "idle";
    const double now = appClock().wallNow();
    f["countdown"] = std::string(timer.mode().peek() == CountdownTimer::Mode::timer ? "timer" : "stopwatch") + " " + state + " "
                     + script::compact(timer.duration().peek()) + " " + script::compact(timer.banked().peek()) + " "
                     + script::jsonString(timer.text(now));
}
