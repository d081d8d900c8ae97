#include "Updater/UpdateInstaller.h"

#include "Base/Log.h"
#include "Platform/BundleInfo.h"
#include "Platform/XdgFolders.h"
#include "Updater/UpdateTexts.h"
#include "Updater/UpdateVerifier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QUuid>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <limits>

namespace vesk {

namespace {

QString q(const std::string &s) { return QString::fromStdString(s); }

std::string parentOf(const std::string &path) { return QFileInfo(q(path)).absolutePath().toStdString(); }

// Removes a folder and everything in it when it goes out of scope, however the install ends.
class RemovedOnExit {
public:
    explicit RemovedOnExit(std::string path) : path_(std::move(path)) {}
    ~RemovedOnExit() { QDir(q(path_)).removeRecursively(); }
    RemovedOnExit(const RemovedOnExit &) = delete;
    RemovedOnExit &operator=(const RemovedOnExit &) = delete;

private:
    std::string path_;
};

// Removes whatever is at `path`: a link or a file itself (never what a link points to), a folder
// with everything in it.
void removeEntry(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode))
        QDir(q(path)).removeRecursively();
    else
        ::unlink(path.c_str());
}

// Runs a tool; a non-zero exit is logged with its output and becomes the download-it-yourself
// message, a tool that cannot start gives the system's reason.
std::string runOrThrow(const InstallEnvironment &env, const std::string &path, const std::vector<std::string> &args)
{
    ToolResult result = env.run(path, args);
    if (result.startError)
        throw UpdateFailure{*result.startError};
    if (result.status != 0) {
        log("update install failed: " + result.output);
        throw UpdateFailure{update_texts::couldNotInstall()};
    }
    return result.output;
}

std::optional<std::string> readWhole(const std::string &path, std::string &bytes)
{
    QFile file(q(path));
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString().toStdString();
    const QByteArray all = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return file.errorString().toStdString();
    bytes.assign(all.constData(), std::size_t(all.size()));
    return std::nullopt;
}

// The first entry of `folder` by name, hidden ones included, that is a folder (not a link to one)
// holding our Info.json; its record's build.
std::optional<std::pair<std::string, std::int64_t>> findBundle(const std::string &folder)
{
    const QDir dir(q(folder));
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink() || !entry.isDir())
            continue;
        const std::string path = entry.absoluteFilePath().toStdString();
        if (auto record = readBundleFolder(path))
            return std::make_pair(path, bundleBuild(record->build));
    }
    return std::nullopt;
}

}  // namespace

ToolResult runTool(const std::string &path, const std::vector<std::string> &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        // The signal comes when the thread that started the tool ends, which waits for it here;
        // a parent that died before this call is seen as a new parent.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
    });
    QStringList args;
    for (const auto &a : arguments)
        args << q(a);
    process.start(q(path), args);
    ToolResult result;
    if (!process.waitForStarted(-1)) {
        result.startError = process.errorString().toStdString();
        return result;
    }
    QByteArray output;
    // Reading as it comes keeps a tool that writes more than a pipe holds from blocking.
    while (!process.waitForFinished(100))
        output += process.readAll();
    output += process.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(output);
    result.output = decoder.hasError() ? std::string() : text.toStdString();
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

std::optional<std::uint64_t> freeBytes(const std::string &folder)
{
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0)
        return std::nullopt;
    return std::uint64_t(info.f_bavail) * std::uint64_t(info.f_frsize);
}

std::uint64_t inflatedSize(std::string_view archive, std::uint64_t stopAfter)
{
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)  // gzip framing
        return 0;
    std::uint64_t total = 0;
    std::array<unsigned char, 64 * 1024> out;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(archive.data()));
    stream.avail_in = uInt(std::min<std::size_t>(archive.size(), std::numeric_limits<uInt>::max()));
    std::size_t fed = stream.avail_in;
    while (total <= stopAfter) {
        stream.next_out = out.data();
        stream.avail_out = uInt(out.size());
        const int result = inflate(&stream, Z_NO_FLUSH);
        total += out.size() - stream.avail_out;
        if (result == Z_STREAM_END) {
            // gzip allows members one after the other; tar reads them as one stream.
            if (stream.avail_in == 0 && fed == archive.size())
                break;
            if (inflateReset(&stream) != Z_OK)
                break;
        } else if (result != Z_OK) {
            break;
        }
        if (stream.avail_in == 0 && fed < archive.size()) {
            const std::size_t next = std::min<std::size_t>(archive.size() - fed, std::numeric_limits<uInt>::max());
            stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(archive.data() + fed));
            stream.avail_in = uInt(next);
            fed += next;
        } else if (stream.avail_in == 0 && stream.avail_out != 0) {
            break;  // nothing more to read and nothing more came out: the stream was cut short
        }
    }
    inflateEnd(&stream);
    return total;
}

