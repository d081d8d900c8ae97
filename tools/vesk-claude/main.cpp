// vesk-claude: the Claude Code extension on the files of $HOME and $XDG_DATA_HOME.
//
//   vesk-claude connect | disconnect   exit 0, or 1 with the error's description as the last
//                                      line on stderr
//   vesk-claude installed              prints true or false
//   vesk-claude intake                 starts the extension as the registry does, on a virtual
//                                      clock whose wall time starts at the real time, and reads
//                                      commands from stdin:
//       advance SECONDS   moves the clock (the ticks fall due)
//       state             prints one JSON line: connected, offset, sessions, fiveHour, weekly,
//                         activity and the alerts posted since the last state
//       quit
//   vesk-claude view                   the extension started as the registry does and its
//                                      settings view, 480 points wide, in an offscreen
//                                      QApplication; commands on stdin:
//       press             clicks the button (its action has run before the next command)
//       texts             prints one JSON array: the visible texts top to bottom, the error last
//       png FILE          renders the view
//       quit
//
// Exit status 2 for a bad command line or input line.
#include "ViewCommand.h"

#include "Extensions/ClaudeCodeExtension.h"
#include "Extensions/ExtensionStore.h"
#include "Base/VirtualTime.h"
#include "Platform/UserDefaults.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

using nlohmann::json;
using vesk::ClaudeCodeExtension;
using vesk::ExtensionActivity;

namespace {

int usage(const std::string &message)
{
    std::fprintf(stderr, "vesk-claude: %s\nusage: vesk-claude connect|disconnect|installed|intake|view\n", message.c_str());
    return 2;
}

json wholeSeconds(double value)
{
    if (value >= 9223372036854775807.0)
        return std::numeric_limits<int64_t>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return int64_t(std::floor(value));
}

json limitJson(const std::optional<ClaudeCodeExtension::Limit> &limit)
{
    if (!limit)
        return nullptr;
    return {{"usedPercent", limit->usedPercent}, {"resetsAt", limit->resetsAt ? wholeSeconds(*limit->resetsAt) : json()}};
}

std::string tint(const QColor &color) { return color.name(QColor::HexRgb).toUpper().toStdString(); }

json stateJson(const ClaudeCodeExtension &claude, std::vector<std::pair<ExtensionActivity, double>> &alerts)
{
    json sessions = json::array();
    for (const auto &session : claude.sessions.peek()) {
        json entry{{"id", session.id}, {"project", session.project}};
        if (std::holds_alternative<ClaudeCodeExtension::Working>(session.state)) {
            entry["state"] = "working";
        } else if (const auto *waiting = std::get_if<ClaudeCodeExtension::Waiting>(&session.state)) {
            entry["state"] = "waiting";
            entry["message"] = waiting->message;
        } else {
            entry["state"] = "done";
        }
        sessions.push_back(std::move(entry));
    }
    json line{{"connected", claude.isConnected.peek()}, {"offset", claude.readOffset()}, {"sessions", sessions},
              {"fiveHour", limitJson(claude.fiveHour.peek())}, {"weekly", limitJson(claude.weekly.peek())}};
    if (const auto activity = claude.activity())
        line["activity"] = {{"symbol", activity->symbol}, {"text", activity->text.toStdString()},
                            {"tint", tint(activity->tint)}, {"urgent", activity->isUrgent}};
    else
        line["activity"] = nullptr;
    json posted = json::array();
    for (const auto &[activity, seconds] : alerts)
        posted.push_back({{"symbol", activity.symbol}, {"text", activity.text.toStdString()}, {"seconds", seconds}});
    alerts.clear();
    line["alerts"] = posted;
    return line;
}

int intake()
{
    vesk::UserDefaults::setStandard(std::make_unique<vesk::UserDefaults>());
    vesk::VirtualTime time(double(QDateTime::currentMSecsSinceEpoch()) / 1000.0);
    auto &store = vesk::ExtensionStore::shared();
    std::vector<std::pair<ExtensionActivity, double>> alerts;
    store.onAlert = [&](const ExtensionActivity &activity, double seconds) { alerts.emplace_back(activity, seconds); };
    store.setEnabled(ClaudeCodeExtension::typeInfo().id, true);
    const auto claude = std::dynamic_pointer_cast<ClaudeCodeExtension>(store.instance(ClaudeCodeExtension::typeInfo().id));
    time.flush();
    std::string line;
    int status = 0;
    while (std::getline(std::cin, line)) {
        if (line.empty())
            continue;
        const auto space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string argument = space == std::string::npos ? std::string() : line.substr(space + 1);
        if (verb == "quit" && argument.empty())
            break;
        if (verb == "state" && argument.empty()) {
            time.flush();
            std::cout << stateJson(*claude, alerts).dump() << std::endl;
        } else if (verb == "advance") {
            size_t used = 0;
            double seconds = -1;
            try {
                seconds = std::stod(argument, &used);
            } catch (const std::exception &) {
            }
            if (used != argument.size() || !(seconds >= 0) || !std::isfinite(seconds)) {
                status = usage("advance needs a number of seconds of 0 or more: " + line);
                break;
            }
            time.advance(seconds);
        } else {
            status = usage("unknown command: " + line);
            break;
        }
    }
    store.onAlert = nullptr;
    store.stopAll();
    return status;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 2 && std::string(argv[1]) == "view") {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QApplication app(argc, argv);
        return viewCommand(usage);
    }
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return usage("one command");
    const std::string command = argv[1];
    if (command == "installed") {
        std::cout << (ClaudeCodeExtension::isInstalled() ? "true" : "false") << std::endl;
        return 0;
    }
    if (command == "intake")
        return intake();
    if (command != "connect" && command != "disconnect")
        return usage("unknown command " + command);
    ClaudeCodeExtension claude;
    try {
        if (command == "connect")
            claude.connect();
        else
            claude.disconnect();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
