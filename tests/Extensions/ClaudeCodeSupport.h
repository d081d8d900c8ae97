#pragma once

#include "ExtensionTestSupport.h"
#include "TestSupport.h"

#include "Extensions/ClaudeCodeExtension.h"

#include <nlohmann/json.hpp>

#include <QTemporaryDir>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace vesk::test {

// A private home (and no XDG_DATA_HOME) for each test, the alerts the registry hands on, and
// helpers that write the extension's files as the scripts would.
class ClaudeCodeTest : public ExtensionTest {
protected:
    ClaudeCodeTest()
    {
        store.onAlert = [this](const ExtensionActivity &activity, double seconds) { alerts.push_back({activity, seconds}); };
    }

    static std::string readFile(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void writeFile(const std::string &path, const std::string &bytes, std::ios::openmode mode = std::ios::trunc)
    {
        std::ofstream out(path, std::ios::binary | std::ios::out | mode);
        out << bytes;
    }
    static bool exists(const std::string &path)
    {
        struct stat info {};
        return ::lstat(path.c_str(), &info) == 0;
    }
    static unsigned modeOf(const std::string &path)
    {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? unsigned(info.st_mode & 07777) : 0u;
    }

    std::string folder() const { return ClaudeCodeExtension::folder(); }
    std::string events() const { return folder() + "/events.jsonl"; }
    std::string settings() const { return ClaudeCodeExtension::settingsPath(); }
    void makeFolder() const { std::filesystem::create_directories(folder()); }

    // One envelope line as the hook writes it.
    void appendEvent(const std::string &name, const nlohmann::json &data)
    {
        makeFolder();
        writeFile(events(), nlohmann::json{{"event", name}, {"at", 0}, {"data", data}}.dump() + "\n", std::ios::app);
    }
    // The status file, replaced whole and dated `seconds` after the epoch (plus `nanoseconds`).
    void writeStatus(const std::string &text, int64_t seconds = 1'700'000'000, long nanoseconds = 0)
    {
        makeFolder();
        const std::string path = folder() + "/statusline.json";
        writeFile(path + ".tmp", text);
        std::filesystem::rename(path + ".tmp", path);
        const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }

    // Starts the extension through the registry, as the application does.
    std::shared_ptr<ClaudeCodeExtension> enable()
    {
        store.setEnabled("claude-code", true);
        return std::dynamic_pointer_cast<ClaudeCodeExtension>(store.instance("claude-code"));
    }
    std::vector<QString> alertTexts()
    {
        time.flush();
        std::vector<QString> texts;
        for (const auto &alert : alerts)
            texts.push_back(alert.first.text);
        alerts.clear();
        return texts;
    }

    QTemporaryDir home;
    ScopedEnv homeVariable{"HOME", home.path().toStdString()};
    ScopedEnv dataVariable{"XDG_DATA_HOME", std::nullopt};
    std::vector<std::pair<ExtensionActivity, double>> alerts;
};

}  // namespace vesk::test
