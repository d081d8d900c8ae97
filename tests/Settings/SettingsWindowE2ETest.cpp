// The settings window of the built program on the X screen that scripts/run-tests starts, under
// its window manager, seen from outside: a second start opens it, the user clicks in it and closes
// it with the keyboard, and a later start opens it again where it was left.
#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "App/SettingsHost.h"
#include "Platform/LoginItem.h"
#include "Platform/sim/SimLoginItem.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/PaneScaffold.h"
#include "Settings/SettingsWindow.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenuBar>
#include <QProcess>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "../Island/QtOnXSupport.h"
#include "../Island/X11ProbeSupport.h"

#include <X11/Xatom.h>

#include <csignal>

using namespace vesk;
using test::qtOnX;
using test::waitFor;
using test::xdotool;
using SettingsView::Pane;

namespace {

// The managed windows of process `pid`, as the window manager lists them.
std::vector<Window> clientsOf(test::X11Probe &probe, qint64 pid)
{
    std::vector<Window> out;
    for (long window : probe.cardinals(probe.root(), "_NET_CLIENT_LIST")) {
        const auto owner = probe.cardinals(Window(window), "_NET_WM_PID");
        if (!owner.empty() && owner.front() == pid)
            out.push_back(Window(window));
    }
    return out;
}

QString nameOf(test::X11Probe &probe, Window window)
{
    Display *display = probe.display();
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    QString name;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 256, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after, &data)
            == Success
        && data && format == 8)
        name = QString::fromUtf8(reinterpret_cast<const char *>(data), int(count));
    if (data)
        XFree(data);
    return name;
}

// Where, in client coordinates, the program's window at its first size shows a switch's label and
// a sidebar row: the same window built here, laid out but never put on the screen. Both processes
// run Qt on the same X server with the same style and fonts, so they lay it out alike.
struct Layout {
    QPoint switchLabel;
    QPoint sidebarRow;
};

Layout measure(const QString &switchLabel, Pane row)
{
    test::useFreshDefaults();
    SimLoginItem item;
    setLoginItem(&item);
    auto model = NotchViewModel::makePrimary();
    Layout layout;
    {
        SettingsHost host(*model, QProcessEnvironment());
        SettingsWindow window(std::make_unique<SettingsView::Selection>(QStringLiteral("general")), PaneContext{model.get()});
        window.setMenuBar(host.makeMainMenu(window));
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.resize(760, 640);
        window.show();
        QCoreApplication::processEvents();
        QCheckBox *box = window.pane()->form().find(PaneForm::Kind::switcher, switchLabel)->checkBox;
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        // The label's own rectangle: the contents start after the box, the click area ends with the text.
        const QRect contents = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        const QRect clickable = box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &option, box);
        layout.switchLabel = box->mapTo(&window, QPoint((contents.left() + clickable.right()) / 2, contents.center().y()));
        auto *list = window.findChild<QListWidget *>();
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->text() == SettingsView::title(row))
                layout.sidebarRow = list->viewport()->mapTo(&window, list->visualItemRect(list->item(i)).center());
    }
    setLoginItem(nullptr);
    return layout;
}

