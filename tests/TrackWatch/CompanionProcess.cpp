#include "CompanionProcess.h"

#include <QFile>

#include "TestSupport.h"

namespace vesk::test {

const char kCompanionLoader[] =
    "my $h = DynaLoader::dl_load_file($ARGV[0], 0) or die DynaLoader::dl_error();\n"
    "my $s = DynaLoader::dl_find_symbol($h, \"vesk_main\") or die \"vesk_main not found\";\n"
    "DynaLoader::dl_install_xsub(\"main::vesk_main\", $s);\n"
    "main::vesk_main();";

PrivateBus::PrivateBus()
{
    daemon_.setStandardErrorFile(QProcess::nullDevice());
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                   QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(5000))
        return;
    QByteArray line;
    waitFor([&] {
        line += daemon_.readAllStandardOutput();
        return line.contains('\n') || daemon_.state() == QProcess::NotRunning;
    });
    address_ = QString::fromUtf8(line).trimmed();
}

PrivateBus::~PrivateBus()
{
    daemon_.terminate();
    if (!daemon_.waitForFinished(2000))
        daemon_.kill();
    daemon_.waitForFinished(2000);
}

CompanionProcess::CompanionProcess(const QString &busAddress, const QString &library)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Without an address a D-Bus client may try to start a bus of its own through the display.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       busAddress.isEmpty() ? QStringLiteral("unix:path=/nonexistent/vesk-no-bus") : busAddress);
    process_.setProcessEnvironment(environment);
    const QString path = library.isEmpty() ? QStringLiteral(VESK_BUILD_DIR "/TrackWatch.so") : library;
    process_.setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { readLines(); });
    clock_.start();
    process_.start(QStringLiteral("/usr/bin/perl"),
                   {QStringLiteral("-MDynaLoader"), QStringLiteral("-e"), QString::fromUtf8(kCompanionLoader), path});
    process_.waitForStarted(5000);
}

CompanionProcess::~CompanionProcess()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(2000))
            process_.kill();
        process_.waitForFinished(2000);
    }
}

void CompanionProcess::send(const std::string &bytes)
{
    process_.write(bytes.data(), qint64(bytes.size()));
    process_.waitForBytesWritten(1000);
}

bool CompanionProcess::sendAll(const std::string &bytes, int timeoutMs)
{
    process_.write(bytes.data(), qint64(bytes.size()));
    return waitFor([&] { return process_.bytesToWrite() == 0; }, timeoutMs);
}

long CompanionProcess::peakMemoryKiB() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process_.processId()));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void CompanionProcess::closeInput()
{
    process_.closeWriteChannel();
}

void CompanionProcess::readLines()
{
    const QByteArray chunk = process_.readAllStandardOutput();
    pending_.append(chunk.constData(), std::size_t(chunk.size()));
    std::size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
        Line line{pending_.substr(0, end), nullptr, clock_.elapsed()};
        line.json = nlohmann::json::parse(line.text, nullptr, false);
        lines_.push_back(std::move(line));
        pending_.erase(0, end + 1);
    }
}

const std::vector<CompanionProcess::Line> &CompanionProcess::lines()
{
    readLines();
    return lines_;
}

int CompanionProcess::waitForLine(const std::function<bool(const nlohmann::json &)> &match, int from, int timeoutMs)
{
    int found = -1;
    waitFor([&] {
        readLines();
        for (int i = from; i < int(lines_.size()); ++i) {
            if (match(lines_[i].json)) {
                found = i;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return found;
}

bool CompanionProcess::waitForExit(int timeoutMs)
{
    return waitFor([&] { return process_.state() == QProcess::NotRunning; }, timeoutMs);
}

}  // namespace vesk::test
