// The Lock Screen pane of the built program under the window manager, driven through the real
// pointer and keyboard: the sound chooser takes a typed WAV path and refuses a text file, Play
// sends the chosen file to the test's sound server, Reset goes back to the built-in sound, and a
// click on a switch writes its key.
#include "App/SettingsHost.h"
#include "Model/NotchViewModel.h"
#include "Platform/LoginItem.h"
#include "Platform/sim/SimLoginItem.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/PaneScaffold.h"
#include "Settings/Panes/SoundRow.h"
#include "Settings/SettingsWindow.h"

#include <QCheckBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "SettingsE2ESupport.h"  // X11 headers last: their macros break Qt's

using namespace vesk;
using test::pactl;
using test::waitFor;
using test::xdotool;

namespace {

constexpr int windowHeight = 800;  // tall enough for the sound rows, short enough for the test screen

// Where the program's window shows the unlock row's buttons and the sounds switch's label: the same
// window built here at the same size, laid out but never put on the screen.
struct Places {
    QPoint choose, play, reset, soundsLabel;
};

Places measure(const QString &unlockPath)
{
    test::useFreshDefaults();
    UserDefaults::standard().set(settings::unlockSoundPath, unlockPath.toStdString());
    SimLoginItem item;
    setLoginItem(&item);
    auto model = NotchViewModel::makePrimary();
    Places places;
    {
        SettingsHost host(*model, QProcessEnvironment());
        SettingsWindow window(std::make_unique<SettingsView::Selection>(QStringLiteral("lockScreen")),
                              PaneContext{model.get()});
        window.setMenuBar(host.makeMainMenu(window));
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.resize(760, windowHeight);
        window.show();
        QCoreApplication::processEvents();
        PaneForm &form = window.pane()->form();
        auto centre = [&](QWidget *w) { return w->mapTo(&window, w->rect().center()); };
        auto *row = static_cast<SoundRow *>(form.find(PaneForm::Kind::sound, QStringLiteral("Unlock sound"))->control);
        places.choose = centre(row->chooseButton());
        places.play = centre(row->playButton());
        places.reset = centre(row->resetButton());
        QCheckBox *box = form.find(PaneForm::Kind::switcher, QStringLiteral("Play a sound when locking and unlocking"))->checkBox;
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect contents = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        places.soundsLabel = box->mapTo(&window, QPoint(contents.left() + 20, contents.center().y()));
    }
    setLoginItem(nullptr);
    return places;
}

// Whether process `pid` has a stream of the user's sound file on the sound server.
bool playsFile(qint64 pid)
{
    auto list = nlohmann::json::parse(pactl({"-f", "json", "list", "sink-inputs"}).value_or("").toStdString(), nullptr, false);
    if (!list.is_array())
        return false;
    for (auto &input : list) {
        const auto &props = input["properties"];
        if (props.value("application.process.id", "") == std::to_string(pid) && props.value("media.name", "") == "Vesk sound file")
            return true;
    }
    return false;
}

class LockScreenPaneE2ETest : public test::SettingsE2ETest {
protected:
    // Opens the chooser, types `path` into it and confirms it; what went wrong, if anything.
    std::string choose(Window window, QPoint at, const QString &path)
    {
        if (!click(probe.geometry(window).topLeft() + at))
            return "no click";
        const Window dialog = settingsWindow(QStringLiteral("Choose a unlock sound"));
        if (!dialog)
            return "no chooser";
        // Typed slowly: at a few milliseconds a key the X server drops some of them.
        if (!xdotool({"windowactivate", "--sync", QString::number(dialog)}) || !xdotool({"type", "--delay", "60", path}))
            return "no typing";
        // The first Return may only take the name's completion; the dialog goes with the next.
        const bool gone = waitFor([&] {
            if (!probe.isViewable(dialog))
                return true;
            xdotool({"key", "Return"});
            return waitFor([&] { return windowsNamed(QStringLiteral("Choose a unlock sound")) == 0; }, 1500);
        });
        return gone ? std::string() : "the chooser stays";
    }
    std::string unlockPath() const { return settingsFile().value("unlockSoundPath", std::string("(none)")); }
};

TEST_F(LockScreenPaneE2ETest, TheChooserTakesATypedWavRefusesTextAndPlayReachesTheSoundServer)
{
    ASSERT_TRUE(pactl({"info"})) << "no sound server";
    const QString tone = home.filePath("tone.wav");
    const QString notes = home.filePath("notes.txt");
    {
        QFile wav(tone), text(notes);
        ASSERT_TRUE(wav.open(QIODevice::WriteOnly) && text.open(QIODevice::WriteOnly));
        QByteArray clip("RIFF");
        auto u32 = [&](quint32 v) { clip.append(reinterpret_cast<const char *>(&v), 4); };
        auto u16 = [&](quint16 v) { clip.append(reinterpret_cast<const char *>(&v), 2); };
        const int frames = 44100;  // a second, so the stream is still there when it is looked for
        u32(36 + 2 * frames);
        clip.append("WAVEfmt ");
        u32(16);
        u16(1);
        u16(1);
        u32(44100);
        u32(88200);
        u16(2);
        u16(16);
        clip.append("data");
        u32(2 * frames);
        for (int i = 0; i < frames; ++i)
            u16(quint16(qint16(800 * ((i / 50) % 2 ? 1 : -1))));
        wav.write(clip);
        text.write("only words\n");
    }
    const Places empty = measure(QString());
    const Places chosen = measure(tone);
    {
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(nlohmann::json{{"hasSeenOnboarding", true},
                                  {Defaults::migrationFlagKey, true},
                                  {"settingsLastPane", "Lock Screen"},
                                  {SettingsHost::frameKey, {100, 40, 760, windowHeight}}}
                       .dump()
                       .c_str());
    }
    startFirst();
    startAgain();
    const Window window = settingsWindow(QStringLiteral("Lock Screen"));
    ASSERT_NE(window, 0u) << "no Lock Screen window";
    ASSERT_TRUE(waitFor([&] { return probe.geometry(window).size() == QSize(760, windowHeight); }))
        << probe.geometry(window).width() << "x" << probe.geometry(window).height();

    ASSERT_EQ(choose(window, empty.choose, notes), "");
    EXPECT_EQ(unlockPath(), "(none)") << "a text file is refused";

    ASSERT_EQ(choose(window, empty.choose, tone), "");
    EXPECT_TRUE(waitFor([&] { return unlockPath() == tone.toStdString(); })) << unlockPath();

    ASSERT_TRUE(click(probe.geometry(window).topLeft() + chosen.play));
    EXPECT_TRUE(waitFor([&] { return playsFile(first.processId()); })) << "no stream of the file on the server";

    ASSERT_TRUE(click(probe.geometry(window).topLeft() + chosen.reset));
    EXPECT_TRUE(waitFor([&] { return unlockPath().empty(); })) << unlockPath();

    ASSERT_TRUE(click(probe.geometry(window).topLeft() + empty.soundsLabel));
    EXPECT_TRUE(waitFor([&] { return settingsFile().value("lockSounds", true) == false; })) << settingsFile().dump();
}

}  // namespace
