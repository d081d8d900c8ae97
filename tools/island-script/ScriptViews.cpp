#include "ScriptViews.h"


#include "Diagnostics/LayerDump.h"
#include "Diagnostics/WindowSnapshot.h"
#include "App/ViewWiring.h"
#include "Island/NotchView.h"
#include "ScriptError.h"
#include "ScriptValues.h"

#include <cmath>

using namespace vesk;

void ScriptViews::sync(const std::vector<std::shared_ptr<NotchViewModel>> &islands)
{
    if (trees_.empty())
        return;
    std::map<const NotchViewModel *, std::unique_ptr<kit::Tree>> kept;
    for (const auto &island : islands) {
        auto it = trees_.find(island.get());
        if (it != trees_.end()) {
            kept.emplace(island.get(), std::move(it->second));
            continue;
        }
        kept.emplace(island.get(), makeTree(*island));
    }
    trees_ = std::move(kept);
}

void ScriptViews::installStandardViews()
{
    static const bool installed = (vesk::installStandardViews(), true);
    (void)installed;
}

std::unique_ptr<kit::Tree> ScriptViews::makeTree(NotchViewModel &island)
{
    installStandardViews();
    auto tree = std::make_unique<kit::Tree>(QSizeF(NotchView::panelWidth, NotchView::panelHeight));
    kit::withoutAnimation([&] { tree->setRoot(kit::view(NotchView{&island})); });
    return tree;
}

kit::Tree &ScriptViews::treeOf(NotchViewModel &island)
{
    auto &tree = trees_[&island];
    if (!tree)
        tree = makeTree(island);
    return *tree;
}

bool ScriptViews::execute(const std::string &verb, const std::string &line, size_t &pos, NotchViewModel &island)
{
    if (verb != "render" && verb != "dump")
        return false;
    const std::string file = script::nextWord(line, pos);
    if (file.empty())
        throw ScriptError("\"" + verb + "\" needs a file name");
    double scale = 2;
    if (verb == "render") {
        const std::string word = script::nextWord(line, pos);
        if (!word.empty()) {
            scale = script::number(word);
            if (!std::isfinite(scale) || scale <= 0 || scale > 8)
                throw ScriptError("a render scale is a number above 0, up to 8");
        }
    }
    if (!script::rest(line, pos).empty())
        throw ScriptError("unexpected text after \"" + verb + " " + file + "\": " + script::rest(line, pos));
    kit::Tree &tree = treeOf(island);
    tree.update();
    if (verb == "dump") {
        LayerDump::write(&tree, file);
        return true;
    }
    const WindowSnapshot::Window window{&tree, true, QRect(0, 0, int(NotchView::panelWidth), int(NotchView::panelHeight)),
                                        scale};
    WindowSnapshot::write(window, file, false);
    return true;
}
