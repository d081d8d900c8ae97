#pragma once

#include <QByteArray>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vesk {

// One companion child process: its standard output arrives as chunks, its standard input takes
// lines, and its end is reported once, after every chunk it wrote has been delivered. Standard
// error is discarded. Main thread only; both callbacks run on the main thread.
class CompanionProcess {
public:
    virtual ~CompanionProcess() = default;
    virtual bool isRunning() const = 0;
    // Writes the bytes to the process's standard input; false when that failed.
    virtual bool write(const QByteArray &bytes) = 0;

    std::function<void(const QByteArray &chunk)> onOutput;
    std::function<void()> onExit;
};

// Starts companion processes and knows where the companion library is.
class CompanionHost {
public:
    virtual ~CompanionHost() = default;
    // The absolute path of the companion library, or none when it is not installed.
    virtual std::optional<std::string> libraryPath() const = 0;
    // Starts `program` with `arguments`. Returns the running process, or the launch error.
    struct Launch {
        std::unique_ptr<CompanionProcess> process;
        std::string error;
    };
    virtual Launch launch(const std::string &program, const std::vector<std::string> &arguments) = 0;

    // The installed service: child processes through Qt unless a test or tool installed another.
    static CompanionHost &shared();
    static void setShared(CompanionHost *host);  // nullptr restores the real one
};

}  // namespace vesk
