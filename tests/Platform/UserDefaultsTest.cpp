#include "Platform/AtomicFile.h"
#include "Platform/UserDefaults.h"
#include "Base/VirtualTime.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace vesk;

namespace {
std::string readFile(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}
void writeFile(const std::string &path, const std::string &text)
{
    std::ofstream(path) << text;
}
// Text given for a boolean setting would convert to true; it must not compile.
template <typename Store>
constexpr bool takesTextForABool = requires(Store &store, const Setting<bool> &flag) { store.set(flag, "no"); };
static_assert(!takesTextForABool<UserDefaults>);
template <typename Store>
constexpr bool takesABoolForAString = requires(Store &store, const Setting<std::string> &text) { store.set(text, true); };
static_assert(!takesABoolForAString<UserDefaults>);
}  // namespace

class UserDefaultsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path() const { return dir.path().toStdString() + "/vesk/settings.json"; }
    void SetUp() override { QDir().mkpath(dir.path() + "/vesk"); }
};

TEST_F(UserDefaultsTest, LookupOrderIsOverlayThenStoredThenRegistered)
{
    UserDefaults store;
    store.registerDefaults({{"a", 1.0}, {"b", 2.0}, {"c", 3.0}});
    store.set("b", 20.0);
    store.set("c", 30.0);
    store.setVolatileOverlay({{"c", 300.0}});
    EXPECT_EQ(store.value(test::doubleSetting("a")), 1.0);
    EXPECT_EQ(store.value(test::doubleSetting("b")), 20.0);
    EXPECT_EQ(store.value(test::doubleSetting("c")), 300.0);
    EXPECT_EQ(store.storedValue("c"), nlohmann::json(30.0));
    EXPECT_FALSE(store.object("missing").has_value());
}

TEST_F(UserDefaultsTest, ValueOfTheWrongTypeReadsAsTheRegisteredDefault)
{
    UserDefaults store;
    store.registerDefaults({{"flag", true}, {"delay", 1.6}, {"style", "hidden"}});
    store.set("flag", 1);          // a number is not a boolean
    store.set("delay", "fast");    // a string is not a number
    store.set("style", false);
    EXPECT_TRUE(store.value(test::boolSetting("flag")));
    EXPECT_DOUBLE_EQ(store.value(test::doubleSetting("delay")), 1.6);
    EXPECT_EQ(store.value(test::stringSetting("style")), "hidden");
    store.set("delay", 3);  // any finite number is a double
    EXPECT_DOUBLE_EQ(store.value(test::doubleSetting("delay")), 3.0);
    EXPECT_FALSE(store.value(test::boolSetting("unregistered")));
    EXPECT_EQ(store.value(test::stringSetting("unregistered")), "");
}

TEST_F(UserDefaultsTest, ASettingReadsTheRegisteredDefaultThenItsOwn)
{
    constexpr Setting<double> delay{"delay", 0.5};
    constexpr Setting<std::string> style{"style", "hidden"};
    constexpr Setting<bool> warn{"warn", true};
    UserDefaults store;
    EXPECT_DOUBLE_EQ(store.value(delay), 0.5);  // nothing registered: the setting's own default
    EXPECT_EQ(store.value(style), "hidden");
    EXPECT_TRUE(store.value(warn));
    store.registerDefaults({{"delay", 1.6}, {"style", 7}});
    EXPECT_DOUBLE_EQ(store.value(delay), 1.6);
    EXPECT_EQ(store.value(style), "hidden") << "a registered default of another type does not count";
    store.set("delay", "fast");
    store.set("warn", 0);
    EXPECT_DOUBLE_EQ(store.value(delay), 1.6);
    EXPECT_TRUE(store.value(warn));
    store.setVolatileOverlay({{"delay", nullptr}});
    EXPECT_DOUBLE_EQ(store.value(delay), 1.6) << "the overlay's wrong type hides the stored value too";
    store.setVolatileOverlay({});
    store.set(warn, false);
    EXPECT_FALSE(store.value(warn));
}

