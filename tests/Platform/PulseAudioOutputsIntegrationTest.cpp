// The PulseAudio service against the server that scripts/run-tests starts. Tests run in parallel
// with each other, so each one that writes works on a null sink of its own.
#include "Platform/linux/PulseAudioOutputs.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

using namespace vesk;
using vesk::test::pactl;
using vesk::test::waitFor;

namespace {


// What the server says about one sink, read with pactl.
struct ServerSink {
    uint32_t index = 0;
    std::vector<uint32_t> channels;
    bool muted = false;
};

std::optional<ServerSink> serverSink(const std::string &name)
{
    auto list = nlohmann::json::parse(pactl({"-f", "json", "list", "sinks"}).value_or("").toStdString(), nullptr, false);
    if (!list.is_array())
        return std::nullopt;
    for (auto &s : list) {
        if (s.value("name", "") != name)
            continue;
        ServerSink sink;
        sink.index = s["index"].get<uint32_t>();
        sink.muted = s["mute"].get<bool>();
        for (auto &[channel, v] : s["volume"].items())
            sink.channels.push_back(v["value"].get<uint32_t>());
        return sink;
    }
    return std::nullopt;
}

// A null sink loaded for one test and unloaded after it.
class OwnSink {
public:
    explicit OwnSink(const std::string &tag)
    {
        name = "vesk_" + tag + "_" + std::to_string(::getpid());
        module = pactl({"load-module", "module-null-sink", QString::fromStdString("sink_name=" + name),
                        QString::fromStdString("sink_properties=device.description=" + name)})
                     .value_or(QString());
    }
    ~OwnSink()
    {
        if (!module.isEmpty())
            pactl({"unload-module", module});
    }
    std::string name;
    QString module;
};

class PulseAudioOutputsIntegrationTest : public ::testing::Test {
protected:
    PulseAudioOutputsIntegrationTest() { audio.start(); }
    std::optional<AudioDevice> outputNamed(const std::string &name)
    {
        for (auto &d : audio.outputs()) {
            if (d.name.toStdString() == name)
                return d;
        }
        return std::nullopt;
    }
    void waitForOutput(const std::string &name)
    {
        ASSERT_TRUE(waitFor([&] { return outputNamed(name).has_value(); })) << name << " never listed";
    }
    PulseAudioOutputs audio;
};

}  // namespace

TEST_F(PulseAudioOutputsIntegrationTest, ListsTheServersSinksByDescription)
{
    waitForOutput("Built-in Speakers");
    waitForOutput("Headphones");
    EXPECT_TRUE(audio.isAvailable());
    auto speakers = outputNamed("Built-in Speakers");
    EXPECT_EQ(speakers->id, serverSink("speakers")->index + 1);  // never 0, which stands for none
    // Null sinks sit on no bus: neither built in nor wireless.
    EXPECT_EQ(speakers->transport, AudioTransport::other);
    EXPECT_FALSE(speakers->isWireless());
    ASSERT_TRUE(audio.defaultOutput().has_value());
    EXPECT_EQ(audio.volume(*audio.defaultOutput()).has_value(), true);
}

TEST_F(PulseAudioOutputsIntegrationTest, AWriteScalesEveryChannelAndIsReadBackByTheServer)
{
    OwnSink sink("write");
    ASSERT_FALSE(sink.module.isEmpty());
    ASSERT_TRUE(pactl({"set-sink-volume", QString::fromStdString(sink.name), "40%", "80%"}));
    waitForOutput(sink.name);
    const uint32_t id = outputNamed(sink.name)->id;
    // The louder channel is the volume.
    ASSERT_TRUE(waitFor([&] { return audio.volume(id) && std::abs(*audio.volume(id) - 0.8f) < 0.001f; }));

    ASSERT_TRUE(audio.setVolume(id, 0.5f));
    EXPECT_NEAR(*audio.volume(id), 0.5f, 0.001f);  // our own state follows at once
    std::optional<ServerSink> server;
    ASSERT_TRUE(waitFor([&] {
        server = serverSink(sink.name);
        return server && server->channels.size() == 2 && server->channels[1] == 32768;
    })) << "the server never took the new volume";
    EXPECT_NEAR(server->channels[0], 16384, 1);  // the balance is kept: 40:80 became 25:50

    ASSERT_TRUE(audio.setMuted(id, true));
    EXPECT_TRUE(waitFor([&] { return serverSink(sink.name)->muted; }));
    ASSERT_TRUE(audio.setVolume(id, 3.0f));  // clamped to 100 %
    EXPECT_TRUE(waitFor([&] { return serverSink(sink.name)->channels[1] == 65536; }));
    EXPECT_FALSE(audio.setVolume(999999, 0.5f));  // not an output
}

