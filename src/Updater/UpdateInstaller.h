#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// A failure the user reads in the updater's phase.
struct UpdateFailure {
    std::string message;
};

// What a command-line tool did: it could not start (`startError`), or it ran and exited.
struct ToolResult {
    std::optional<std::string> startError;
    int status = 0;
    std::string output;  // standard output and error together, as UTF-8 (invalid: empty)
};
using ToolRunner = std::function<ToolResult(const std::string &path, const std::vector<std::string> &arguments)>;

// Runs a tool through QProcess and waits for it, its output read to the end whatever its size.
// The tool is killed when the calling thread's process ends, so a Vesk that is killed leaves no
// tool running on. Blocks: only for the install worker.
ToolResult runTool(const std::string &path, const std::vector<std::string> &arguments);

// The bytes free to an unprivileged user in the file system that holds `folder`; none when unknown.
std::optional<std::uint64_t> freeBytes(const std::string &folder);

// How many bytes the gzip stream `archive` inflates to, counted without keeping them; counting
// stops once past `stopAfter`, and at the first byte that is not gzip (tar then says what is
// wrong).
std::uint64_t inflatedSize(std::string_view archive, std::uint64_t stopAfter);

// What the install worker needs of the world; every part can be replaced by tests (CI runs as
// root, who may write anywhere).
struct InstallEnvironment {
    ToolRunner run = runTool;
    std::function<bool(const std::string &folder)> isWritable;
    // Starts the swap detached; false when it could not be started (with the reason).
    std::function<std::optional<std::string>(const std::vector<std::string> &arguments)> startSwap;
    // Hands the archive to the desktop's default handler, best effort.
    std::function<void(const std::string &archive)> openArchive;
    long long processID = 0;
    std::function<std::optional<std::uint64_t>(const std::string &folder)> freeSpace = freeBytes;
    // The most an unpacked tree may take, whatever room there is.
    std::uint64_t maxUnpackedBytes = 2ULL << 30;
};

// One verified archive and the bundle it replaces.
struct InstallPlan {
    std::string bundle;   // the running bundle's folder; empty when not run from one
    std::string archive;  // the verified archive in the private updates folder
    std::string sha256;   // the digest it was verified against
    std::int64_t build = 0;  // the manifest's build
    std::int64_t currentBuild = 0;
};

// Replaces the bundle with the tree in the archive, off the main thread: refuses a folder that is
// not a recognised bundle or not writable (handing the archive to the user), hashes the archive
// again, refuses an archive that unpacks to more than the free room (less a margin) or the cap,
// unpacks it with /bin/tar beside the bundle into a hidden folder that is removed on every way
// out, takes the first folder by name that is a bundle of ours at the manifest's build (which must
// exceed the running one), renames it to `<parent>/.Vesk-update` and starts the swap.
// Throws UpdateFailure; returns once the swap is running.
void replaceBundle(const InstallPlan &plan, const InstallEnvironment &environment);

// Removes what an install that was killed left beside a recognised bundle: unpack folders
// (`.Vesk-unpack-*`) and the staged tree (`.Vesk-update`). Blocks: for a worker.
void removeStaleInstallFolders(const std::string &bundle);

// The swap: waits (at most 60 s) for the old process to end, moves the old tree aside, the staged
// one into its place, and back again when that fails; removes the old tree only after success;
// then starts `<bundle>/bin/vesk` (the previous tree's when the bundle is gone). Paths arrive as
// positional parameters ($1 pid, $2 bundle, $3 staged, $4 previous), never inside the text.
const std::string &swapScript();
std::vector<std::string> swapArguments(long long processID, const std::string &bundle);

// The private folder that holds downloads ($XDG_CACHE_HOME/vesk/updates), and its preparation:
// created 0700; a symbolic link or a folder of another owner is refused. Empty on success, else
// a reason.
std::string updatesFolder();
std::string prepareUpdatesFolder(const std::string &folder);

// The staged-tree names beside the bundle.
std::string stagingPath(const std::string &bundle);
std::string previousPath(const std::string &bundle);

}  // namespace vesk