TEST_F(UserDefaultsTest, ASettingIsStoredAsItsType)
{
    constexpr Setting<double> delay{"delay", 0.0};
    constexpr Setting<std::string> style{"style", ""};
    auto store = UserDefaults::openFile(path());
    store->set(delay, 2);  // an integer literal is still a double in the file
    store->set(style, "pill");
    EXPECT_EQ(readFile(path()), "{\n  \"delay\": 2.0,\n  \"style\": \"pill\"\n}\n");
}

TEST_F(UserDefaultsTest, EveryWriteRemovalAndResetPostsOnce)
{
    UserDefaults store;
    int posts = 0;
    auto c = store.changed.connect([&] { ++posts; });
    store.registerDefaults({{"a", true}});
    store.registerDefaults({{"a", true}});  // a repeated registration changes nothing and posts nothing
    EXPECT_EQ(posts, 1);
    store.set("a", false);
    store.set("a", false);  // an unchanged write still posts, as the defaults do
    store.remove("a");
    store.remove(std::vector<std::string>{"x", "y", "z"});
    EXPECT_EQ(posts, 5);
}

TEST_F(UserDefaultsTest, FileIsSortedIndentedWithFractionsAndPrivate)
{
    auto store = UserDefaults::openFile(path());
    store->set("zeta", 2.0);
    store->set("alpha", "a/b");
    store->set("mid", true);
    EXPECT_EQ(readFile(path()), "{\n  \"alpha\": \"a/b\",\n  \"mid\": true,\n  \"zeta\": 2.0\n}\n");
    struct stat st{};
    ASSERT_EQ(::stat(path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    auto reopened = UserDefaults::openFile(path());
    EXPECT_DOUBLE_EQ(reopened->value(test::doubleSetting("zeta")), 2.0);
    EXPECT_TRUE(reopened->value(test::boolSetting("mid")));
}

TEST_F(UserDefaultsTest, UnknownKeysAndRawValuesSurviveARewrite)
{
    writeFile(path(), R"({"foreign": {"nested": [1, 2]}, "showShadow": false})");
    auto store = UserDefaults::openFile(path());
    store->set("hudDuration", 2.5);
    auto text = readFile(path());
    EXPECT_NE(text.find("\"nested\""), std::string::npos);
    EXPECT_NE(text.find("\"showShadow\": false"), std::string::npos);
}

TEST_F(UserDefaultsTest, CorruptFilesAreMovedAsideNeverOverwritten)
{
    VirtualTime time;  // 2025-01-06T10:00:00Z
    for (const std::string bad : {"{\"showShadow\": tr", "garbage \x01\x02", "[1, 2, 3]", ""}) {
        SCOPED_TRACE(bad);
        writeFile(path(), bad);
        test::CapturedLog log;
        auto store = UserDefaults::openFile(path());
        const std::string aside = path() + ".corrupt-20250106T100000Z";
        EXPECT_EQ(readFile(aside), bad);
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines[0].rfind("Vesk: settings file ", 0), 0u);
        EXPECT_TRUE(store->persistentDomain().empty());
        store->set("k", 1.0);
        EXPECT_EQ(readFile(aside), bad);  // the user's bytes stay where they were moved
        QFile::remove(QString::fromStdString(aside));
    }
}

TEST_F(UserDefaultsTest, UnreadableFileIsLeftAloneAndNeverWritten)
{
    // A folder where the file should be cannot be read as a file, even by root.
    QDir().mkpath(QString::fromStdString(path()));
    test::CapturedLog log;
    auto store = UserDefaults::openFile(path());
    EXPECT_FALSE(store->writesToDisk());
    store->set("a", true);
    EXPECT_TRUE(store->value(test::boolSetting("a")));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(path())).isDir());
    EXPECT_EQ(log.lines.size(), 1u);
}

TEST_F(UserDefaultsTest, InterruptedWriteLeavesThePreviousFileWhole)
{
    auto store = UserDefaults::openFile(path());
    store->set("a", 1.0);
    const auto before = readFile(path());
    test::CapturedLog log;
    setAtomicWriteFaultForTesting(5);
    store->set("b", "a long value that will not fit");
    setAtomicWriteFaultForTesting(-1);
    EXPECT_EQ(readFile(path()), before);
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(QDir(dir.path() + "/vesk").entryList(QDir::Files).size(), 1);  // no temporary left behind
}

