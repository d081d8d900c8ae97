#pragma once

#include "Model/NotchViewModel.h"
#include "Kit/Tree.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// The island views of a script's islands. Views exist once a script first renders or dumps an
// island; from then on every island has one, kept for its life, so that renders at any virtual
// time show the island mid-motion. Scripts that never look at views run without them: view
// animations add clock steps, and each step may round the virtual wall clock.
class ScriptViews {
public:
    // Once views exist: makes trees for new islands and drops those of islands that are gone.
    void sync(const std::vector<std::shared_ptr<vesk::NotchViewModel>> &islands);
    // Runs "render FILE [SCALE]" or "dump FILE" on `island`; false for any other verb. Throws
    // ScriptError for bad arguments.
    bool execute(const std::string &verb, const std::string &line, size_t &pos, vesk::NotchViewModel &island);

    // The island's view tree, made (as "render" makes it) when it has none yet.
    kit::Tree &treeOf(vesk::NotchViewModel &island);

    // The views the application fills the island view and the extensions' options with, given once.
    static void installStandardViews();

private:
    static std::unique_ptr<kit::Tree> makeTree(vesk::NotchViewModel &island);
    std::map<const vesk::NotchViewModel *, std::unique_ptr<kit::Tree>> trees_;
};
