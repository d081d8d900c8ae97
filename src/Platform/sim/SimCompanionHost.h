#pragma once

#include "Platform/CompanionHost.h"

#include <memory>

namespace vesk {

// A simulated companion: records launches and the lines written to it, and lets a test play the
// process's part (output, exit). Launches succeed unless told otherwise.
class SimCompanionHost final : public CompanionHost {
public:
    enum class Outcome { ok, fail, missing };
    struct LaunchRecord {
        std::string program;
        std::vector<std::string> arguments;
    };

    std::optional<std::string> libraryPath() const override;
    Launch launch(const std::string &program, const std::vector<std::string> &arguments) override;

    // How later launches go; `missing` also hides the library.
    void setOutcome(Outcome outcome) { outcome_ = outcome; }
    // The running process, if any.
    bool isRunning() const;
    // These bytes as one read of the running process's output; false when none runs.
    bool emitOutput(const QByteArray &bytes);
    // The running process ends; false when none runs.
    bool exit();

    const std::vector<LaunchRecord> &launches() const { return launches_; }
    const std::vector<std::string> &writes() const { return writes_; }

private:
    class Process;
    Outcome outcome_ = Outcome::ok;
    std::vector<LaunchRecord> launches_;
    std::vector<std::string> writes_;
    std::shared_ptr<Process *> current_ = std::make_shared<Process *>(nullptr);
};

}  // namespace vesk
