#include "ScriptTourDemo.h"

#include "Kit/Kit.h"
#include "Onboarding/GestureDemo.h"
#include "Onboarding/GesturesStep.h"
#include "ScriptError.h"
#include "ScriptPointing.h"
#include "ScriptValues.h"

#include <optional>

using namespace vesk;

namespace {

std::string flag(bool value) { return value ? "true" : "false"; }

std::optional<Gesture> gestureCaptioned(const QString &caption)
{
    for (int raw = 0; raw < gestureCount; ++raw)
        if (caption == QLatin1String(GesturesStep::info(Gesture(raw)).caption))
            return Gesture(raw);
    return std::nullopt;
}

// The visible row button of the gestures page named by its caption.
std::optional<kit::DrawnItem> gestureRow(const kit::Tree &tree, const QString &caption)
{
    for (const kit::DrawnItem &item : kit::drawnItems(tree))
        if (item.kind == kit::DrawnItem::Kind::control && item.isVisible() && item.text == caption && isInsideGesturesStep(item.node))
            return item;
    return std::nullopt;
}

}  // namespace

bool ScriptTourDemo::execute(const std::string &verb, const std::string &line, size_t &pos)
{
    if (verb != "click" && verb != "expect")
        return false;
    size_t look = pos;
    if (script::nextWord(line, look) != "row" || !world_.started())
        return false;
    const nlohmann::json title = script::nextJson(line, look);
    if (!title.is_string())
        return false;
    const QString caption = QString::fromStdString(title.get<std::string>());
    kit::Tree &tree = world_.tree();
    tree.update();
    world_.time.flush();
    const std::optional<Gesture> gesture = gestureCaptioned(caption);
    const std::optional<kit::DrawnItem> row = gesture ? gestureRow(tree, caption) : std::nullopt;
    if (!row)
        return false;  // not a gesture row: the tour's own rows answer
    pos = look;
    if (verb == "click") {
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"click row\": " + script::rest(line, pos));
        // The row's empty right-hand part.
        const QPointF p(row->rect.right() - 4, row->rect.center().y());
        ScriptPointing::clickAt(tree, p, [this] { world_.time.flush(); });
        return true;
    }
    const std::string expected = script::rest(line, pos);
    if (expected != "current" && expected != "other")
        throw ScriptError("expect row \"" + title.get<std::string>() + "\" on the gestures page takes current or other");
    const std::string actual = shownCurrentGesture(tree) == gesture ? "current" : "other";
    if (actual != expected)
        world_.fail("row " + script::jsonString(title.get<std::string>()) + ": expected " + expected + ", got " + actual);
    return true;
}

void ScriptTourDemo::addFields(std::map<std::string, std::string> &fields) const
{
    const std::optional<ShownGestureDemo> shown = world_.started() ? shownGestureDemo(world_.tree()) : std::nullopt;
    static const char *names[] = {"gesture", "pointer", "pressed", "swollen", "open", "page", "pull", "flipped", "menu"};
    if (!shown) {
        for (const char *name : names)
            fields[std::string("demo.") + name] = "none";
        return;
    }
    const GestureDemoState *demo = shown->state.get();
    fields["demo.gesture"] = gestureCaseName(shown->gesture).toStdString();
    const QPointF pointer = demo->pointer.peek();
    fields["demo.pointer"] = script::compact(pointer.x()) + "," + script::compact(pointer.y());
    fields["demo.pressed"] = flag(demo->pressed.peek());
    fields["demo.swollen"] = flag(demo->swollen.peek());
    fields["demo.open"] = flag(demo->isOpen.peek());
    fields["demo.page"] = std::to_string(demo->page.peek());
    fields["demo.pull"] = script::compact(demo->pull.peek());
    fields["demo.flipped"] = flag(demo->flipped.peek());
    fields["demo.menu"] = flag(demo->menu.peek());
}
