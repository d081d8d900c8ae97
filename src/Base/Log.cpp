#include "Base/Log.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace vesk {

namespace {
std::mutex logMutex;
LogSink &sink()
{
    static LogSink s;
    return s;
}
}  // namespace

void log(std::string_view message)
{
    std::string line = "Vesk: ";
    line.append(message);
    std::lock_guard lock(logMutex);
    if (sink()) {
        sink()(line);
        return;
    }
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void setLogSink(LogSink s)
{
    std::lock_guard lock(logMutex);
    sink() = std::move(s);
}

}  // namespace vesk
