#include "Platform/sim/SimCompanionHost.h"

namespace vesk {

class SimCompanionHost::Process final : public CompanionProcess {
public:
    Process(std::shared_ptr<Process *> current, std::vector<std::string> &writes)
        : current_(std::move(current)), writes_(writes)
    {
        *current_ = this;
    }
    ~Process() override
    {
        if (*current_ == this)
            *current_ = nullptr;
    }
    bool isRunning() const override { return running; }
    bool write(const QByteArray &bytes) override
    {
        if (!running)
            return false;
        QByteArray line = bytes;
        if (line.endsWith('\n'))
            line.chop(1);
        writes_.push_back(line.toStdString());
        return true;
    }
    bool running = true;

private:
    std::shared_ptr<Process *> current_;
    std::vector<std::string> &writes_;
};

std::optional<std::string> SimCompanionHost::libraryPath() const
{
    if (outcome_ == Outcome::missing)
        return std::nullopt;
    return std::string("/usr/lib/vesk/TrackWatch.so");
}

CompanionHost::Launch SimCompanionHost::launch(const std::string &program, const std::vector<std::string> &arguments)
{
    launches_.push_back({program, arguments});
    if (outcome_ != Outcome::ok)
        return {nullptr, "The simulated launch failed."};
    return {std::make_unique<Process>(current_, writes_), {}};
}

bool SimCompanionHost::isRunning() const { return *current_ && (*current_)->running; }

bool SimCompanionHost::emitOutput(const QByteArray &bytes)
{
    Process *process = *current_;
    if (!process || !process->running)
        return false;
    if (process->onOutput)
        process->onOutput(bytes);
    return true;
}

bool SimCompanionHost::exit()
{
    Process *process = *current_;
    if (!process || !process->running)
        return false;
    process->running = false;
    *current_ = nullptr;
    if (auto onExit = process->onExit)
        onExit();
    return true;
}

}  // namespace vesk
