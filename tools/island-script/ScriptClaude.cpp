#include "ScriptClaude.h"

#include "ScriptError.h"
#include "ScriptValues.h"

#include "Extensions/ClaudeCodeExtension.h"
#include "Extensions/ExtensionStore.h"

#include <QFile>

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace vesk;
using nlohmann::json;

namespace {

std::shared_ptr<ClaudeCodeExtension> runningClaude()
{
    return std::dynamic_pointer_cast<ClaudeCodeExtension>(ExtensionStore::shared().instance(ClaudeCodeExtension::typeInfo().id));
}

std::string pathOf(const std::string &file)
{
    const std::string folder = ClaudeCodeExtension::folder();
    if (file == "events")
        return folder + "/events.jsonl";
    if (file == "status")
        return folder + "/statusline.json";
    if (file == "previous")
        return folder + "/previous-statusline.json";
    if (file == "settings")
        return ClaudeCodeExtension::settingsPath();
    throw ScriptError("claude: FILE is events, status, previous or settings, not \"" + file + "\"");
}

void writeBytes(const std::string &path, const QByteArray &bytes, bool append)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    // In place, as `: >` then a write, or appended.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0600);
    if (fd < 0)
        throw ScriptError("claude: cannot write " + path);
    const bool whole = ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
    ::close(fd);
    if (!whole)
        throw ScriptError("claude: cannot write " + path);
}

// The status file is replaced by a rename, dated with the run's wall clock.
void replaceStatus(const std::string &path, const QByteArray &bytes, double wallNow)
{
    const std::string temporary = path + ".script-tmp";
    writeBytes(temporary, bytes, false);
    const double whole = std::floor(wallNow);
    const timespec times[2] = {{time_t(whole), long((wallNow - whole) * 1e9)}, {time_t(whole), long((wallNow - whole) * 1e9)}};
    if (::utimensat(AT_FDCWD, temporary.c_str(), times, 0) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0)
        throw ScriptError("claude: cannot replace " + path);
}

std::string limitField(const std::optional<ClaudeCodeExtension::Limit> &limit)
{
    if (!limit)
        return "none";
    return script::compact(limit->usedPercent) + "@" + (limit->resetsAt ? script::compact(*limit->resetsAt) : "none");
}

}  // namespace

ScriptClaude::ScriptClaude(ScriptWorld &world) : world_(world), wallStart_(world.time.wallNow()) {}

bool ScriptClaude::execute(const std::string &verb, const std::string &line, size_t &pos)
{
    if (verb != "claude")
        return false;
    const std::string what = script::nextWord(line, pos);
    auto noMore = [&] {
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"claude " + what + "\": " + script::rest(line, pos));
    };
    if (what == "write" || what == "append") {
        const std::string path = pathOf(script::nextWord(line, pos));
        const QByteArray bytes = script::bytesArgument(line, pos, "claude " + what);
        noMore();
        if (path == pathOf("status")) {
            QByteArray whole = bytes;
            if (what == "append") {
                QFile old(QString::fromStdString(path));
                if (old.open(QIODevice::ReadOnly))
                    whole = old.readAll() + bytes;
            }
            replaceStatus(path, whole, world_.time.wallNow());
        } else {
            writeBytes(path, bytes, what == "append");
        }
    } else if (what == "remove") {
        const std::string path = pathOf(script::nextWord(line, pos));
        noMore();
        ::unlink(path.c_str());
    } else if (what == "event") {
        const std::string name = script::nextWord(line, pos);
        if (name.empty())
            throw ScriptError("claude event needs an event name");
        const json data = script::nextJson(line, pos);
        noMore();
        const std::string envelope = "{\"event\":" + json(name).dump() + ",\"at\":"
            + std::to_string(int64_t(std::floor(world_.time.wallNow()))) + ",\"data\":" + data.dump() + "}\n";
        writeBytes(pathOf("events"), QByteArray::fromStdString(envelope), true);
    } else if (what == "connect" || what == "disconnect") {
        noMore();
        const auto claude = runningClaude();
        if (!claude)
            throw ScriptError("claude " + what + " needs Claude Code running: \"enable claude-code\" first");
        try {
            if (what == "connect")
                claude->connect();
            else
                claude->disconnect();
            error_.reset();
        } catch (const std::exception &error) {
            error_ = error.what();
        }
    } else {
        throw ScriptError("claude takes write, append, remove, event, connect or disconnect");
    }
    return true;
}

void ScriptClaude::addFields(std::map<std::string, std::string> &f) const
{
    const auto claude = runningClaude();
    const char *names[] = {"sessions", "fiveHour", "weekly", "updated", "connected", "offset", "error"};
    if (!claude) {
        for (const char *name : names)
            f[std::string("claude.") + name] = "none";
        return;
    }
    std::string sessions;
    for (const auto &session : claude->sessions.peek()) {
        std::string state = "done";
        if (std::holds_alternative<ClaudeCodeExtension::Working>(session.state))
            state = "working";
        else if (const auto *waiting = std::get_if<ClaudeCodeExtension::Waiting>(&session.state))
            state = "waiting:" + script::jsonString(waiting->message);
        sessions += (sessions.empty() ? "" : ",") + session.id + "/" + session.project + "/" + state;
    }
    f["claude.sessions"] = sessions.empty() ? "none" : sessions;
    f["claude.fiveHour"] = limitField(claude->fiveHour.peek());
    f["claude.weekly"] = limitField(claude->weekly.peek());
    const auto updated = claude->limitsUpdated.peek();
    f["claude.updated"] = updated ? script::compact(updated->toSeconds() - wallStart_) : "none";
    f["claude.connected"] = claude->isConnected.peek() ? "true" : "false";
    f["claude.offset"] = script::compact(double(claude->readOffset()));
    f["claude.error"] = error_ ? script::jsonString(*error_) : "none";
}