const std::string &swapScript()
{
    static const std::string script = R"(pid=$1 bundle=$2 staged=$3 previous=$4
waited=0
while kill -0 "$pid" 2>/dev/null; do
  if [ "$waited" -ge 300 ]; then rm -rf -- "$staged"; exit 1; fi
  waited=$((waited + 1))
  sleep 0.2
done
rm -rf -- "$previous"
if mv -T -- "$bundle" "$previous"; then
  if mv -T -- "$staged" "$bundle"; then
    rm -rf -- "$previous"
  else
    mv -T -- "$previous" "$bundle"
  fi
fi
rm -rf -- "$staged"
if [ -d "$bundle" ]; then start=$bundle; else start=$previous; fi
exec "$start/bin/vesk" </dev/null >/dev/null 2>&1)";
    return script;
}

std::string stagingPath(const std::string &bundle) { return parentOf(bundle) + "/.Vesk-update"; }

std::string previousPath(const std::string &bundle) { return parentOf(bundle) + "/.Vesk-previous"; }

std::vector<std::string> swapArguments(long long processID, const std::string &bundle)
{
    return {"/bin/sh", "-c", swapScript(), "sh", std::to_string(processID), bundle, stagingPath(bundle),
            previousPath(bundle)};
}

std::string updatesFolder() { return xdgUserFolder("XDG_CACHE_HOME", ".cache") + "/vesk/updates"; }

std::string prepareUpdatesFolder(const std::string &folder)
{
    const std::string parent = parentOf(folder);
    if (!QDir().mkpath(q(parent)))
        return "could not create " + parent;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return std::strerror(errno);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return std::strerror(errno);
    if (S_ISLNK(info.st_mode) || !S_ISDIR(info.st_mode))
        return folder + " is not a folder";
    if (info.st_uid != ::geteuid())
        return folder + " belongs to another user";
    if ((info.st_mode & 0777) != 0700 && ::chmod(folder.c_str(), 0700) != 0)
        return std::strerror(errno);
    return {};
}

void removeStaleInstallFolders(const std::string &bundle)
{
    if (bundle.empty() || !readBundleFolder(bundle))
        return;
    const QString parent = q(parentOf(bundle));
    const QString self = QFileInfo(q(bundle)).absoluteFilePath();
    const QStringList stale = QDir(parent).entryList({QStringLiteral(".Vesk-unpack-*"), QStringLiteral(".Vesk-update")},
                                                     QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : stale) {
        const QString path = parent + QLatin1Char('/') + name;
        if (path == self)
            continue;
        log("removing " + path.toStdString() + ", left by an update that did not finish");
        removeEntry(path.toStdString());
    }
}

void replaceBundle(const InstallPlan &plan, const InstallEnvironment &env)
{
    // Only a tree we recognise as ours is replaced; anything else (a /usr install, a tree whose
    // Info.json went missing) gets the archive handed to the user.
    const bool recognised = !plan.bundle.empty() && readBundleFolder(plan.bundle).has_value();
    const std::string parent = recognised ? parentOf(plan.bundle) : std::string();
    if (!recognised || !env.isWritable(parent)) {
        if (env.openArchive)
            env.openArchive(plan.archive);
        throw UpdateFailure{update_texts::cannotUpdateHere};
    }

    // The archive sat in a folder of ours since it was verified; its bytes are checked again
    // before anything is unpacked from it.
    std::string bytes;
    if (auto error = readWhole(plan.archive, bytes))
        throw UpdateFailure{*error};
    if (hexDigest(sha256Digest(bytes)) != plan.sha256)
        throw UpdateFailure{update_texts::notVerified};

    // tar would stop only when the disk is full: the tree must fit, with room to spare for the
    // file system's own blocks, before anything is unpacked.
    const std::uint64_t room = [&] {
        const auto free = env.freeSpace ? env.freeSpace(parent) : std::nullopt;
        const std::uint64_t margin = 64ULL << 20;
        if (!free)
            return env.maxUnpackedBytes;
        return std::min(env.maxUnpackedBytes, *free > margin ? *free - margin : 0);
    }();
    if (const std::uint64_t size = inflatedSize(bytes, room); size > room) {
        log("update install failed: the archive unpacks to more than the " + std::to_string(room)
            + " bytes there is room for beside " + plan.bundle);
        throw UpdateFailure{update_texts::couldNotInstall()};
    }
    bytes.clear();
    bytes.shrink_to_fit();

    const std::string unpack =
        parent + "/.Vesk-unpack-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    if (::mkdir(unpack.c_str(), 0700) != 0)
        throw UpdateFailure{std::strerror(errno)};
    const RemovedOnExit cleanup(unpack);
    runOrThrow(env, "/bin/tar", {"-x", "-z", "-f", plan.archive, "-C", unpack, "--no-same-owner"});

    const auto found = findBundle(unpack);
    if (!found)
        throw UpdateFailure{update_texts::notContained};
    // The tree must be the build the signed manifest announced, and newer than ours: an old
    // signed release cannot be replayed, nor the running build installed over itself in a loop.
    if (found->second != plan.build || found->second <= plan.currentBuild)
        throw UpdateFailure{update_texts::notVerified};

    const std::string staged = stagingPath(plan.bundle);
    removeEntry(staged);
    if (std::rename(found->first.c_str(), staged.c_str()) != 0)
        throw UpdateFailure{std::strerror(errno)};
    if (auto error = env.startSwap(swapArguments(env.processID, plan.bundle))) {
        removeEntry(staged);
        throw UpdateFailure{*error};
    }
}

}  // namespace vesk
