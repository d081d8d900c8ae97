#include "ScriptPointing.h"

#include "Kit/DrawnItems.h"
#include "Kit/SymbolWeight.h"
#include "ScriptError.h"
#include "ScriptValues.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>

using namespace vesk;
using kit::DrawnItem;

namespace {

const std::vector<std::string> pointingVerbs = {"views", "texts", "symbols", "controls", "visible", "invisible",
                                               "pointer", "click", "mousedown", "mouseup", "rightclick", "choose",
                                               "tooltip", "symbol-shapes"};

// Halves away from zero, as std::lround does.
long rounded(double v) { return std::lround(v); }

std::string rectText(const QRectF &r)
{
    return std::to_string(rounded(r.x())) + "," + std::to_string(rounded(r.y())) + " " + std::to_string(rounded(r.width()))
           + "x" + std::to_string(rounded(r.height()));
}

std::string quoted(const QString &text) { return script::jsonString(text.toStdString()); }

// The visible items of one kind; controls only where the pointer reaches them.
std::vector<DrawnItem> listed(const kit::Tree &tree, DrawnItem::Kind kind)
{
    std::vector<DrawnItem> out;
    for (DrawnItem &item : kit::drawnItems(tree))
        if (item.kind == kind && item.isVisible() && (kind != DrawnItem::Kind::control || item.takesHits))
            out.push_back(std::move(item));
    return out;
}

std::string nextString(const std::string &line, size_t &pos, const std::string &what)
{
    const nlohmann::json value = script::nextJson(line, pos);
    if (!value.is_string())
        throw ScriptError(what + " is a quoted string");
    return value.get<std::string>();
}

bool startsQuoted(const std::string &line, size_t pos)
{
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    return pos < line.size() && line[pos] == '"';
}

struct Target {
    std::optional<QPointF> point;  // absent: not found (already reported)
};

// X,Y or "NAME" [FX FY]: the first control so named, else the first text equal to it.
Target target(const std::string &line, size_t &pos, const ScriptPointing::Context &ctx)
{
    if (!startsQuoted(line, pos)) {
        const std::string word = script::nextWord(line, pos);
        const auto comma = word.find(',');
        if (word.empty() || comma == std::string::npos)
            throw ScriptError("a target is X,Y or a quoted name, not \"" + word + "\"");
        return {QPointF(script::number(word.substr(0, comma)), script::number(word.substr(comma + 1)))};
    }
    const QString name = QString::fromStdString(nextString(line, pos, "a target name"));
    double fx = 0.5, fy = 0.5;
    const std::string first = script::nextWord(line, pos);
    if (!first.empty()) {
        const std::string second = script::nextWord(line, pos);
        if (second.empty())
            throw ScriptError("a target's fractions are two numbers, FX FY");
        fx = script::number(first);
        fy = script::number(second);
    }
    ctx.runDue();
    std::optional<QRectF> rect;
    for (const DrawnItem &item : listed(ctx.tree, DrawnItem::Kind::control))
        if (item.text == name) {
            rect = item.rect;
            break;
        }
    if (!rect)
        for (const DrawnItem &item : listed(ctx.tree, DrawnItem::Kind::text))
            if (item.text == name) {
                rect = item.rect;
                break;
            }
    if (!rect) {
        ctx.fail("expected a visible " + quoted(name));
        return {};
    }
    return {QPointF(rect->x() + fx * rect->width(), rect->y() + fy * rect->height())};
}

void noMore(const std::string &verb, const std::string &line, size_t pos)
{
    if (!script::rest(line, pos).empty())
        throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
}

}  // namespace

bool ScriptPointing::handles(const std::string &verb)
{
    return std::find(pointingVerbs.begin(), pointingVerbs.end(), verb) != pointingVerbs.end();
}

void ScriptPointing::printItems(std::ostream &out, const kit::Tree &tree, DrawnItem::Kind kind)
{
    for (const DrawnItem &item : listed(tree, kind)) {
        out << rectText(item.rect) << " ";
        if (kind == DrawnItem::Kind::symbol) {
            char alpha[32];
            std::snprintf(alpha, sizeof alpha, "%.2f", item.tintAlpha * item.opacity);
            out << item.text.toStdString() << " " << alpha;
        } else {
            out << quoted(item.text);
            if (kind == DrawnItem::Kind::control && item.disabled)
                out << " disabled";
        }
        out << "\n";
    }
}

// Draws the island at both scales, then compares every symbol drawn in this run, at the size and
// weight it was drawn, with its regular drawing: a heavier weight that merged parts, closed a
// cut-out or joined strokes across the middle is a failure.
static void checkSymbolShapes(const kit::Tree &tree)
{
    for (double scale : {1.0, 2.0})
        (void)tree.render(scale);
    const std::vector<kit::DrawnSymbol> drawn = kit::symbolsDrawn();
    if (drawn.empty())
        throw ScriptError("symbol-shapes: no symbol was drawn");
    std::string changed;
    for (const kit::DrawnSymbol &s : drawn) {
        const kit::InkShape regular = kit::inkShape(kit::symbolImage(s.name, s.devicePixels, kit::Weight::regular, Qt::white));
        const kit::InkShape weighted = kit::inkShape(kit::symbolImage(s.name, s.devicePixels, s.weight, Qt::white));
        if (regular != weighted)
            changed += " " + s.name.toStdString() + "@" + std::to_string(std::lround(s.devicePixels)) + "px";
    }
    if (!changed.empty())
        throw ScriptError("symbols that lost their shape at their weight:" + changed);
}

