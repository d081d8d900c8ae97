#include "ScriptRunner.h"

#include "ScriptError.h"
#include "ScriptValues.h"

#include <set>

using namespace vesk;

// The fields that `print` and `expect` read.

namespace {

// Fields of `print`, in their order.
const std::vector<std::string> printOrder = {"t",    "state", "peek",    "ongoing", "lastPeek", "open",
                                             "page", "size",  "style",   "islands", "layout",   "text"};

using script::compact;

std::string caseName(const std::optional<Peek> &value)
{
    return value ? value->caseName() : "none";
}

}  // namespace

std::map<std::string, std::string> ScriptRunner::fields(const NotchViewModel &model) const
{
    std::map<std::string, std::string> f;
    char t[32];
    std::snprintf(t, sizeof t, "%.3f", time_.now());
    f["t"] = t;
    f["state"] = name(model.state());
    f["peek"] = caseName(model.peek.peek());
    f["ongoing"] = caseName(model.ongoing.peek());
    f["lastPeek"] = caseName(model.lastPeek.peek());
    f["open"] = model.isOpen.peek() ? "true" : "false";
    f["page"] = model.pages().at(static_cast<size_t>(model.page())).description();
    const Size size = model.size();
    f["size"] = script::compact(size.width) + "x" + script::compact(size.height);
    f["style"] = name(model.style.peek());
    f["islands"] = std::to_string(islands_.size());
    f["layout"] = layout_ ? layout_->islandLayout() : "";
    const auto drawn = model.peekToDraw();
    const auto text = drawn ? drawn->text() : std::nullopt;
    f["text"] = text ? script::jsonString(text->toStdString()) : "none";
    // Fields for `expect` only, not printed.
    f["hoveredControls"] = std::to_string(model.hoveredControls);
    f["cursor"] = model.cursor() == NotchViewModel::Cursor::pointingHand ? "pointingHand" : "arrow";
    auto flag = [](bool on) { return std::string(on ? "true" : "false"); };
    f["switching"] = flag(model.isSwitchingSpace.peek());
    f["fullscreen"] = flag(model.isFullscreenSpace.peek());
    f["volume"] = script::compact(model.volumeLevel.peek());
    f["muted"] = flag(model.isMuted.peek());
    std::string ids;
    for (const auto &device : model.outputs.peek())
        ids += (ids.empty() ? "" : ",") + std::to_string(device.id);
    f["outputs"] = ids.empty() ? "none" : ids;
    const auto current = model.currentOutputID.peek();
    f["current"] = current ? std::to_string(*current) : "none";
    const auto &front = model.frontmostBundleID.peek();
    f["frontmost"] = front ? *front : "none";
    if (const auto shown = model.peek.peek(); shown && shown->kind() == Peek::Kind::device)
        f["device"] = shown->as<Peek::Device>()->symbol;
    else
        f["device"] = "none";
    readouts_.addFields(f, model);
    settings_->addFields(f);
    calendar_.addFields(f, model);
    for (auto &[name, value] : nowPlaying_.fields(time_.wallNow()))
        f[name] = value;
    extensionVerbs_.addFields(f);
    for (const auto &module : modules_)
        module->addFields(f);
    return f;
}

std::string ScriptRunner::printLine(const NotchViewModel &model) const
{
    const auto f = fields(model);
    std::string line;
    for (const auto &key : printOrder) {
        if (!line.empty())
            line += ' ';
        line += key + "=" + f.at(key);
    }
    return line;
}

void ScriptRunner::expect(const std::string &name, const std::string &value)
{
    static const std::set<std::string> settingsFields = {"pane",   "back",     "forward",  "windowTitle", "backEnabled",
                                                         "forwardEnabled", "frost", "sidebar", "windows",
                                                         "tourPage", "loginItem", "opened", "terminated"};
    std::map<std::string, std::string> moduleFields;
    for (const auto &module : modules_)
        module->addFields(moduleFields);
    if (settingsFields.count(name) || ScriptSettings::keyField(name) || moduleFields.count(name))
        time_.flush();
    if (const auto keyed = ScriptSettings::keyField(name)) {
        if (*keyed != value) {
            err_ << file_ << ":" << lineNumber_ << ": expected " << name << "=" << value << ", got " << name << "="
                 << *keyed << "\n";
            failed_ = true;
        }
        return;
    }
    const auto f = fields(selected());
    auto it = f.find(name);
    if (it == f.end())
        throw ScriptError("unknown field \"" + name + "\"");
    if (it->second != value) {
        err_ << file_ << ":" << lineNumber_ << ": expected " << name << "=" << value << ", got " << name << "="
             << it->second << "\n";
        failed_ = true;
    }
}

int ScriptRunner::indexOf(const void *model) const
{
    for (size_t i = 0; i < islands_.size(); ++i) {
        if (islands_[i].get() == model)
            return static_cast<int>(i);
    }
    return -1;
}

void ScriptRunner::printHaptics()
{
    for (const auto &entry : haptics_.take())
        out_ << indexOf(entry.performer) << " " << hapticPatternName(entry.pattern) << "\n";
}
