// TrackWatch's work on its main loop, against a framework of the test's own whose queue and
// timer run only when the test says so.
#include "TrackWatch/TrackWatch.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

using namespace trackwatch;
using Json = nlohmann::json;

namespace {

// The framework's state, as C function pointers see it.
struct Fake {
    std::deque<std::function<void()>> queue;
    std::string title = "Song";
    bool playing = true;
    const char *bundleID = "org.example.Client";
    const char *parentBundleID = nullptr;
    bool hasClient = true;
    std::vector<std::string> sent;  // "command 1", "elapsed 2.5", "shuffle 3", ...
};
Fake *fake = nullptr;

void fakeAsync(const MRDispatchQueue *, void (*work)(void *), void *context)
{
    fake->queue.push_back([work, context] { work(context); });
}
const MRDispatchQueue fakeQueue{&fakeAsync};

void getInfo(const MRDispatchQueue *q, void *context, MRNowPlayingInfoCallback callback)
{
    std::string title = fake->title;
    q->async(q, [](void *c) { (*static_cast<std::function<void()> *>(c))(); delete static_cast<std::function<void()> *>(c); },
             new std::function<void()>([context, callback, title] {
                 MRDictionaryEntry entry{};
                 entry.key = "kMRMediaRemoteNowPlayingInfoTitle";
                 entry.value.type = MRValueTypeString;
                 entry.value.string = title.c_str();
                 MRDictionary info{1, &entry};
                 callback(context, &info);
             }));
}
void getIsPlaying(const MRDispatchQueue *q, void *context, MRIsPlayingCallback callback)
{
    fake->queue.push_back([context, callback, playing = fake->playing] { callback(context, playing ? 7 : 0); });
}
void getClient(const MRDispatchQueue *q, void *context, MRClientCallback callback)
{
    static int client;
    fake->queue.push_back([context, callback, has = fake->hasClient] {
        callback(context, has ? reinterpret_cast<const MRNowPlayingClient *>(&client) : nullptr);
    });
}
const char *bundleID(const MRNowPlayingClient *)
{
    return fake->bundleID;
}
const char *parentBundleID(const MRNowPlayingClient *)
{
    return fake->parentBundleID;
}
int sendCommand(int32_t command, const void *options)
{
    fake->sent.push_back("command " + std::to_string(command) + (options ? " with options" : ""));
    return 1;
}
void setElapsed(double seconds)
{
    fake->sent.push_back("elapsed " + std::to_string(seconds));
}
void setShuffle(int32_t mode)
{
    fake->sent.push_back("shuffle " + std::to_string(mode));
}
void setRepeat(int32_t mode)
{
    fake->sent.push_back("repeat " + std::to_string(mode));
}
void registerForNotifications(const MRDispatchQueue *) {}

MediaRemoteFunctions allFunctions()
{
    MediaRemoteFunctions f;
    f.getInfo = &getInfo;
    f.getIsPlaying = &getIsPlaying;
    f.getClient = &getClient;
    f.sendCommand = &sendCommand;
    f.setElapsed = &setElapsed;
    f.setShuffleMode = &setShuffle;
    f.setRepeatMode = &setRepeat;
    f.clientBundleID = &bundleID;
    f.clientParentBundleID = &parentBundleID;
    f.registerForNotifications = &registerForNotifications;
    return f;
}

class TrackWatchTest : public ::testing::Test {
protected:
    TrackWatchTest() { fake = &state; }
    ~TrackWatchTest() override { fake = nullptr; }

    void start(const MediaRemoteFunctions &functions)
    {
        watch = std::make_unique<TrackWatch>(
            functions, &fakeQueue, [this](const std::string &line) { lines.push_back(Json::parse(line)); },
            [this](int ms, std::function<void()> work) {
                // The one restartable timer: arming it again replaces what was pending.
                ++arms;
                timer = {ms, std::move(work)};
            });
    }
    void drain()
    {
        while (!state.queue.empty()) {
            auto work = std::move(state.queue.front());
            state.queue.pop_front();
            work();
        }
    }
    // Fires the pending timer, as the loop would once its time has come.
    void fireTimer()
    {
        if (auto due = std::move(timer)) {
            timer.reset();
            due->second();
        }
        drain();
    }