void ScriptPointing::execute(const std::string &verb, const std::string &line, size_t &pos, const Context &ctx)
{
    kit::Tree &tree = ctx.tree;
    ctx.runDue();
    auto send = [&](const kit::PointerEvent &event) {
        tree.handlePointer(event);
        ctx.runDue();
    };

    if (verb == "views") {
        noMore(verb, line, pos);
    } else if (verb == "symbol-shapes") {
        noMore(verb, line, pos);
        checkSymbolShapes(tree);
    } else if (verb == "texts" || verb == "symbols" || verb == "controls") {
        noMore(verb, line, pos);
        const DrawnItem::Kind kind = verb == "texts"     ? DrawnItem::Kind::text
                                     : verb == "symbols" ? DrawnItem::Kind::symbol
                                                         : DrawnItem::Kind::control;
        printItems(ctx.out, tree, kind);
    } else if (verb == "visible" || verb == "invisible") {
        DrawnItem::Kind kind = DrawnItem::Kind::text;
        std::string name;
        std::string what;
        if (startsQuoted(line, pos)) {
            name = nextString(line, pos, "a text");
            what = quoted(QString::fromStdString(name));
        } else {
            const std::string word = script::nextWord(line, pos);
            if (word == "symbol") {
                kind = DrawnItem::Kind::symbol;
                name = script::nextWord(line, pos);
                if (name.empty())
                    throw ScriptError("\"" + verb + " symbol\" needs a symbol name");
                what = "symbol " + name;
            } else if (word == "control") {
                kind = DrawnItem::Kind::control;
                name = nextString(line, pos, "a control's name");
                what = "control " + quoted(QString::fromStdString(name));
            } else {
                throw ScriptError("\"" + verb + "\" takes \"TEXT\", symbol NAME or control \"NAME\"");
            }
        }
        noMore(verb, line, pos);
        const QString wanted = QString::fromStdString(name);
        const auto items = listed(tree, kind);
        const bool found = std::any_of(items.begin(), items.end(), [&](const DrawnItem &i) { return i.text == wanted; });
        if (verb == "visible" && !found)
            ctx.fail("expected a visible " + what);
        if (verb == "invisible" && found)
            ctx.fail("expected no visible " + what);
    } else if (size_t after = pos; verb == "pointer" && script::nextWord(line, after) == "out") {
        noMore(verb, line, after);
        pos = after;
        send(kit::PointerEvent::leave());
    } else if (verb == "choose") {
        const QString title = QString::fromStdString(nextString(line, pos, "a menu item's title"));
        noMore(verb, line, pos);
        const auto it = std::find_if(lastMenu_.begin(), lastMenu_.end(),
                                     [&](const kit::MenuItem &item) { return !item.isDivider && item.title == title; });
        if (it == lastMenu_.end()) {
            ctx.fail("expected a menu item " + quoted(title));
            return;
        }
        if (it->action)
            it->action();
        ctx.runDue();
    } else {
        // The verbs that take a target.
        const Target t = target(line, pos, ctx);
        noMore(verb, line, pos);
        if (!t.point)
            return;
        const QPointF p = *t.point;
        if (verb == "pointer") {
            send(kit::PointerEvent::move(p));
        } else if (verb == "click") {
            send(kit::PointerEvent::move(p));
            send(kit::PointerEvent::press(p));
            send(kit::PointerEvent::release(p));
        } else if (verb == "mousedown") {
            send(kit::PointerEvent::move(p));
            send(kit::PointerEvent::press(p));
        } else if (verb == "mouseup") {
            send(kit::PointerEvent::move(p));
            send(kit::PointerEvent::release(p));
        } else if (verb == "rightclick") {
            std::optional<std::vector<kit::MenuItem>> menu;
            vesk::Connection c = tree.contextMenuRequested.connect(
                [&menu](const std::vector<kit::MenuItem> &items, QPointF) { menu = items; });
            send(kit::PointerEvent::move(p));
            send(kit::PointerEvent::press(p, Qt::RightButton));
            send(kit::PointerEvent::release(p, Qt::RightButton));
            lastMenu_ = menu.value_or(std::vector<kit::MenuItem>{});
            for (const kit::MenuItem &item : lastMenu_) {
                if (item.isDivider)
                    ctx.out << "---\n";
                else
                    ctx.out << (item.symbol.isEmpty() ? std::string("-") : item.symbol.toStdString()) << " "
                            << quoted(item.title) << "\n";
            }
        } else if (verb == "tooltip") {
            const auto text = tree.tooltipAt(p);
            ctx.out << (text ? quoted(*text) : std::string("none")) << "\n";
        }
    }
}

void ScriptPointing::clickAt(kit::Tree &tree, QPointF point, const std::function<void()> &runDue)
{
    tree.handlePointer(kit::PointerEvent::move(point));
    tree.handlePointer(kit::PointerEvent::press(point));
    tree.handlePointer(kit::PointerEvent::release(point));
    tree.update();
    runDue();
}
