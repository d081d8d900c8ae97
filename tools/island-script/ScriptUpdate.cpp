#include "ScriptUpdate.h"

#include "ScriptError.h"
#include "ScriptValues.h"

#include "App/SettingsHost.h"
#include "Model/Defaults.h"
#include "Platform/BundleInfo.h"
#include "Updater/UpdateInstaller.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace vesk;

namespace {

using Kind = SimUpdateTransport::Reply::Kind;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw ScriptError("cannot write " + path.toStdString());
}

// An Info.json of ours; a missing entry is left out.
QByteArray bundleInfo(const std::optional<std::string> &version, const std::optional<std::string> &build)
{
    nlohmann::json info{{"identifier", BundleInfo::identifier}};
    if (version)
        info["version"] = *version;
    if (build)
        info["build"] = *build;
    return QByteArray::fromStdString(info.dump());
}

// Our tree at `build` in the unpack folder, as tar would leave it.
ToolResult tree(const std::string &into, long long build)
{
    const QString root = QString::fromStdString(into) + "/Vesk";
    writeFile(root + "/Info.json", bundleInfo("1.0." + std::to_string(build), std::to_string(build)));
    writeFile(root + "/bin/vesk", "#!/bin/sh\n");
    return {};
}

QByteArray readFile(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw ScriptError("cannot read " + path);
    return file.readAll();
}

}  // namespace

ScriptUpdate::ScriptUpdate(ScriptWorld &world) : world_(world)
{
    sim_.unpack = [this](const std::string &into) { return tree(into, manifestBuild_); };
}

ScriptUpdate::~ScriptUpdate()
{
    if (updater_)
        Updater::setShared(nullptr);
}

void ScriptUpdate::makeUpdater()
{
    const QString home = QDir::homePath();
    const std::string bundle = (home + "/Apps/Vesk").toStdString();
    writeFile(QString::fromStdString(bundle) + "/Info.json",
              bundleInfo(hasVersion_ ? std::optional(bundleVersion_) : std::nullopt,
                         hasBuild_ ? std::optional(bundleBuild_) : std::nullopt));
    sim_.bundle.setPath(bundle);
    sim_.bundle.setVersion(hasVersion_ ? nlohmann::json(bundleVersion_) : nlohmann::json());
    sim_.bundle.setBuild(hasBuild_ ? nlohmann::json(bundleBuild_) : nlohmann::json());
    // The environment's switches as the application reads them, on the simulated world.
    Updater::Config live = Updater::Config::live();
    Updater::Config config = sim_.config(updatesFolder());
    config.manifestUrl = live.manifestUrl;
    config.publicKey = live.publicKey;
    config.debugSwitch = live.debugSwitch;
    updater_ = std::make_unique<Updater>(std::move(config));
    updater_->useSettings({settings::automaticUpdates, settings::installUpdatesAutomatically});
    // As the application does: the islands close, and 0.4 s later it asks to terminate.
    updater_->quitGracefully = [this] {
        quit_ = true;
        quitItem_ = vesk::mainQueue().after(0.4, [this] {
            vesk::SettingsHost *host = world_.settingsHost ? world_.settingsHost() : nullptr;
            if (host && host->terminate)
                host->terminate();
        });
    };
    Updater::setShared(updater_.get());
}

bool ScriptUpdate::execute(const std::string &verb, const std::string &line, size_t &pos)
{
    if (verb == "start" && !world_.started()) {
        makeUpdater();
        return false;  // the runner starts the islands
    }
    if (verb == "bundle") {
        world_.requireNotStarted(verb);
        bundleVerb(line, pos);
        return true;
    }
    if (verb != "serve" && verb != "update")
        return false;
    world_.requireStarted(verb);
    if (verb == "serve")
        serveVerb(line, pos);
    else
        updateVerb(line, pos);
    return true;
}

void ScriptUpdate::bundleVerb(const std::string &line, size_t &pos)
{
    const std::string version = script::nextWord(line, pos);
    const std::string build = script::nextWord(line, pos);
    if (version.empty() || build.empty() || !script::rest(line, pos).empty())
        throw ScriptError("bundle takes VERSION BUILD (\"-\" leaves one out)");
    hasVersion_ = version != "-";
    hasBuild_ = build != "-";
    bundleVersion_ = version;
    bundleBuild_ = build;
}

void ScriptUpdate::serveVerb(const std::string &line, size_t &pos)
{
    const std::string what = script::nextWord(line, pos);
    const std::string kind = script::nextWord(line, pos);
    if (what.empty() || kind.empty())
        throw ScriptError("serve takes manifest|URL and body TEXT, file PATH, nolength PATH, error or stall");
    const QUrl url = what == "manifest" ? updater_->config().manifestUrl : QUrl(QString::fromStdString(what));
    SimUpdateTransport::Reply reply;
    auto path = [&] {
        const std::string file = script::rest(line, pos);
        if (file.empty())
            throw ScriptError("serve " + kind + " needs a file");
        return file.front() == '/' ? file : world_.folder() + "/" + file;
    };
    if (kind == "body") {
        reply.bytes = QByteArray::fromStdString(script::rest(line, pos));
    } else if (kind == "file" || kind == "nolength") {
        reply.kind = kind == "file" ? Kind::body : Kind::noLength;
        reply.bytes = readFile(path());
    } else if (kind == "error" || kind == "stall") {
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"serve " + what + " " + kind + "\"");
        reply.kind = kind == "error" ? Kind::error : Kind::stall;
    } else {
        throw ScriptError("serve takes body TEXT, file PATH, nolength PATH, error or stall");
    }
    if (what == "manifest") {
        // The tree that `update unpack ok` leaves is at the manifest's build.
        const auto manifest = UpdateManifest::decode(reply.bytes.toStdString());
        if (manifest)
            manifestBuild_ = manifest->build;
    }
    sim_.transport->serve(url, std::move(reply));
}

