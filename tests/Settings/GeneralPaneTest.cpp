#include "Settings/Panes/GeneralPane.h"

#include "Model/Defaults.h"
#include "Base/Log.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimLoginItem.h"
#include "Base/VirtualTime.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Updater/SimUpdater.h"

#include <QTemporaryDir>

#include <QCheckBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace vesk;
using Phase = Updater::Phase;

namespace {

TEST(UpdateStatusTest, OneLinePerPhase)
{
    EXPECT_EQ(GeneralPane::updateStatus(Phase::idle()), "Check for a new version");
    EXPECT_EQ(GeneralPane::updateStatus(Phase::checking()), "Checking\u2026");
    EXPECT_EQ(GeneralPane::updateStatus(Phase::downloading("1.2", 0.999)), "Downloading 1.2\u2026 99%");
    EXPECT_EQ(GeneralPane::updateStatus(Phase::downloading("1.2", 0.29)), "Downloading 1.2\u2026 29%");
    EXPECT_EQ(GeneralPane::updateStatus(Phase::ready("1.2")), "Vesk 1.2 is ready");
    EXPECT_EQ(GeneralPane::updateStatus(Phase::installing("1.2")), "Installing 1.2\u2026");
    EXPECT_EQ(GeneralPane::updateStatus(Phase::failed("Vesk is up to date.")), "Vesk is up to date.");
}

TEST(UpdateStatusTest, PercentIsRoundedToNineDecimalsThenTruncatedAndClamped)
{
    EXPECT_EQ(GeneralPane::downloadPercent(0.29), 29);  // 28.999999999999996 without the rounding
    EXPECT_EQ(GeneralPane::downloadPercent(0.57), 57);
    EXPECT_EQ(GeneralPane::downloadPercent(0.999), 99);
    EXPECT_EQ(GeneralPane::downloadPercent(1), 100);
    EXPECT_EQ(GeneralPane::downloadPercent(1.7), 100);
    EXPECT_EQ(GeneralPane::downloadPercent(-0.2), 0);
    EXPECT_EQ(GeneralPane::downloadPercent(std::nan("")), 0);
}

class GeneralPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        Defaults::registerTable(UserDefaults::standard(), QProcessEnvironment());
        setLoginItem(&item);
        setLogSink([this](std::string_view line) { logged.emplace_back(line); });
        // An updater whose server answers nothing: a check fails on the next turn.
        updater = std::make_unique<Updater>(world.config(cache.path().toStdString()));
        Updater::setShared(updater.get());
    }
    void TearDown() override
    {
        setLoginItem(nullptr);
        setLogSink(nullptr);
        Updater::setShared(nullptr);
        updater.reset();  // before the virtual clock it scheduled on
    }
    SimUpdaterWorld world;
    QTemporaryDir cache;
    std::unique_ptr<Updater> updater;
    PaneForm::Row &row(GeneralPane &pane, PaneForm::Kind kind, const char *label)
    {
        auto *r = pane.form().find(kind, QString::fromUtf8(label));
        EXPECT_TRUE(r);
        return *r;
    }
    VirtualTime time;
    SimLoginItem item;
    std::vector<std::string> logged;
};

TEST_F(GeneralPaneTest, LaunchAtLoginFollowsTheItemAndAFailureTurnsItselfOffAgain)
{
    item.setStatus(LoginItem::Status::enabled);
    GeneralPane pane(*updater);
    EXPECT_TRUE(pane.launchAtLogin());
    EXPECT_EQ(item.registerCalls + item.unregisterCalls, 0);  // the first display changes nothing

    item.setStatus(LoginItem::Status::disabled);
    GeneralPane fresh(*updater);
    item.setFailing(true);
    row(fresh, PaneForm::Kind::switcher, "Launch at login").checkBox->click();
    // register failed, the switch went back off, and that change ran unregister once more
    EXPECT_FALSE(fresh.launchAtLogin());
    EXPECT_FALSE(row(fresh, PaneForm::Kind::switcher, "Launch at login").checkBox->isChecked());
    EXPECT_EQ(item.registerCalls, 1);
    EXPECT_EQ(item.unregisterCalls, 1);
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].rfind("Vesk: could not update login item: ", 0), 0u);

    item.setFailing(false);
    row(fresh, PaneForm::Kind::switcher, "Launch at login").checkBox->click();
    EXPECT_EQ(item.status(), LoginItem::Status::enabled);
    EXPECT_TRUE(fresh.launchAtLogin());
}

TEST_F(GeneralPaneTest, CheckNowIsDisabledOnlyWhileChecking)
{
    GeneralPane pane(*updater);
    auto &check = row(pane, PaneForm::Kind::button, "Check for a new version");
    EXPECT_TRUE(check.button->isEnabled());
    check.button->click();
    EXPECT_EQ(Updater::shared().phase().peek(), Phase::checking());
    auto lines = pane.form().describe();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "button \"Checking\u2026\" \"Check Now\" disabled"), lines.end());
    time.flush();  // no server: a user's check ends with the connection message
    lines = pane.form().describe();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "button \"Couldn't check for updates. Check your connection.\" \"Check Now\""),
              lines.end());
    Updater::shared().setPhase(Phase::downloading("1.2", 0.5));
    EXPECT_TRUE(pane.form().findPressable(QStringLiteral("Downloading 1.2\u2026 50%"))->button->isEnabled());
}

TEST_F(GeneralPaneTest, SubSwitchesAreDisabledButKeepTheirValues)
{
    GeneralPane pane(*updater);
    UserDefaults::standard().set(settings::hapticOnHover, false);
    row(pane, PaneForm::Kind::switcher, "Haptic feedback").checkBox->click();
    EXPECT_FALSE(UserDefaults::standard().value(settings::hapticFeedback));
    EXPECT_FALSE(row(pane, PaneForm::Kind::switcher, "When the pointer reaches the notch").checkBox->isEnabled());
    EXPECT_FALSE(row(pane, PaneForm::Kind::switcher, "When the pointer reaches the notch").checkBox->isChecked());
    EXPECT_TRUE(row(pane, PaneForm::Kind::switcher, "When switching tabs").checkBox->isChecked());
    row(pane, PaneForm::Kind::switcher, "Check for updates automatically").checkBox->click();
    EXPECT_FALSE(row(pane, PaneForm::Kind::switcher, "Install updates automatically").checkBox->isEnabled());
    EXPECT_TRUE(UserDefaults::standard().value(settings::installUpdatesAutomatically));
}

}  // namespace
