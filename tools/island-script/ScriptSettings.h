#pragma once

#include "App/SettingsHost.h"
#include "Platform/sim/SimLoginItem.h"

#include <QUrl>

#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace vesk {
class NotchViewModel;
}

// The settings window in scripts: the application's own host over the primary island, a
// simulated login item, links recorded instead of opened, and quitting recorded instead of done.
class ScriptSettings {
public:
    struct Context {
        std::ostream &out;
        std::function<void()> settle;                         // runs the main queue's work due now
        std::function<void(const std::string &)> fail;        // an expectation failed
        std::string folder = ".";                             // the script's folder, for paths
    };

    ScriptSettings();
    ~ScriptSettings();

    // After `start`: the host over the primary island.
    void start(vesk::NotchViewModel &primary);
    // Handles `settings ...` (also `settings choose`, answering the sound chooser), `loginitem ...`,
    // `update phase ...` and `catalog JSON` (before
    // start: the extension catalogue becomes simulated types); false for other verbs.
    bool execute(const std::string &verb, const std::string &line, size_t &pos, const Context &context);
    void addFields(std::map<std::string, std::string> &fields) const;
    // The fields named by key (`setting:KEY`, `stored:KEY`); none for other names.
    static std::optional<std::string> keyField(const std::string &name);

    vesk::SettingsHost *host() const { return host_.get(); }

private:
    void settingsVerb(const std::string &line, size_t &pos, const Context &context);
    void render(const std::string &file, double scale, bool previewOnly) const;

    vesk::SimLoginItem loginItem_;
    std::unique_ptr<vesk::SettingsHost> host_;
    vesk::NotchViewModel *primary_ = nullptr;
    std::optional<QUrl> opened_;
    bool terminated_ = false;
    bool catalogReplaced_ = false;
    std::optional<QString> chooserAnswer_;     // what the next sound chooser answers
    std::optional<std::string> chooserTitle_;  // the last chooser's title
};