void ScriptUpdate::updateVerb(const std::string &line, size_t &pos)
{
    Updater &u = *updater_;
    const std::string what = script::nextWord(line, pos);
    const std::string argument = script::nextWord(line, pos);
    auto noMore = [&] {
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"update " + what + "\"");
    };
    auto noArgument = [&] {
        if (!argument.empty())
            throw ScriptError("unexpected text after \"update " + what + "\": " + argument);
    };
    if (what == "on") {
        noArgument();
        u.showReady("1.0." + std::to_string(u.currentBuild() + 1), std::nullopt, false);
    } else if (what == "off") {
        noArgument();
        u.setPhase(Updater::Phase::idle());
        u.setWhatsNew(std::nullopt);
    } else if (what == "start" || what == "wake" || what == "later" || what == "install" || what == "nice") {
        noArgument();
        if (what == "start")
            u.start();
        else if (what == "wake")
            sim_.wake();
        else if (what == "later")
            u.postpone();
        else if (what == "install")
            u.install();
        else
            u.setWhatsNew(std::nullopt);
    } else if (what == "check") {
        if (!argument.empty() && argument != "manual")
            throw ScriptError("update check takes nothing or \"manual\"");
        u.check(argument == "manual");
    } else if (what == "key") {
        if (argument.empty())
            throw ScriptError("update key takes a Base64 public key");
        u.usePublicKey(argument);
    } else if (what == "folder") {
        if (argument != "writable" && argument != "readonly")
            throw ScriptError("update folder takes \"writable\" or \"readonly\"");
        sim_.writable = argument == "writable";
    } else if (what == "unpack") {
        if (argument == "ok") {
            sim_.unpack = [this](const std::string &into) { return tree(into, manifestBuild_); };
        } else if (argument == "empty") {
            sim_.unpack = [](const std::string &into) {
                writeFile(QString::fromStdString(into) + "/Readme", "not a bundle");
                return ToolResult{};
            };
        } else if (argument == "build") {
            const long long build = script::integer(script::nextWord(line, pos));
            sim_.unpack = [build](const std::string &into) { return tree(into, build); };
        } else if (argument == "fail") {
            const std::string text = script::rest(line, pos);
            pos = line.size();
            sim_.unpack = [text](const std::string &) { return ToolResult{std::nullopt, 2, text}; };
        } else {
            throw ScriptError("update unpack takes ok, empty, build N or fail TEXT");
        }
    } else {
        throw ScriptError("update takes on, off, phase JSON, start, check [manual], wake, later, install, nice, "
                          "key BASE64, folder writable|readonly or unpack ok|empty|build N|fail TEXT");
    }
    noMore();
}

void ScriptUpdate::addFields(std::map<std::string, std::string> &f) const
{
    const double wallNow = world_.time.wallNow();
    auto flag = [](bool b) { return std::string(b ? "true" : "false"); };
    if (!updater_) {
        for (const char *name : {"phase", "version", "progress", "message", "postponed", "installsIn", "whatsNew",
                                 "notes", "image", "wantsIsland", "gets", "quit"})
            f[name] = "none";
        return;
    }
    const Updater &u = *updater_;
    const Updater::Phase &phase = u.phase().peek();
    using Case = Updater::Phase::Case;
    const bool hasVersion = phase.kind == Case::downloading || phase.kind == Case::ready || phase.kind == Case::installing;
    f["phase"] = phase.caseName();
    f["version"] = hasVersion ? phase.version : "none";
    f["progress"] = phase.kind == Case::downloading ? script::compact(phase.progress) : "none";
    f["message"] = phase.kind == Case::failed ? script::jsonString(phase.message) : "none";
    f["postponed"] = flag(u.isPostponed().peek());
    const auto &at = u.installsAt().peek();
    f["installsIn"] = at ? script::compact(*at - wallNow) : "none";
    const auto &record = u.whatsNew().peek();
    f["whatsNew"] = record ? record->version : "none";
    f["notes"] = std::to_string(u.notes().peek().size());
    const auto &image = u.downloadedImage().peek();
    f["image"] = image ? QFileInfo(QString::fromStdString(*image)).fileName().toStdString() : "none";
    f["wantsIsland"] = flag(u.wantsIsland().peek());
    f["gets"] = std::to_string(u.requestCount());
    f["quit"] = flag(quit_);
}
