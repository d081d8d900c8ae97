#pragma once

// TrackWatch run as the application runs it: /usr/bin/perl with the loader text and the library's
// path, commands written to its input, JSON lines read from its output.

#include <QElapsedTimer>
#include <QProcess>
#include <QString>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace vesk::test {

// The loader text the application passes to perl, exactly.
extern const char kCompanionLoader[];

// A session bus of a test's own, so that players of tests running at the same time stay apart.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    QString address() const { return address_; }
    bool isUp() const { return !address_.isEmpty(); }

private:
    QProcess daemon_;
    QString address_;
};

class CompanionProcess {
public:
    struct Line {
        std::string text;
        nlohmann::json json;  // discarded when the text is not JSON
        qint64 receivedMs;    // on clock()
    };

    // Starts perl on `library` (default: the build tree's TrackWatch.so), with the session bus at
    // `busAddress` (an empty address: no session bus at all).
    explicit CompanionProcess(const QString &busAddress, const QString &library = QString());
    ~CompanionProcess();

    void send(const std::string &bytes);  // written as given; add the line feed yourself
    // Writes a large input and waits (processing events) until the process has taken all of it
    // into its pipe; false when that did not happen within the time.
    bool sendAll(const std::string &bytes, int timeoutMs);
    // The process's peak resident memory (VmHWM) in KiB, or -1 when it cannot be read.
    long peakMemoryKiB() const;
    void closeInput();

    // Waits (processing events) until a line after index `from` satisfies `match`; its index or -1.
    int waitForLine(const std::function<bool(const nlohmann::json &)> &match, int from = 0, int timeoutMs = 5000);
    bool waitForExit(int timeoutMs = 5000);

    const std::vector<Line> &lines();
    int exitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return process_.exitStatus(); }
    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    const QElapsedTimer &clock() const { return clock_; }

private:
    void readLines();

    QProcess process_;
    QElapsedTimer clock_;
    std::string pending_;
    std::vector<Line> lines_;
};

}  // namespace vesk::test