TEST_F(PulseAudioOutputsIntegrationTest, ChangesMadeByOthersAreReported)
{
    OwnSink sink("listen");
    waitForOutput(sink.name);
    const uint32_t id = outputNamed(sink.name)->id;
    std::vector<uint32_t> volumeReports;
    auto volumes = audio.volumeChanged.connect([&](uint32_t device) { volumeReports.push_back(device); });
    int outputReports = 0;
    auto outputs = audio.outputsChanged.connect([&] { ++outputReports; });

    pactl({"set-sink-volume", QString::fromStdString(sink.name), "30%"});
    ASSERT_TRUE(waitFor([&] { return std::count(volumeReports.begin(), volumeReports.end(), id) > 0; }));
    EXPECT_NEAR(*audio.volume(id), 0.3f, 0.001f);
    pactl({"set-sink-mute", QString::fromStdString(sink.name), "1"});
    ASSERT_TRUE(waitFor([&] { return audio.isMuted(id) == true; }));
    EXPECT_GE(std::count(volumeReports.begin(), volumeReports.end(), id), 2);

    // A sink loaded and unloaded at run time.
    std::string lateName;
    {
        OwnSink late("late");
        lateName = late.name;
        ASSERT_TRUE(waitFor([&] { return outputNamed(lateName).has_value(); }));
        EXPECT_GE(outputReports, 1);
    }
    const int before = outputReports;
    EXPECT_TRUE(waitFor([&] { return !outputNamed(lateName).has_value() && outputReports > before; }));
}

TEST_F(PulseAudioOutputsIntegrationTest, ADefaultSinkChangeIsReported)
{
    OwnSink sink("default");
    waitForOutput(sink.name);
    const uint32_t id = outputNamed(sink.name)->id;
    const QString previous = pactl({"get-default-sink"}).value_or("speakers");
    int reports = 0;
    auto changed = audio.defaultOutputChanged.connect([&] { ++reports; });
    pactl({"set-default-sink", QString::fromStdString(sink.name)});
    const bool seen = waitFor([&] { return audio.defaultOutput() == id && reports > 0; });
    pactl({"set-default-sink", previous});
    EXPECT_TRUE(seen);
}

TEST(PulseAudioOutputsNoServerTest, WithoutAServerTheServiceIsEmptyAndQuiet)
{
    vesk::test::ScopedEnv server("PULSE_SERVER", "unix:/nonexistent/vesk-test-socket");
    PulseAudioOutputs audio;
    audio.start();
    int reports = 0;
    auto a = audio.outputsChanged.connect([&] { ++reports; });
    auto b = audio.defaultOutputChanged.connect([&] { ++reports; });
    // There is no event to wait for: give the failed attempt a moment to reach the main thread and
    // check that it changed nothing.
    EXPECT_FALSE(waitFor([&] { return audio.isAvailable() || reports > 0; }, 200));
    EXPECT_TRUE(audio.outputs().empty());
    EXPECT_EQ(audio.defaultOutput(), std::nullopt);
    EXPECT_FALSE(audio.setVolume(0, 0.5f));
    EXPECT_FALSE(audio.setMuted(0, true));
}

namespace {
// A PulseAudio server of the test's own, on a private socket, that the test can stop and restart.
class PrivateServer {
public:
    PrivateServer()
    {
        QDir(dir.path()).mkpath("run");
        QFile(dir.filePath("run")).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile script(dir.filePath("server.pa"));
        script.open(QIODevice::WriteOnly);
        script.write(QString("load-module module-native-protocol-unix socket=%1 auth-anonymous=1\n"
                             "load-module module-null-sink sink_name=private sink_properties=device.description=Private\n")
                         .arg(socket())
                         .toUtf8());
    }
    ~PrivateServer() { stop(); }
    QString socket() const { return dir.filePath("socket"); }
    bool start()
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", dir.filePath("run"));
        env.insert("HOME", dir.path());
        // The suite's own server holds the session bus name that every server claims.
        env.remove("DBUS_SESSION_BUS_ADDRESS");
        process.setProcessEnvironment(env);
        process.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
                                     "--use-pid-file=no", "--system=no", "-F", dir.filePath("server.pa")});
        return process.waitForStarted(10000) && waitFor([&] { return QFile::exists(socket()); });
    }
    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.kill();
        process.waitForFinished(10000);
        QFile::remove(socket());
    }

private:
    QTemporaryDir dir;
    QProcess process;
};
}  // namespace

TEST(PulseAudioOutputsReconnectTest, ALostServerEmptiesTheServiceUntilItComesBack)
{
    PrivateServer server;
    ASSERT_TRUE(server.start());
    vesk::test::ScopedEnv address("PULSE_SERVER", ("unix:" + server.socket()).toStdString());
    PulseAudioOutputs audio;
    audio.start();
    auto named = [&](const char *name) {
        auto list = audio.outputs();
        return std::any_of(list.begin(), list.end(), [&](auto &d) { return d.name == name; });
    };
    ASSERT_TRUE(waitFor([&] { return named("Private"); }));
    int listReports = 0;
    auto c = audio.outputsChanged.connect([&] { ++listReports; });

    server.stop();
    ASSERT_TRUE(waitFor([&] { return audio.outputs().empty() && listReports == 1; }));
    EXPECT_FALSE(audio.isAvailable());
    EXPECT_EQ(audio.defaultOutput(), std::nullopt);
    EXPECT_FALSE(audio.setVolume(1, 0.5f));

    ASSERT_TRUE(server.start());
    EXPECT_TRUE(waitFor([&] { return named("Private") && audio.isAvailable(); }));
    EXPECT_EQ(listReports, 2);
}
