#pragma once

#include <functional>
#include <string>

// `vesk-claude view`: the extension started as the registry does and its settings view, 480
// points wide, driven by commands on stdin (press, texts, png FILE, quit). Needs a QApplication.
int viewCommand(const std::function<int(const std::string &)> &usage);
