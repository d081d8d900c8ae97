#include "Updater/Updater.h"

#include "Base/Log.h"
#include "Platform/BundleInfo.h"
#include "Platform/SwipeSource.h"
#include "Updater/UpdateTexts.h"

#include "VeskVersion.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>

#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace vesk {

namespace {

// The public half of the key that signs releases (Ed25519, standard Base64).
constexpr const char *kReleaseKey = "pZXbq2aUljpsCQdk6En6nU326MVkKE58KHr81ZxvCBY=";

std::optional<std::string> environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// Runs on the main thread of the Qt application, which owns every updater field.
void onMainThread(std::function<void()> fn)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

void inThread(std::function<std::function<void()>()> job)
{
    std::thread([job = std::move(job)] { onMainThread(job()); }).detach();
}

}  // namespace

std::string update_texts::couldNotInstall()
{
    return "The update couldn't be installed. Download it from " + QUrl(QStringLiteral(VESK_WEBSITE)).host().toStdString() +
           ".";
}

Updater::Config Updater::Config::live()
{
    Config c;
    c.manifestUrl = QUrl(QStringLiteral(VESK_WEBSITE "/update.json"));
    c.publicKey = kReleaseKey;
    if (const auto debugUrl = environment("VESK_DEBUG_UPDATE_URL")) {
        const QUrl url(QString::fromStdString(*debugUrl), QUrl::StrictMode);
        if (isAllowedUpdateUrl(url)) {
            c.manifestUrl = url;
            // A key of one's own only against one's own server.
            if (const auto key = environment("VESK_DEBUG_UPDATE_KEY"); key && isLoopbackUrl(url))
                c.publicKey = *key;
        } else {
            log("ignoring VESK_DEBUG_UPDATE_URL " + *debugUrl + ": only https or http to a loopback host");
        }
    }
    c.bundle = &BundleInfo::shared();
    c.folder = updatesFolder();
    c.transport = makeBundledUpdateTransport();
    c.background = inThread;
    c.install.isWritable = [](const std::string &folder) { return ::access(folder.c_str(), W_OK) == 0; };
    c.install.startSwap = [](const std::vector<std::string> &arguments) -> std::optional<std::string> {
        // A session of its own, so the swap outlives the application and whatever ends its group.
        QStringList args;
        for (const auto &a : arguments)
            args << QString::fromStdString(a);
        QProcess process;
        process.setProgram(QStringLiteral("/usr/bin/setsid"));
        process.setArguments(args);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        if (!process.startDetached())
            return process.errorString().toStdString();
        return std::nullopt;
    };
    c.install.openArchive = [](const std::string &archive) {
        onMainThread([archive] { QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(archive))); });
    };
    c.install.processID = ::getpid();
    c.wake = &swipeSource().woke;
    c.debugSwitch = environment("VESK_DEBUG_UPDATE");
    return c;
}

}  // namespace vesk