    Fake state;
    std::unique_ptr<TrackWatch> watch;
    std::vector<Json> lines;
    std::optional<std::pair<int, std::function<void()>>> timer;
    int arms = 0;
};

TEST_F(TrackWatchTest, RefreshChainsTheThreeQueriesIntoOneLine)
{
    start(allFunctions());
    watch->refresh();
    EXPECT_TRUE(lines.empty()) << "callbacks run on the queue, not inside the call";
    drain();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["title"], "Song");
    EXPECT_EQ(lines[0]["playing"], true);
    EXPECT_EQ(lines[0]["bundleID"], "org.example.Client");
}

TEST_F(TrackWatchTest, BundleIdentifierPrefersANonEmptyParent)
{
    start(allFunctions());
    state.parentBundleID = "";
    watch->refresh();
    drain();
    state.parentBundleID = "org.example.Parent";
    watch->refresh();
    drain();
    state.hasClient = false;
    watch->refresh();
    drain();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["bundleID"], "org.example.Client");
    EXPECT_EQ(lines[1]["bundleID"], "org.example.Parent");
    EXPECT_FALSE(lines[2].contains("bundleID"));
}

TEST_F(TrackWatchTest, WithoutClientFunctionsLinesLackOnlyTheBundleIdentifier)
{
    auto functions = allFunctions();
    functions.clientBundleID = nullptr;
    start(functions);
    state.playing = false;
    watch->refresh();
    drain();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["title"], "Song");
    EXPECT_EQ(lines[0]["playing"], false);
    EXPECT_FALSE(lines[0].contains("bundleID"));
}

TEST_F(TrackWatchTest, BurstOfSchedulesRefreshesOnceAfterTheLast)
{
    start(allFunctions());
    watch->scheduleRefresh();
    watch->scheduleRefresh();
    watch->handleCommand("refresh now");
    EXPECT_EQ(arms, 3);
    ASSERT_TRUE(timer.has_value());
    EXPECT_EQ(timer->first, TrackWatch::kDebounceMilliseconds);
    fireTimer();
    EXPECT_EQ(lines.size(), 1u);
    fireTimer();
    EXPECT_EQ(lines.size(), 1u) << "nothing else was pending";
}

TEST_F(TrackWatchTest, CommandsReachTheFrameworkAndScheduleAReport)
{
    start(allFunctions());
    for (const char *line : {"cmd 4", "cmd  1", "cmd 2 extra", "seek -1.5e1", "CMD 1", "shuffle x", "shuffle y",
                             "repeat 1", "volume 3"})
        watch->handleCommand(line);
    EXPECT_EQ(state.sent, (std::vector<std::string>{"command 4", "command 0", "command 2", "elapsed -15.000000",
                                                    "shuffle 3", "shuffle 1", "repeat 3"}));
    EXPECT_EQ(arms, 9);  // every line of two words, known or not
    fireTimer();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["shuffle"], 1);
    EXPECT_EQ(lines[0]["repeat"], 3);
}

TEST_F(TrackWatchTest, LinesOfOneWordDoNothing)
{
    start(allFunctions());
    watch->handleCommand("shuffle");
    watch->handleCommand("cmd");
    EXPECT_TRUE(state.sent.empty());
    EXPECT_EQ(arms, 0);
}

TEST_F(TrackWatchTest, TogglesFallBackToCommandsSixAndSeven)
{
    auto functions = allFunctions();
    functions.setShuffleMode = nullptr;
    functions.setRepeatMode = nullptr;
    start(functions);
    watch->handleCommand("shuffle x");
    watch->handleCommand("repeat 3");
    EXPECT_EQ(state.sent, (std::vector<std::string>{"command 6", "command 7"}));
}

TEST_F(TrackWatchTest, MissingCommandFunctionsOnlyScheduleTheReport)
{
    MediaRemoteFunctions functions;
    functions.getInfo = &getInfo;
    functions.getIsPlaying = &getIsPlaying;
    functions.registerForNotifications = &registerForNotifications;
    start(functions);
    for (const char *line : {"cmd 1", "seek 3", "shuffle x", "repeat 1"})
        watch->handleCommand(line);
    EXPECT_TRUE(state.sent.empty());
    fireTimer();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["shuffle"], 3);  // the memory still took the toggle
}

}  // namespace
