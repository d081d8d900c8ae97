#include "Updater/SimUpdater.h"

#include <algorithm>

namespace vesk {

SimUpdaterWorld::SimUpdaterWorld()
{
    bundle.setVersion("1.0");
    bundle.setBuild("0");
    unpack = [](const std::string &) { return ToolResult{}; };
}

Updater::Config SimUpdaterWorld::config(const std::string &folder)
{
    Updater::Config c;
    c.manifestUrl = QUrl(QStringLiteral("https://vesk.example/update.json"));
    c.bundle = &bundle;
    c.folder = folder;
    c.transport = transport;
    c.background = [](std::function<std::function<void()>()> job) { mainQueue().post(job()); };
    c.install.run = [this](const std::string &path, const std::vector<std::string> &args) {
        const auto into = std::find(args.begin(), args.end(), "-C");
        if (path != "/bin/tar" || into == args.end() || into + 1 == args.end())
            return ToolResult{"no such tool: " + path, 0, {}};
        return unpack(*(into + 1));
    };
    c.install.isWritable = [this](const std::string &) { return writable; };
    c.install.startSwap = [this](const std::vector<std::string> &args) -> std::optional<std::string> {
        swaps.push_back(args);
        return std::nullopt;
    };
    c.install.openArchive = [this](const std::string &archive) { opened.push_back(archive); };
    c.install.processID = processID;
    c.wake = &wake;
    return c;
}

}  // namespace vesk
