// vesk-stats: System Stats' own sampling on this machine (or on a tree of files laid out like one),
// one JSON line per sample, for checking the Linux readers against what the system shows.
//
//   vesk-stats [--root DIR] [--once]
//
// Each "sample" line on stdin takes one sample, as the extension does with its page shown, and
// prints it; --once takes two samples 1.0 s apart and prints the second. Exit status 2 for a bad
// command line or input line.
#include "Extensions/SystemStatsExtension.h"
#include "Platform/linux/LinuxSystemStats.h"

#include <QCoreApplication>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

using nlohmann::json;
using vesk::SystemStatsExtension;

namespace {

int usage(const char *message)
{
    std::fprintf(stderr, "vesk-stats: %s\nusage: vesk-stats [--root DIR] [--once]\n", message);
    return 2;
}

json reading(const SystemStatsExtension &stats)
{
    json line;
    line["cpu"] = stats.cpu.peek();
    line["memoryUsed"] = stats.memoryUsed.peek();
    line["memoryTotal"] = stats.memoryTotal;
    line["diskFree"] = stats.diskFree.peek();
    line["diskTotal"] = stats.diskTotal.peek();
    line["thermal"] = vesk::thermalName(stats.thermal.peek());
    if (const auto battery = stats.battery.peek())
        line["battery"] = {{"percent", battery->percent}, {"pluggedIn", battery->pluggedIn}};
    else
        line["battery"] = nullptr;
    if (const auto left = stats.batteryTimeLeft.peek())
        line["batteryTimeLeft"] = *left;
    else
        line["batteryTimeLeft"] = nullptr;
    line["download"] = stats.download.peek();
    line["upload"] = stats.upload.peek();
    line["processors"] = stats.processors.peek();
    if (const auto activity = stats.activity())
        line["activity"] = {{"symbol", activity->symbol}, {"text", activity->text.toStdString()}};
    else
        line["activity"] = nullptr;
    return line;
}

void print(const SystemStatsExtension &stats)
{
    std::cout << reading(stats).dump() << std::endl;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string root = "/";
    bool once = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--once") == 0 && !once) {
            once = true;
        } else if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc && root == "/") {
            root = argv[++i];
            if (root.empty())
                return usage("--root needs a folder");
        } else {
            return usage((std::string("unknown argument ") + argv[i]).c_str());
        }
    }

    QCoreApplication app(argc, argv);
    vesk::LinuxSystemStats source(root);
    vesk::SystemStatsSource::setShared(&source);
    auto stats = std::make_shared<SystemStatsExtension>();
    // Visible, but not started: samples are taken only when asked for.
    stats->setVisible(true);

    int status = 0;
    if (once) {
        stats->sample();
        std::this_thread::sleep_for(std::chrono::seconds(1));
        stats->sample();
        print(*stats);
    } else {
        std::string line;
        while (std::getline(std::cin, line)) {
            if (line == "sample") {
                stats->sample();
                print(*stats);
            } else if (!line.empty()) {
                std::fprintf(stderr, "vesk-stats: unknown input \"%s\" (only \"sample\")\n", line.c_str());
                status = 2;
                break;
            }
        }
    }
    stats.reset();
    vesk::SystemStatsSource::setShared(nullptr);
    return status;
}
