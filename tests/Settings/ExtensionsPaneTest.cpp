// The Extensions pane over a registry with a catalogue of two: a section per extension in
// catalogue order, the switch and the options following what runs.
#include "Extensions/ExtensionStore.h"
#include "Platform/UserDefaults.h"
#include "Base/VirtualTime.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/SwitchButton.h"
#include "Settings/Panes/ExtensionsPane.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace vesk;
using Kind = PaneForm::Kind;

namespace {

// An extension whose options are one switch of the pane kit.
class OptionsExtension final : public IslandExtension {
public:
    explicit OptionsExtension(ExtensionInfo info) : info_(std::move(info)) {}
    const ExtensionInfo &info() const override { return info_; }
    std::optional<ExtensionActivity> activity() const override { return std::nullopt; }
    std::unique_ptr<QWidget> makeSettingsView() override
    {
        auto form = std::make_unique<PaneForm>(PaneForm::Style::embedded);
        form->addSwitch(QStringLiteral("Option of ") + QString::fromStdString(info_.name), option);
        return form;
    }
    static constexpr Setting<bool> option{"test.option", false};

private:
    ExtensionInfo info_;
};

ExtensionStore::Type type(const char *id, const char *name, const char *category)
{
    ExtensionInfo info{id, name, std::string("What ") + name + " does", "cpu", QColor("#336699"), category};
    return {info, [info] { return std::make_shared<OptionsExtension>(info); }};
}

class ExtensionsPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        ExtensionStore::setCatalog(std::vector{type("beta", "Beta", "Tools"), type("alpha", "Alpha", "Monitors")});
    }
    void TearDown() override { ExtensionStore::setCatalog(std::nullopt); }

    ExtensionStore store;
    VirtualTime time;
};

const std::string footnote = "footnote \"Each extension gets its own tab in the expanded notch and can show Live "
                             "Activities beside it. New extensions arrive with updates.\"";

TEST_F(ExtensionsPaneTest, OneSectionPerExtensionInCatalogueOrderThenTheFootnote)
{
    ExtensionsPane pane(store);
    const std::vector<std::string> expected = {"header \"Tools\"",    "extension \"Beta\" off", "header \"Monitors\"",
                                               "extension \"Alpha\" off", "header", footnote};
    EXPECT_EQ(pane.form().describe(), expected);
}

TEST_F(ExtensionsPaneTest, EnabledBeforeOpeningShowsItsOptionsAtOnceAndOffHidesThemAtOnce)
{
    store.setEnabled("alpha", true);
    ExtensionsPane pane(store);
    auto lines = pane.form().describe();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[3], "extension \"Alpha\" on");
    EXPECT_EQ(lines[4], "switch \"Option of Alpha\" off");
    PaneForm::Row *option = pane.form().find(Kind::switcher, QStringLiteral("Option of Alpha"));
    ASSERT_TRUE(option) << "the options are found like the pane's own rows";
    option->checkBox->click();
    EXPECT_TRUE(UserDefaults::standard().value(OptionsExtension::option));

    pane.form().find(Kind::extension, QStringLiteral("Alpha"))->checkBox->click();
    EXPECT_FALSE(store.instance("alpha"));
    EXPECT_EQ(pane.form().describe()[3], "extension \"Alpha\" off");
    EXPECT_EQ(pane.form().describe().size(), 6u);
    EXPECT_FALSE(pane.form().find(Kind::switcher, QStringLiteral("Option of Alpha")));
}

TEST_F(ExtensionsPaneTest, TheSwitchFollowsTheRegistryAndAClickOnTheNameTogglesIt)
{
    ExtensionsPane pane(store);
    store.setEnabled("beta", true);  // from elsewhere (another window, the tour)
    EXPECT_EQ(pane.form().describe()[1], "extension \"Beta\" on");
    EXPECT_EQ(pane.form().describe()[2], "switch \"Option of Beta\" off");

    QLabel *name = nullptr;
    for (auto *label : pane.findChildren<QLabel *>())
        if (label->text() == "Beta")
            name = label;
    ASSERT_TRUE(name);
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, name->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, at, name->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(name, &press);
    QApplication::sendEvent(name, &release);
    EXPECT_FALSE(store.instance("beta"));
    EXPECT_EQ(pane.form().describe()[1], "extension \"Beta\" off");
}

TEST_F(ExtensionsPaneTest, ThePaneWritesNoEnabledListOfItsOwn)
{
    UserDefaults::standard().set(ExtensionStore::enabledKey, nlohmann::json("alpha"));  // malformed
    store.startEnabled();
    {
        ExtensionsPane pane(store);
        EXPECT_EQ(pane.form().describe()[3], "extension \"Alpha\" off");
        pane.form().refresh();
    }
    EXPECT_EQ(UserDefaults::standard().storedValue(ExtensionStore::enabledKey), nlohmann::json("alpha"));
}

}  // namespace

// An extension's switch is a switch drawn like the pane kit's, named by the extension for a screen
// reader, whose toggle starts and stops the extension; showing the registry's state writes nothing.
TEST_F(ExtensionsPaneTest, TheExtensionsSwitchIsASwitchAScreenReaderToggles)
{
    ExtensionsPane pane(store);
    QCheckBox *box = pane.form().find(Kind::extension, QStringLiteral("Alpha"))->checkBox;
    EXPECT_TRUE(dynamic_cast<SwitchButton *>(box));
    QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(box);
    ASSERT_TRUE(spoken && spoken->actionInterface());
    EXPECT_EQ(spoken->text(QAccessible::Name), QStringLiteral("Alpha"));
    spoken->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(store.instance("alpha"));
    EXPECT_EQ(pane.form().describe()[3], "extension \"Alpha\" on");
    store.setEnabled("alpha", false);  // from elsewhere
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(store.instance("alpha"));
    store.setEnabled("alpha", true);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(store.instance("alpha")) << "the pane follows the registry and leaves it be";
}