class SettingsWindowE2ETest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(qtOnX) << "no X display";
        ASSERT_TRUE(probe.ok());
        ASSERT_TRUE(QDir().mkpath(home.path() + "/run"));
        QFile::setPermissions(home.path() + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        // A settings file of a user who has seen the tour, so that nothing but the window comes.
        ASSERT_TRUE(QDir().mkpath(home.path() + "/config/vesk"));
        QFile file(settingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(nlohmann::json{{"hasSeenOnboarding", true}, {Defaults::migrationFlagKey, true}}.dump().c_str());
    }
    void TearDown() override
    {
        xdotool({"set_desktop", "0"});  // the other tests expect the first workspace
        if (first.state() != QProcess::NotRunning) {
            first.terminate();
            first.waitForFinished(10000);
        }
    }

    QString settingsPath() const { return home.path() + "/config/vesk/settings.json"; }
    nlohmann::json settingsFile() const
    {
        QFile file(settingsPath());
        if (!file.open(QIODevice::ReadOnly))
            return nullptr;
        return nlohmann::json::parse(file.readAll().toStdString(), nullptr, false);
    }
    QProcessEnvironment environment() const
    {
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + "/config");
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path() + "/run");
        env.remove(QStringLiteral("VESK_DEBUG_PANE"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        return env;
    }
    void startFirst()
    {
        first.setProcessEnvironment(environment());
        first.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
        ASSERT_TRUE(first.waitForStarted(10000));
        ASSERT_TRUE(waitFor([&] {
            return !QDir(home.path() + "/run").entryList({QStringLiteral("vesk*.socket")}, QDir::System).isEmpty();
        })) << "the first start does not listen";
    }
    // A second start: it hands over to the first and ends, and the first hears it.
    void startAgain()
    {
        QProcess second;
        second.setProcessEnvironment(environment());
        second.start(QStringLiteral(VESK_BUILD_DIR "/vesk"), {});
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        ++reopens;
        EXPECT_TRUE(waitFor([&] {
            log += first.readAllStandardError();
            return log.count("Vesk: asked to reopen by a second start") == reopens;
        })) << log.toStdString();
    }
    // The first start's one window named `title` once it is on the screen; none when it does not come.
    Window settingsWindow(const QString &title)
    {
        Window found = 0;
        waitFor([&] {
            found = 0;
            for (Window w : clientsOf(probe, first.processId()))
                if (nameOf(probe, w) == title && probe.isViewable(w))
                    found = w;
            return found != 0;
        });
        return found;
    }
    int windowsNamed(const QString &title)
    {
        int count = 0;
        for (Window w : clientsOf(probe, first.processId()))
            count += nameOf(probe, w) == title;
        return count;
    }
    QPoint pointer()
    {
        Window rootReturn, child;
        int x = 0, y = 0, wx, wy;
        unsigned int mask;
        XQueryPointer(probe.display(), probe.root(), &rootReturn, &child, &x, &y, &wx, &wy, &mask);
        return {x, y};
    }
    bool click(QPoint rootPoint)
    {
        // A move with --sync waits for the pointer to move, so only when it is elsewhere.
        if (pointer() != rootPoint
            && !xdotool({"mousemove", "--sync", QString::number(rootPoint.x()), QString::number(rootPoint.y())}))
            return false;
        return xdotool({"click", "1"});
    }

    test::X11Probe probe;
    QTemporaryDir home;
    QProcess first;
    QByteArray log;
    qsizetype reopens = 0;
};

