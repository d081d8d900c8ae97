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
#include "SettingsE2ESupport.h"  // X11 headers last: their macros break Qt's

#include <X11/Xatom.h>

#include <csignal>

using namespace vesk;
using test::qtOnX;
using test::waitFor;
using test::xdotool;
using SettingsView::Pane;

namespace {

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

using SettingsWindowE2ETest = test::SettingsE2ETest;

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

    vesk::test::signalProcess(first.processId(), SIGTERM);
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
