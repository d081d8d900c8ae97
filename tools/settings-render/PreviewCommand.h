#pragma once

#include "Kit/Kit.h"

#include <nlohmann/json.hpp>

#include <QSizeF>

#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Bad input on the command line or in a JSON description: exit status 2 with its one-line message.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The settings previews by kind ("closed", "expanded", "calendar", "lock", "display", "hover"),
// built from a JSON object holding every field by name. Throws UsageError on a missing or unknown
// field, a wrong type or a value out of its set.
kit::Element previewFromJson(const std::string &kind, const nlohmann::json &fields);

// `preview KIND JSON --size WxH [--scale S] --out FILE [--then JSON --at SECONDS] [--texts]`,
// read and checked before anything is drawn.
struct PreviewJob {
    kit::Element first;
    std::optional<kit::Element> then;
    double at = 0;
    QSizeF size;
    double scale = 2;
    std::string outFile;
    bool texts = false;
};
PreviewJob parsePreview(const std::vector<std::string> &args);  // throws UsageError

// Draws the preview on the virtual clock and writes the PNG. Returns the exit status.
int runPreview(const PreviewJob &job, std::ostream &out, std::ostream &err);

// The visible text runs of a tree, depth first, one `x,y wxh "string"` line each, in tree points.
std::vector<std::string> textRuns(const kit::Tree &tree);
