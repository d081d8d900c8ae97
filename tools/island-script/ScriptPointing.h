#pragma once

#include "Model/NotchViewModel.h"
#include "Kit/DrawnItems.h"
#include "Kit/Tree.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// The verbs that read what an island draws and point at it: views, texts, symbols, controls,
// visible/invisible, pointer, click, mousedown, mouseup, rightclick, choose, tooltip. They act on
// the selected island's view tree and move only the tree's pointer (the model's hover stays with
// "hover").
class ScriptPointing {
public:
    struct Context {
        vesk::NotchViewModel &island;
        kit::Tree &tree;
        std::ostream &out;
        std::function<void()> runDue;                   // runs what falls due now
        std::function<void(const std::string &)> fail;  // a failed expectation
    };
    static bool handles(const std::string &verb);
    // The visible items of one kind in `tree`, one line each, as "texts", "symbols" and "controls"
    // print them.
    static void printItems(std::ostream &out, const kit::Tree &tree, kit::DrawnItem::Kind kind);
    // A left click at `point` of `tree` (move, press, release), then what it made due runs.
    static void clickAt(kit::Tree &tree, QPointF point, const std::function<void()> &runDue);
    // Runs `verb`; throws ScriptError for bad arguments.
    void execute(const std::string &verb, const std::string &line, size_t &pos, const Context &ctx);

private:
    std::vector<kit::MenuItem> lastMenu_;
};
