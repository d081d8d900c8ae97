// island-script: runs the island models on the simulated platform and a virtual clock from a
// script, so island behaviour can be checked scenario by scenario.
//
//   island-script FILE.script      (or "-" for standard input)
//
// Exit status: 0 when every expectation held, 1 when one failed, 2 on a script error.

#include "ScriptRunner.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

extern char **environ;

namespace {

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
    QGuiApplication app(argc, argv);

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