TEST_F(UserDefaultsTest, EarlierDomainFileIsReadOnlyAndMalformedCountsAsAbsent)
{
    writeFile(path(), R"({"a": 1})");
    EXPECT_TRUE(UserDefaults::readDomainFile(path()).has_value());
    writeFile(path(), R"({"a": )");
    EXPECT_FALSE(UserDefaults::readDomainFile(path()).has_value());
    EXPECT_EQ(readFile(path()), R"({"a": )");
    EXPECT_FALSE(UserDefaults::readDomainFile(path() + ".none").has_value());
}

TEST_F(UserDefaultsTest, ConfigHomeCountsOnlyWhenAbsolute)
{
    test::ScopedEnv home("HOME", "/home/someone");
    {
        test::ScopedEnv xdg("XDG_CONFIG_HOME", "/xdg");
        EXPECT_EQ(UserDefaults::defaultPath(), "/xdg/vesk/settings.json");
    }
    {
        test::ScopedEnv xdg("XDG_CONFIG_HOME", "relative/dir");
        EXPECT_EQ(UserDefaults::defaultPath(), "/home/someone/.config/vesk/settings.json");
    }
}

namespace {
std::string deeplyNested(int levels)
{
    return "{\"migratedFromTovra\": true, \"x\": " + std::string(size_t(levels), '[') + std::string(size_t(levels), ']')
        + "}";
}
}  // namespace

TEST_F(UserDefaultsTest, DeeplyNestedFileIsMalformedNotACrash)
{
    VirtualTime time;
    const std::string deep = deeplyNested(100000);
    writeFile(path(), deep);
    test::CapturedLog log;
    auto store = UserDefaults::openFile(path());
    EXPECT_TRUE(store->persistentDomain().empty());
    EXPECT_EQ(readFile(path() + ".corrupt-20250106T100000Z"), deep);
    ASSERT_EQ(log.lines.size(), 1u);

    // The earlier product's file counts as absent.
    writeFile(path(), deep);
    EXPECT_FALSE(UserDefaults::readDomainFile(path()).has_value());

    // Nesting up to the limit is an ordinary value.
    writeFile(path(), "{\"x\": " + std::string(63, '[') + std::string(63, ']') + "}");
    EXPECT_TRUE(UserDefaults::readDomainFile(path()).has_value());
}

