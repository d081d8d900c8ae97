#pragma once

// Small helpers shared by the tests.

#include "Base/Log.h"
#include "Platform/UserDefaults.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vesk::test {

// Settings for keys a test makes up, with false, 0 or "" as their own defaults.
inline Setting<bool> boolSetting(const char *key) { return {key, false}; }
inline Setting<double> doubleSetting(const char *key) { return {key, 0.0}; }
inline Setting<std::string> stringSetting(const char *key) { return {key, ""}; }


// Sets (or unsets) an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char *name, std::optional<std::string> value) : name_(name)
    {
        if (const char *old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

// Captures "Vesk: " lines for the lifetime of the object.
class CapturedLog {
public:
    CapturedLog()
    {
        setLogSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~CapturedLog() { setLogSink(nullptr); }
    std::vector<std::string> lines;
};

// Integration tests wait for an event with a deadline, never for a fixed time.
inline bool waitFor(const std::function<bool()> &condition, int timeoutMs = 10000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Runs a command-line tool and returns its trimmed standard output, or none when it failed.
inline std::optional<QString> runTool(const QString &program, const QStringList &args, int timeoutMs = 10000)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Signals one process of a test's own. An ended QProcess reports the id 0, and kill(0, ...) would
// signal the whole process group, the test runner included: ids below 1 are refused.
inline bool signalProcess(qint64 pid, int sig) { return pid > 0 && ::kill(pid_t(pid), sig) == 0; }

// pactl's output, or none when it failed.
inline std::optional<QString> pactl(const QStringList &args) { return runTool(QStringLiteral("pactl"), args); }

}  // namespace vesk::test
