#include "ClaudeCodeSupport.h"

#include "Platform/AtomicFile.h"

using namespace vesk;
using nlohmann::json;
using CC = ClaudeCodeExtension;

namespace {

class ClaudeCodeInstallerTest : public test::ClaudeCodeTest {
protected:
    json settingsJson() const { return json::parse(readFile(settings())); }
    void writeSettings(const std::string &text)
    {
        std::filesystem::create_directories(home.path().toStdString() + "/.claude");
        writeFile(settings(), text);
    }
    std::string hookPath() const { return folder() + "/hook.sh"; }
    std::string statusPath() const { return folder() + "/statusline.sh"; }
    std::string previous() const { return readFile(folder() + "/previous-statusline.json"); }
    std::string hookCommand(const std::string &event) const
    {
        const std::string q = CC::shellQuoted(hookPath());
        return "[ -f " + q + " ] && /bin/sh " + q + " " + event + " || true";
    }
    // The error a call throws, as its description.
    static std::string failure(const std::function<void()> &call)
    {
        try {
            call();
        } catch (const std::exception &error) {
            return error.what();
        }
        return "";
    }
    static constexpr const char *unreadable = "Claude Code's settings.json couldn't be read, so nothing was changed.";
    CC claude;
};

TEST_F(ClaudeCodeInstallerTest, ConnectingFromNothing)
{
    ASSERT_FALSE(exists(home.path().toStdString() + "/.claude"));
    EXPECT_FALSE(CC::isInstalled());
    claude.connect();
    EXPECT_TRUE(claude.isConnected.peek());
    EXPECT_TRUE(CC::isInstalled());
    EXPECT_EQ(readFile(hookPath()), CC::hookSource());
    EXPECT_EQ(readFile(statusPath()), CC::statusSource());
    EXPECT_EQ(modeOf(hookPath()), 0644u);
    EXPECT_EQ(modeOf(statusPath()), 0644u);
    EXPECT_EQ(modeOf(events()), 0600u);
    EXPECT_EQ(modeOf(folder() + "/previous-statusline.json"), 0600u);
    EXPECT_EQ(modeOf(settings()), 0600u);
    EXPECT_EQ(previous(), "{}");
    EXPECT_FALSE(exists(settings() + ".vesk-backup"));

    const json s = settingsJson();
    const std::string q = CC::shellQuoted(statusPath());
    EXPECT_EQ(s["statusLine"], (json{{"type", "command"}, {"command", "if [ -f " + q + " ]; then /bin/sh " + q + "; else true; fi"}}));
    ASSERT_EQ(s["hooks"].size(), 7u);
    for (const auto &event : CC::hookEvents()) {
        ASSERT_EQ(s["hooks"][event].size(), 1u) << event;
        const json &entry = s["hooks"][event][0];
        EXPECT_EQ(entry["hooks"], json::array({json{{"type", "command"}, {"command", hookCommand(event)}}}));
        EXPECT_EQ(entry.contains("matcher"), event == "PreToolUse" || event == "PostToolUse") << event;
        if (entry.contains("matcher")) {
            EXPECT_EQ(entry["matcher"], "*");
        }
    }
    EXPECT_EQ(s.size(), 2u);
}

TEST_F(ClaudeCodeInstallerTest, TheUsersStatusLineIsKeptAndFallenBackTo)
{
    const std::string original = "{\"statusLine\": {\"type\": \"command\", \"command\": \"echo it's\", \"padding\": 0}}";
    writeSettings(original);
    claude.connect();
    EXPECT_EQ(readFile(settings() + ".vesk-backup"), original);
    EXPECT_EQ(previous(), R"({"command":"echo it's","padding":0,"type":"command"})");
    const json line = settingsJson()["statusLine"];
    EXPECT_EQ(line["padding"], 0);
    const std::string q = CC::shellQuoted(statusPath());
    EXPECT_EQ(line["command"], "if [ -f " + q + " ]; then /bin/sh " + q + "; else /bin/bash -c 'echo it'\\''s'; fi");

    // A second connect touches neither the backup, the saved line nor the settings.
    writeFile(settings() + ".vesk-backup", "first");
    const auto before = std::filesystem::last_write_time(settings());
    const std::string bytes = readFile(settings());
    claude.connect();
    EXPECT_EQ(readFile(settings() + ".vesk-backup"), "first");
    EXPECT_EQ(previous(), R"({"command":"echo it's","padding":0,"type":"command"})");
    EXPECT_EQ(readFile(settings()), bytes);
    EXPECT_EQ(std::filesystem::last_write_time(settings()), before);
    EXPECT_FALSE(CC::applySettings());

    // Disconnecting puts the user's line and file back, byte for byte.
    std::filesystem::remove(settings() + ".vesk-backup");
    claude.disconnect();
    EXPECT_FALSE(claude.isConnected.peek());
    EXPECT_EQ(settingsJson(), json::parse(original));
    EXPECT_TRUE(exists(hookPath())) << "disconnect deletes no file";
}

TEST_F(ClaudeCodeInstallerTest, DisconnectRestoresTheUsersOwnBytes)
{
    const std::string original = "{\n    \"model\": \"opus\",\n    \"big\": 18446744073709551615, \"neg\": -9223372036854775808,\n"
                                 "    \"one\": 1.0, \"url\": \"https://x/y\", \"hooks\": {\"Custom\": []}\n}";
    writeSettings(original);
    claude.connect();
    const std::string connected = readFile(settings());
    EXPECT_NE(connected.find("18446744073709551615"), std::string::npos) << "64-bit integers exact";
    EXPECT_NE(connected.find("-9223372036854775808"), std::string::npos);
    EXPECT_NE(connected.find("\"one\": 1.0"), std::string::npos);
    EXPECT_NE(connected.find("\"https://x/y\""), std::string::npos) << "slashes as they are";
    EXPECT_EQ(connected.back(), '\n');
    EXPECT_EQ(connected.find("\n  \"big\""), 1u) << "two spaces, keys sorted";
    claude.disconnect();
    EXPECT_EQ(readFile(settings()), original);
}

TEST_F(ClaudeCodeInstallerTest, OtherEntriesStayInOrderAndOnlyOursGo)
{
    const json other1 = {{"matcher", "Bash"}, {"hooks", json::array({{{"type", "command"}, {"command", "lint"}}})}};
    const json other2 = {{"hooks", "not a list"}};
    const json stale = {{"hooks", json::array({{{"type", "command"}, {"command", "/bin/sh " + hookPath() + " Old"}}})}};
    json user = {{"hooks", {{"PreToolUse", json::array({other1, 5, other2})}, {"OldEvent", json::array({stale})}, {"Odd", 3}}},
                 {"statusLine", {{"type", "command"}, {"command", "mine"}}}};
    writeSettings(user.dump());
    claude.connect();
    json s = settingsJson();
    ASSERT_EQ(s["hooks"]["PreToolUse"].size(), 4u);
    EXPECT_EQ(s["hooks"]["PreToolUse"][0], other1);
    EXPECT_EQ(s["hooks"]["PreToolUse"][1], 5) << "elements that are not objects stay where they are";
    EXPECT_EQ(s["hooks"]["PreToolUse"][2], other2);
    EXPECT_TRUE(CC::isOurs(s["hooks"]["PreToolUse"][3]));
    EXPECT_EQ(s["hooks"]["OldEvent"], json::array({stale})) << "connecting keeps an older entry of another event";
    EXPECT_EQ(s["hooks"]["Odd"], 3);

    // The user sets a status line of their own after connecting: disconnecting leaves it.
    s["statusLine"] = {{"type", "command"}, {"command", "theirs"}};
    writeSettings(s.dump());
    claude.disconnect();
    s = settingsJson();
    EXPECT_EQ(s["statusLine"]["command"], "theirs");
    EXPECT_EQ(s["hooks"], (json{{"PreToolUse", json::array({other1, 5, other2})}, {"Odd", 3}}));
}

TEST_F(ClaudeCodeInstallerTest, DisconnectWithoutASavedLineRemovesOursAndEmptiedHooks)
{
    claude.connect();
    claude.disconnect();
    EXPECT_EQ(settingsJson(), json::object()) << "previous {}: no statusLine; every list emptied, no hooks";
    claude.connect();
    std::filesystem::remove(folder() + "/previous-statusline.json");
    claude.disconnect();
    EXPECT_EQ(settingsJson(), json::object());
    claude.disconnect();
    EXPECT_EQ(settingsJson(), json::object()) << "disconnect always writes, and twice changes nothing";
}

TEST_F(ClaudeCodeInstallerTest, WhatCannotBeReadOrMergedIsNeverWritten)
{
    for (const std::string &text : std::vector<std::string>{"[]", "{\"a\":", "\"x\"", "{\"a\":\"\xff\"}", "{\"hooks\":[]}", "{\"hooks\":{\"Stop\":{}}}",
                                   "{\"hooks\":{\"PreToolUse\":null}}", std::string(100, '[') + std::string(100, ']')}) {
        writeSettings(text);
        EXPECT_EQ(failure([&] { claude.connect(); }), unreadable) << text;
        EXPECT_EQ(readFile(settings()), text);
        EXPECT_FALSE(exists(settings() + ".vesk-backup"));
        EXPECT_FALSE(exists(folder() + "/previous-statusline.json"));
        EXPECT_FALSE(claude.isConnected.peek());
    }
    writeSettings("{\"hooks\":[], \"statusLine\": 1}");
    EXPECT_EQ(failure([&] { claude.disconnect(); }), "") << "disconnect leaves a hooks value that is not an object";
    EXPECT_EQ(settingsJson(), (json{{"hooks", json::array()}, {"statusLine", 1}})) << "and a status line not ours";
    writeSettings("[]");
    EXPECT_EQ(failure([&] { claude.disconnect(); }), unreadable);
    EXPECT_EQ(readFile(settings()), "[]");

    // Any failure to read but a missing file: a folder in its place.
    std::filesystem::remove(settings());
    std::filesystem::create_directories(settings());
    EXPECT_FALSE(CC::readSettings());
    EXPECT_EQ(failure([&] { claude.connect(); }), unreadable);
    EXPECT_EQ(failure([&] { claude.disconnect(); }), unreadable);
}

TEST_F(ClaudeCodeInstallerTest, WithoutJqNothingIsWritten)
{
    test::ScopedEnv path("PATH", home.path().toStdString());
    EXPECT_EQ(failure([&] { claude.connect(); }),
              "Claude Code support needs the jq program. Install the jq package, then connect again.");
    EXPECT_FALSE(exists(folder()));
    EXPECT_FALSE(exists(home.path().toStdString() + "/.claude"));
}

TEST_F(ClaudeCodeInstallerTest, FileErrorsNameThePath)
{
    writeFile(home.path().toStdString() + "/.local", "a file where a folder belongs");
    EXPECT_EQ(failure([&] { claude.connect(); }), home.path().toStdString() + "/.local/share/vesk/ClaudeCode: Not a directory");
    EXPECT_FALSE(exists(home.path().toStdString() + "/.claude"));
}

TEST_F(ClaudeCodeInstallerTest, AQuoteInTheHomeStillFindsOurEntries)
{
    const std::string odd = home.path().toStdString() + "/it's \"here\"";
    std::filesystem::create_directories(odd);
    test::ScopedEnv oddHome("HOME", odd);
    claude.connect();
    EXPECT_TRUE(CC::isInstalled());
    const std::string once = readFile(settings());
    claude.connect();
    EXPECT_EQ(readFile(settings()), once) << "no second set of hooks";
    EXPECT_EQ(previous(), "{}") << "our own line is never saved as the user's";
    claude.disconnect();
    EXPECT_EQ(settingsJson(), json::object());
}

TEST_F(ClaudeCodeInstallerTest, ALinkedSettingsFileIsWrittenThroughAndKeepsItsMode)
{
    const std::string dotfiles = home.path().toStdString() + "/dotfiles";
    std::filesystem::create_directories(dotfiles);
    std::filesystem::create_directories(home.path().toStdString() + "/.claude");
    writeFile(dotfiles + "/claude.json", "{\"model\":\"opus\"}");
    ::chmod((dotfiles + "/claude.json").c_str(), 0640);
    std::filesystem::create_symlink(dotfiles + "/claude.json", settings());
    claude.connect();
    EXPECT_TRUE(std::filesystem::is_symlink(settings()));
    EXPECT_EQ(modeOf(dotfiles + "/claude.json"), 0640u);
    EXPECT_TRUE(json::parse(readFile(dotfiles + "/claude.json")).contains("hooks"));
    EXPECT_EQ(readFile(settings() + ".vesk-backup"), "{\"model\":\"opus\"}");
}

// Another program saves settings.json at the worst moment: after the merge read it, just before
// the merged file replaces it. Its save is kept, and merged into.
TEST_F(ClaudeCodeInstallerTest, AnEditMadeDuringTheMergeIsKept)
{
    writeSettings("{\"model\":\"opus\"}");
    int saves = 0;
    const auto otherProgram = [&](const std::string &target) {
        if (target != settings() || saves++ > 0)
            return;
        json edited = json::parse(readFile(settings()));
        edited["theirs"] = saves;
        writeFile(settings(), edited.dump());
    };
    setAtomicWriteHookForTesting(otherProgram);
    claude.connect();
    setAtomicWriteHookForTesting(nullptr);
    json s = settingsJson();
    EXPECT_EQ(s["theirs"], 1);
    EXPECT_EQ(s["model"], "opus");
    EXPECT_TRUE(CC::isInstalled());
    EXPECT_EQ(s["hooks"]["Stop"].size(), 1u);

    s["hooks"].erase("Stop");
    writeSettings(s.dump());
    saves = 0;
    setAtomicWriteHookForTesting(otherProgram);
    EXPECT_TRUE(CC::applySettings());
    setAtomicWriteHookForTesting(nullptr);
    s = settingsJson();
    EXPECT_EQ(s["theirs"], 1);
    EXPECT_EQ(s["hooks"]["Stop"].size(), 1u);

    // Disconnecting, with a save of a new key in between.
    saves = 0;
    setAtomicWriteHookForTesting([&](const std::string &target) {
        if (target != settings() || saves++ > 0)
            return;
        json edited = json::parse(readFile(settings()));
        edited["late"] = true;
        writeFile(settings(), edited.dump());
    });
    claude.disconnect();
    setAtomicWriteHookForTesting(nullptr);
    s = settingsJson();
    EXPECT_EQ(s["late"], true);
    EXPECT_FALSE(s.contains("hooks"));
    EXPECT_FALSE(CC::isInstalled());
}

// A program that saves every time the merge is about to write: after a few merges it is left to
// it, and connecting says why.
TEST_F(ClaudeCodeInstallerTest, ASettingsFileThatKeepsChangingIsLeftToItsWriter)
{
    writeSettings("{\"n\":0}");
    int saves = 0;
    setAtomicWriteHookForTesting([&](const std::string &target) {
        if (target == settings())
            writeFile(settings(), json{{"n", ++saves}}.dump());
    });
    EXPECT_EQ(failure([&] { claude.connect(); }),
              "Claude Code's settings.json kept changing while Vesk wrote it, so nothing was changed. Try again in a moment.");
    setAtomicWriteHookForTesting(nullptr);
    EXPECT_GT(saves, 1);
    EXPECT_EQ(readFile(settings()), (json{{"n", saves}}.dump())) << "the writer's last save stands";
    EXPECT_FALSE(claude.isConnected.peek());
    EXPECT_FALSE(exists(settings() + ".tmp-undone"));
}

// A pipe, a device or a folder where a file is read answers at once as unreadable; nothing waits
// for a writer that never comes.
TEST_F(ClaudeCodeInstallerTest, SomethingOtherThanAFileIsRefusedWithoutWaiting)
{
    std::filesystem::create_directories(home.path().toStdString() + "/.claude");
    ASSERT_EQ(::mkfifo(settings().c_str(), 0600), 0);
    EXPECT_FALSE(CC::readSettings());
    EXPECT_FALSE(CC::isInstalled());
    EXPECT_EQ(failure([&] { claude.connect(); }), unreadable);
    EXPECT_EQ(failure([&] { claude.disconnect(); }), unreadable);
    struct stat info {};
    ASSERT_EQ(::lstat(settings().c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "left as it is";

    std::filesystem::remove(settings());
    std::filesystem::create_symlink("/dev/zero", settings());
    EXPECT_FALSE(CC::readSettings());

    // The saved status line as a pipe: the fallback is "true", as for any unreadable file.
    std::filesystem::remove(settings());
    makeFolder();
    ASSERT_EQ(::mkfifo((folder() + "/previous-statusline.json").c_str(), 0600), 0);
    const std::string q = CC::shellQuoted(statusPath());
    EXPECT_EQ(CC::statusCommand(), "if [ -f " + q + " ]; then /bin/sh " + q + "; else true; fi");
}

// Indenting a large compact file would make it larger than the reader takes: it is written
// compactly, and a file too large even so is refused and left as it is.
TEST_F(ClaudeCodeInstallerTest, NothingIsWrittenThatCouldNotBeReadBack)
{
    // 5 MB of compact text that indenting makes about 35 MB.
    std::string items;
    for (int i = 0; i < 1'300'000; ++i)
        items += i ? ",[1]" : "[1]";
    const std::string compact = "{\"deep\":{\"list\":[" + items + "]}}";
    writeSettings(compact);
    claude.connect();
    EXPECT_TRUE(CC::isInstalled());
    const std::string written = readFile(settings());
    EXPECT_LE(written.size(), size_t(32 << 20));
    EXPECT_EQ(written.find("\n "), std::string::npos) << "compact";
    EXPECT_EQ(written.back(), '\n');
    EXPECT_EQ(json::parse(written)["deep"]["list"].size(), 1'300'000u);
    claude.disconnect();
    EXPECT_FALSE(CC::isInstalled());
    EXPECT_EQ(settingsJson(), json::parse(compact));

    // A file just below the reader's limit that our entries would push over it.
    const std::string large = "{\"a\":\"" + std::string((32 << 20) - 100, 'x') + "\"}";
    writeSettings(large);
    EXPECT_EQ(failure([&] { claude.connect(); }),
              "Claude Code's settings.json is too large for Vesk to write back, so nothing was changed.");
    EXPECT_EQ(readFile(settings()), large);
    EXPECT_FALSE(claude.isConnected.peek());
}

// Temporary files that a killed connect left in ~/.claude and in our folder are swept; files of
// other names stay.
TEST_F(ClaudeCodeInstallerTest, TemporariesOfAKilledWriteAreSwept)
{
    writeSettings("{}");
    makeFolder();
    const std::vector<std::string> stale = {settings() + ".vesk-backup.tmp-Ab3dE9", settings() + ".tmp-q1W2e3",
                                            folder() + "/hook.sh.tmp-zzzzzz", folder() + "/previous-statusline.json.tmp-123456"};
    const std::vector<std::string> others = {settings() + ".tmp-toolong7", settings() + ".vesk-backup.tmp-", settings() + ".bak",
                                             home.path().toStdString() + "/.claude/other.json.tmp-abcdef"};
    for (const auto &path : stale)
        writeFile(path, "{}");
    for (const auto &path : others)
        writeFile(path, "{}");
    claude.connect();
    for (const auto &path : stale)
        EXPECT_FALSE(exists(path)) << path;
    for (const auto &path : others)
        EXPECT_TRUE(exists(path)) << path;

    writeFile(stale[0], "{}");
    claude.disconnect();
    EXPECT_FALSE(exists(stale[0]));
    writeFile(stale[1], "{}");
    claude.connect();
    EXPECT_FALSE(exists(stale[1]));
}

TEST_F(ClaudeCodeInstallerTest, StartingWhileConnectedBringsTheInstallationUpToDate)
{
    claude.connect();
    writeFile(hookPath(), "old text");
    json s = settingsJson();
    s["hooks"]["Stop"] = json::array();
    writeSettings(s.dump());
    auto c = enable();
    EXPECT_TRUE(c->isConnected.peek());
    EXPECT_EQ(readFile(hookPath()), CC::hookSource());
    EXPECT_EQ(settingsJson()["hooks"]["Stop"].size(), 1u);

    store.setEnabled("claude-code", false);
    claude.disconnect();
    writeFile(hookPath(), "old text");
    c = enable();
    EXPECT_FALSE(c->isConnected.peek());
    EXPECT_EQ(readFile(hookPath()), "old text") << "not connected: nothing is installed";
}

// What fails while the installation is brought up to date at start is said in the log, and the
// extension runs on with what is installed.
TEST_F(ClaudeCodeInstallerTest, AFailedRefreshAtStartIsLogged)
{
    claude.connect();
    std::filesystem::remove_all(folder());
    writeFile(folder(), "a file where our folder belongs");
    test::CapturedLog log;
    auto c = enable();
    EXPECT_TRUE(c->isConnected.peek());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("Vesk: Claude Code: cannot bring the installation up to date (" + folder() + ": ", 0), 0u)
        << log.lines[0];
    EXPECT_NE(log.lines[0].find("); running with what is installed"), std::string::npos) << log.lines[0];
}

}  // namespace
