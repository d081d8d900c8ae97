#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// `pane PANE [--set KEY=JSON]... [--scale S] --out FILE`: the settings window at 760 x 640 on one
// pane, in island-script's simulated world with those settings, settled, drawn as island-script's
// `settings render` draws it. Returns the exit status (2 for bad input, with one line on `err`).
int runPane(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);
