#include "Platform/linux/QtCompanionHost.h"

#include "Platform/BundledLibrary.h"

#include <QProcess>

namespace vesk {

namespace {

class QtCompanionProcess final : public CompanionProcess {
public:
    explicit QtCompanionProcess(QProcess *process) : process_(process)
    {
        QObject::connect(process_, &QProcess::readyReadStandardOutput, process_, [this] { deliver(); });
        QObject::connect(process_, &QProcess::finished, process_, [this] {
            // Everything the process wrote is handled before its end.
            deliver();
            if (onExit)
                onExit();
        });
    }
    ~QtCompanionProcess() override
    {
        // Closing our end of its input ends the companion; the object goes on a later turn,
        // since this may run inside one of its own signals.
        process_->disconnect();
        process_->closeWriteChannel();
        process_->deleteLater();
    }

    bool isRunning() const override { return process_->state() == QProcess::Running; }
    bool write(const QByteArray &bytes) override { return process_->write(bytes) == bytes.size(); }

private:
    void deliver()
    {
        const QByteArray chunk = process_->readAllStandardOutput();
        if (!chunk.isEmpty() && onOutput)
            onOutput(chunk);
    }
    QProcess *process_;
};

}  // namespace

std::optional<std::string> QtCompanionHost::libraryPath() const
{
    return bundledLibraryPath(QStringLiteral("TrackWatch.so"));
}

CompanionHost::Launch QtCompanionHost::launch(const std::string &program, const std::vector<std::string> &arguments)
{
    auto *process = new QProcess;
    process->setStandardErrorFile(QProcess::nullDevice());
    QStringList list;
    for (const auto &argument : arguments)
        list << QString::fromStdString(argument);
    process->start(QString::fromStdString(program), list);
    if (!process->waitForStarted(5000)) {
        Launch failed{nullptr, process->errorString().toStdString()};
        process->kill();
        process->deleteLater();
        return failed;
    }
    return {std::make_unique<QtCompanionProcess>(process), {}};
}

}  // namespace vesk
