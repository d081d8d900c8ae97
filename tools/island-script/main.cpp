// island-script: runs the island models on the simulated platform and a virtual clock from a
// script, so island behaviour can be checked scenario by scenario.
//
//   island-script FILE.script      (or "-" for standard input)
//
// Exit status: 0 when every expectation held, 1 when one failed, 2 on a script error.

#include "ScriptRunner.h"

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

extern char **environ;

namespace {

// A private folder for the run's home, with a runtime folder inside; removed at exit.
struct TemporaryHome {
    std::string path;
    std::string runtime;
    TemporaryHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "island-script-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path = pattern;
        else
            path = std::filesystem::temp_directory_path().string();
        runtime = path + "/runtime";
        std::filesystem::create_directories(runtime);
        ::chmod(runtime.c_str(), 0700);
    }
    ~TemporaryHome()
    {
        std::error_code ignored;
        if (path.find("island-script-") != std::string::npos)
            std::filesystem::remove_all(path, ignored);
    }
};

// Runs start from the same place whatever the caller's environment holds.
void prepareEnvironment()
{
    std::vector<std::string> inherited;
    for (char **entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "VESK_", 5) == 0)
            inherited.emplace_back(*entry, std::strchr(*entry, '=') - *entry);
    }
    for (const auto &name : inherited)
        ::unsetenv(name.c_str());
    // A fresh empty home for every run, so nothing a run starts touches the user's files.
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        ::unsetenv(name);
    static TemporaryHome home;
    ::setenv("HOME", home.path.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.runtime.c_str(), 1);
    ::setenv("TZ", "UTC", 1);
    ::setenv("LC_ALL", "C.UTF-8", 1);
    ::tzset();
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: island-script FILE.script\n";
        return 2;
    }
    prepareEnvironment();
    QApplication app(argc, argv);

    const std::string path = argv[1];
    std::ifstream file;
    std::istream *in = &std::cin;
    if (path != "-") {
        file.open(path);
        if (!file) {
            std::cerr << path << ": cannot be read\n";
            return 2;
        }
        in = &file;
    }
    ScriptRunner runner(std::cout, std::cerr);
    return runner.run(*in, path);
}