TEST_F(UserDefaultsTest, AnythingButASmallRegularFileIsLeftAlone)
{
    auto expectLeftAlone = [&](const char *what) {
        SCOPED_TRACE(what);
        test::CapturedLog log;
        auto store = UserDefaults::openFile(path());
        EXPECT_FALSE(store->writesToDisk());
        EXPECT_FALSE(UserDefaults::readDomainFile(path()).has_value());
        store->set("a", true);
        EXPECT_TRUE(store->value(test::boolSetting("a")));
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(log.lines[0].rfind("Vesk: cannot read settings file ", 0), 0u);
    };

    // A FIFO with no writer would block an ordinary open for ever.
    ASSERT_EQ(::mkfifo(path().c_str(), 0600), 0);
    expectLeftAlone("fifo");
    struct stat info {};
    ASSERT_EQ(::lstat(path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ::unlink(path().c_str());

    // A link to the zero device would be read until memory runs out.
    ASSERT_EQ(::symlink("/dev/zero", path().c_str()), 0);
    expectLeftAlone("device");
    ASSERT_EQ(::lstat(path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ::unlink(path().c_str());

    // Over 1 MiB, even when it is valid JSON.
    const std::string big = "{\"a\": \"" + std::string(1 << 20, 'x') + "\"}";
    writeFile(path(), big);
    expectLeftAlone("large");
    EXPECT_EQ(readFile(path()), big);

    // Exactly at the limit still reads.
    writeFile(path(), "{\"a\": \"" + std::string((1 << 20) - 10, 'x') + "\"}");
    EXPECT_EQ(UserDefaults::openFile(path())->value(test::stringSetting("a")).size(), size_t((1 << 20) - 10));
}

TEST_F(UserDefaultsTest, AfterAFailedWriteChangesStayInMemoryAndAreRetriedOnceASecond)
{
    VirtualTime time;
    auto store = UserDefaults::openFile(path());
    store->set("a", 1.0);
    const auto before = readFile(path());
    test::CapturedLog log;
    setAtomicWriteFaultForTesting(0);
    store->set("b", 2.0);
    EXPECT_TRUE(store->hasUnsavedChanges());
    time.advance(0.5);
    store->set("c", 3.0);  // too soon: not tried, not logged again
    store->set("d", 4.0);
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("Vesk: cannot save settings", 0), 0u);
    EXPECT_DOUBLE_EQ(store->value(test::doubleSetting("d")), 4.0);
    time.advance(0.6);  // the retry a second after the failure fails too, quietly
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_TRUE(store->writesToDisk());
    setAtomicWriteFaultForTesting(-1);
    EXPECT_EQ(readFile(path()), before);

    store->set("e", 5.0);  // within a second of the failed retry: waits for it
    EXPECT_EQ(readFile(path()), before);
    time.advance(1.0);
    EXPECT_FALSE(store->hasUnsavedChanges());
    const auto saved = UserDefaults::openFile(path());
    for (const char *key : {"a", "b", "c", "d", "e"})
        EXPECT_TRUE(saved->storedValue(key).has_value()) << key;
    EXPECT_EQ(log.lines.size(), 2u);  // "saved again"
}

TEST_F(UserDefaultsTest, ABatchOfKeysIsOneWriteAndOneNotification)
{
    auto store = UserDefaults::openFile(path());
    int posts = 0;
    auto c = store->changed.connect([&] { ++posts; });
    // A write that fails after a few bytes fails the whole batch: nothing of it reaches the file.
    setAtomicWriteFaultForTesting(40);
    store->set(UserDefaults::Dictionary{{"a", 1.0}, {"b", "a long value that will not fit"}, {"c", true}});
    setAtomicWriteFaultForTesting(-1);
    EXPECT_EQ(posts, 1);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path())));
    EXPECT_TRUE(store->value(test::boolSetting("c")));
}

TEST_F(UserDefaultsTest, StaleTemporaryFilesOfThisStoreAreRemovedWhenItOpens)
{
    writeFile(path(), R"({"a": 1})");
    for (const char *name : {"settings.json.tmp-AbC123", "settings.json.tmp-zzzzzz", "other.json.tmp-AbC123",
                             "settings.json.tmp-keep"})
        writeFile(dir.path().toStdString() + "/vesk/" + name, "{");
    auto store = UserDefaults::openFile(path());
    auto left = QDir(dir.path() + "/vesk").entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left, (QStringList{"other.json.tmp-AbC123", "settings.json", "settings.json.tmp-keep"}));
}

TEST_F(UserDefaultsTest, ASymlinkedFileIsWrittenThroughTheLink)
{
    // A dotfile manager keeps the real file elsewhere and links it in.
    const std::string dotfiles = dir.path().toStdString() + "/dotfiles";
    QDir().mkpath(QString::fromStdString(dotfiles + "/vesk"));
    const std::string target = dotfiles + "/vesk/settings.json";
    writeFile(target, R"({"a": 1})");
    ASSERT_EQ(::symlink("../dotfiles/vesk/settings.json", path().c_str()), 0);
    writeFile(dotfiles + "/vesk/settings.json.tmp-q1w2e3", "{");
    auto store = UserDefaults::openFile(path());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dotfiles + "/vesk/settings.json.tmp-q1w2e3")));
    store->set("b", 2.0);
    struct stat info {};
    ASSERT_EQ(::lstat(path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_NE(readFile(target).find("\"b\": 2.0"), std::string::npos);
    EXPECT_EQ(QDir(QString::fromStdString(dotfiles + "/vesk")).entryList(QDir::Files).size(), 1);

    // A dangling link is written through too: its target comes into being.
    ::unlink(target.c_str());
    store->set("c", 3.0);
    ASSERT_EQ(::lstat(path().c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_NE(readFile(target).find("\"c\": 3.0"), std::string::npos);
}