TEST_F(SettingsWindowE2ETest, SecondStartOpensTheWindowThatClosesWithCtrlWAndReopensWhereItWasLeft)
{
    const Layout layout = measure(QStringLiteral("Show tray icon"), Pane::notch);
    ASSERT_FALSE(layout.switchLabel.isNull());
    ASSERT_FALSE(layout.sidebarRow.isNull());

    startFirst();
    startAgain();
    const Window general = settingsWindow(QStringLiteral("General"));
    ASSERT_NE(general, 0u) << "no General window after a second start";
    startAgain();  // the open window only comes forward
    EXPECT_FALSE(waitFor([&] { return windowsNamed(QStringLiteral("General")) > 1; }, 1000));
    EXPECT_EQ(windowsNamed(QStringLiteral("General")), 1);
    EXPECT_EQ(probe.geometry(general).size(), QSize(760, 640));
    EXPECT_EQ(probe.atomList(general, "_NET_WM_WINDOW_TYPE"), std::vector<QString>{"_NET_WM_WINDOW_TYPE_NORMAL"});
    const auto states = probe.atomList(general, "_NET_WM_STATE");
    EXPECT_EQ(std::count(states.begin(), states.end(), QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")), 0);

    // A click on the label (not the box) of a switch writes the settings file at once.
    EXPECT_EQ(settingsFile().value("showMenuBarIcon", true), true);
    ASSERT_TRUE(click(probe.geometry(general).topLeft() + layout.switchLabel));
    EXPECT_TRUE(waitFor([&] { return settingsFile().value("showMenuBarIcon", true) == false; }))
        << settingsFile().dump();

    // The user moves it and picks another pane (a pick in the window's first half second is
    // ignored: the click is repeated until one counts).
    const QRect centred = probe.geometry(general);
    ASSERT_TRUE(xdotool({"windowmove", QString::number(general), "300", "120"}));
    ASSERT_TRUE(waitFor([&] { return probe.geometry(general).topLeft() != centred.topLeft(); }));
    ASSERT_TRUE(waitFor([&] {
        return click(probe.geometry(general).topLeft() + layout.sidebarRow)
            && waitFor([&] { return nameOf(probe, general) == QStringLiteral("Notch"); }, 700);
    })) << "the sidebar row does not select Notch";
    const QRect frame = probe.geometry(general);

    // Ctrl+W closes the window; Vesk runs on and keeps where it stood.
    ASSERT_TRUE(xdotool({"windowactivate", "--sync", QString::number(general)}));
    ASSERT_TRUE(xdotool({"key", "ctrl+w"}));
    EXPECT_TRUE(waitFor([&] {
        const auto clients = clientsOf(probe, first.processId());
        return std::find(clients.begin(), clients.end(), general) == clients.end();
    })) << "the window is still there";
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(settingsFile().value(SettingsHost::frameKey, nlohmann::json()),
              (nlohmann::json::array({frame.x(), frame.y(), frame.width(), frame.height()})));
    EXPECT_EQ(settingsFile().value("settingsLastPane", ""), "Notch");

    // The next start opens it again on that pane, at that frame.
    startAgain();
    const Window notch = settingsWindow(QStringLiteral("Notch"));
    ASSERT_NE(notch, 0u) << "no Notch window after reopening";
    EXPECT_EQ(windowsNamed(QStringLiteral("Notch")), 1);
    EXPECT_TRUE(waitFor([&] { return probe.geometry(notch) == frame; }))
        << probe.geometry(notch).x() << "," << probe.geometry(notch).y() << " " << probe.geometry(notch).width()
        << "x" << probe.geometry(notch).height();
    EXPECT_EQ(first.state(), QProcess::Running);
}

}  // namespace

TEST_F(SettingsWindowE2ETest, QuittingWithTheWindowOpenKeepsItsFrameForTheNextRun)
{
    const Layout layout = measure(QStringLiteral("Show tray icon"), Pane::general);
    startFirst();
    startAgain();
    const Window general = settingsWindow(QStringLiteral("General"));
    ASSERT_NE(general, 0u) << "no General window after a second start";
    const QRect centred = probe.geometry(general);
    ASSERT_TRUE(xdotool({"windowmove", QString::number(general), "420", "60"}));
    ASSERT_TRUE(waitFor([&] { return probe.geometry(general).topLeft() != centred.topLeft(); }));
    const QRect frame = probe.geometry(general);
    // The program has taken in the move once it has handled a click that came after it.
    ASSERT_TRUE(click(frame.topLeft() + layout.switchLabel));
    ASSERT_TRUE(waitFor([&] { return settingsFile().value("showMenuBarIcon", true) == false; }));

    ::kill(pid_t(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(settingsFile().value(SettingsHost::frameKey, nlohmann::json()),
              (nlohmann::json::array({frame.x(), frame.y(), frame.width(), frame.height()})));

    log.clear();
    reopens = 0;
    startFirst();
    startAgain();
    const Window again = settingsWindow(QStringLiteral("General"));
    ASSERT_NE(again, 0u) << "no General window in the next run";
    EXPECT_TRUE(waitFor([&] { return probe.geometry(again) == frame; }));
}

TEST_F(SettingsWindowE2ETest, ReopeningBringsTheWindowToTheWorkspaceShown)
{
    startFirst();
    startAgain();
    const Window general = settingsWindow(QStringLiteral("General"));
    ASSERT_NE(general, 0u) << "no General window after a second start";
    ASSERT_EQ(probe.cardinals(general, "_NET_WM_DESKTOP"), std::vector<long>{0});

    // On another workspace the window is out of sight; asking for it again brings it over (this
    // window manager also does so for an activated window, so either half of that suffices here).
    ASSERT_TRUE(xdotool({"set_desktop", "2"}));
    ASSERT_TRUE(waitFor([&] { return !probe.isViewable(general); }));
    startAgain();
    EXPECT_TRUE(waitFor([&] { return probe.cardinals(general, "_NET_WM_DESKTOP") == std::vector<long>{2}; }));
    EXPECT_TRUE(waitFor([&] { return probe.isViewable(general); }));
    EXPECT_EQ(windowsNamed(QStringLiteral("General")), 1);
}
