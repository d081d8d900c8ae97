#include "ScriptTour.h"

#include "App/SettingsHost.h"
#include "Kit/Kit.h"
#include "Onboarding/TourRows.h"
#include "Platform/sim/SimCalendarStore.h"
#include "ScriptError.h"
#include "ScriptPointing.h"
#include "ScriptValues.h"

#include <QProcessEnvironment>

using namespace vesk;

namespace {

std::string nextQuoted(const std::string &line, size_t &pos, const std::string &what)
{
    const nlohmann::json value = script::nextJson(line, pos);
    if (!value.is_string())
        throw ScriptError(what + " is a quoted string");
    return value.get<std::string>();
}

void noMore(const std::string &verb, const std::string &line, size_t pos)
{
    if (!script::rest(line, pos).empty())
        throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
}

// Whether the next word is `word`; only then is `pos` moved past it.
bool takeWord(const std::string &line, size_t &pos, const char *word)
{
    size_t look = pos;
    if (script::nextWord(line, look) != word)
        return false;
    pos = look;
    return true;
}

}  // namespace

ScriptTour::ScriptTour(ScriptWorld &world) : world_(world) {}
ScriptTour::~ScriptTour() = default;

void ScriptTour::start()
{
    // The environment as `env` left it before `start`, as the application reads it at launch.
    host_ = std::make_unique<SettingsHost>(world_.primary(), QProcessEnvironment::systemEnvironment());
}

void ScriptTour::stop() { host_.reset(); }

bool ScriptTour::execute(const std::string &verb, const std::string &line, size_t &pos)
{
    if (verb == "tour") {
        if (!takeWord(line, pos, "launch"))
            return false;
        world_.requireStarted(verb);
        noMore("tour launch", line, pos);
        host_->showOnboarding();
        world_.time.flush();
        return true;
    }
    if (verb == "access") {
        size_t look = pos;
        if (script::nextWord(line, look) != "calendar" || script::nextWord(line, look) != "undetermined")
            return false;
        pos = look;
        noMore("access calendar undetermined", line, pos);
        auto *store = dynamic_cast<SimCalendarStore *>(&CalendarStore::shared());
        if (!store)
            throw ScriptError("access calendar drives the simulated calendar, not a folder");
        store->setStatus(CalendarAccess::notDetermined);
        store->setGrantsRequests(false);
        return true;
    }
    if (verb != "click" && verb != "expect")
        return false;
    if (!takeWord(line, pos, "row"))
        return false;
    world_.requireStarted(verb);
    const QString title = QString::fromStdString(nextQuoted(line, pos, "a row's title"));
    kit::Tree &tree = world_.tree();
    tree.update();
    world_.time.flush();
    const std::optional<TourRowState> row = findTourRow(tree, title);
    const std::string named = script::jsonString(title.toStdString());
    if (verb == "click") {
        noMore("click row", line, pos);
        if (!row) {
            world_.fail("expected a visible tour row " + named);
            return true;
        }
        const QPointF p = row->accessory ? row->accessory->center() : QPointF(row->rect.right() - 4, row->rect.center().y());
        ScriptPointing::clickAt(tree, p, [this] { world_.time.flush(); });
        return true;
    }
    const std::string expected = script::rest(line, pos);
    if (expected.empty())
        throw ScriptError("expect row \"TITLE\" needs a value");
    if (!row) {
        world_.fail("expected a visible tour row " + named);
        return true;
    }
    const std::string actual = (row->value + (row->disabled ? QStringLiteral(" disabled") : QString())).toStdString();
    if (actual != expected)
        world_.fail("row " + named + ": expected " + expected + ", got " + actual);
    return true;
}
