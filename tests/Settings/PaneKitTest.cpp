#include "Settings/PaneKit/OptionCards.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/PaneStyle.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/SettingsView.h"

#include "Model/Defaults.h"
#include "Platform/UserDefaults.h"
#include "Base/VirtualTime.h"

#include <QCheckBox>
#include <QSlider>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace vesk;

namespace {

class PaneKitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        Defaults::registerTable(UserDefaults::standard(), QProcessEnvironment());
    }
    VirtualTime time;
};

SliderRow::Spec spec(const Setting<double> &setting, double min, double max, double step, double def)
{
    return {.title = QStringLiteral("Row"), .value = setting, .min = min, .max = max, .step = step, .defaultValue = def};
}

TEST_F(PaneKitTest, SliderTicksStoreRoundedValues)
{
    SliderRow row(spec(settings::closeDelay, 0, 1.5, 0.1, 0));
    EXPECT_EQ(row.tickCount(), 15);
    EXPECT_EQ(row.slider()->maximum(), 15);
    row.dragTo(0.3, false);
    EXPECT_EQ(UserDefaults::standard().storedValue("closeDelay"), nlohmann::json(0.3));  // not 0.30000000000000004
    EXPECT_EQ(row.valueText(), "0.3 s");
    row.dragTo(99, false);
    EXPECT_DOUBLE_EQ(UserDefaults::standard().value(settings::closeDelay), 1.5);
    row.dragTo(-4, false);
    EXPECT_DOUBLE_EQ(UserDefaults::standard().value(settings::closeDelay), 0);
}

TEST_F(PaneKitTest, AStoredValueOffTheTicksKeepsItsTextUntilMoved)
{
    UserDefaults::standard().set(settings::closeDelay, 1.64);
    SliderRow row(spec(settings::closeDelay, 0, 1.5, 0.1, 1.6));
    EXPECT_EQ(row.slider()->value(), 15);  // out of range: the nearest tick
    EXPECT_EQ(row.valueText(), "1.6 s");   // its own text, formatted
    EXPECT_TRUE(row.isAtDefault());        // 1.64 is within half a step of 1.6
    EXPECT_TRUE(row.resetButton()->isHidden());
    EXPECT_DOUBLE_EQ(*UserDefaults::standard().storedValue("closeDelay"), 1.64);
    UserDefaults::standard().set(settings::closeDelay, 1.7);
    row.refresh();
    EXPECT_FALSE(row.isAtDefault());
    EXPECT_FALSE(row.resetButton()->isHidden());
    row.reset();
    EXPECT_DOUBLE_EQ(UserDefaults::standard().value(settings::closeDelay), 1.6);
}

TEST_F(PaneKitTest, ResetIgnoredAtTheDefaultAndFormatsInTheCLocale)
{
    SliderRow row(spec(settings::closeDelay, 0, 10, 0.5, 3));
    UserDefaults::standard().set(settings::closeDelay, 3.0);
    row.refresh();
    row.reset();  // the invisible button does not react
    EXPECT_EQ(row.resetButton()->toolTip(), "Reset to default (3.0 s)");
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(SliderRow::formatSeconds(2.5), "2.5 s");
    std::setlocale(LC_ALL, "C");
    SliderRow points({.title = QStringLiteral("Width"),
                      .value = settings::notchWidthAdjustment,
                      .min = 0,
                      .max = 160,
                      .step = 5,
                      .defaultValue = 0,
                      .format = [](double v) { return QString::asprintf("%+.0f pt", v); }});
    EXPECT_EQ(points.tickCount(), 32);
    EXPECT_EQ(points.valueText(), "+0 pt");
}

TEST_F(PaneKitTest, ASliderWithoutItsOwnDefaultResetsToTheTables)
{
    UserDefaults::standard().set(settings::hudDuration, 3.0);
    SliderRow row({.title = QStringLiteral("Duration"), .value = settings::hudDuration, .min = 0.5, .max = 5, .step = 0.1});
    EXPECT_EQ(row.resetButton()->toolTip(), "Reset to default (1.6 s)");
    EXPECT_FALSE(row.isAtDefault());
    row.reset();
    EXPECT_EQ(UserDefaults::standard().storedValue("hudDuration"), nlohmann::json(1.6));
    EXPECT_TRUE(row.isAtDefault());
}

TEST_F(PaneKitTest, AHeldSliderReportsItsReleaseWhenItGoes)
{
    std::vector<bool> editing;
    auto s = spec(settings::notchWidthAdjustment, 0, 160, 5, 0);
    s.onEditing = [&](bool held) { editing.push_back(held); };
    {
        SliderRow row(s);
        row.dragTo(40, true);
        EXPECT_TRUE(row.isHeld());
        EXPECT_DOUBLE_EQ(UserDefaults::standard().value(settings::notchWidthAdjustment), 40);
    }
    EXPECT_EQ(editing, (std::vector<bool>{true, false}));
}

TEST_F(PaneKitTest, CardsFollowTheStoreAndAnUnknownValueSelectsNone)
{
    auto *cards = OptionCards::make<QString>(QStringLiteral("Style"), settings::externalDisplayStyle,
                                             {{QStringLiteral("hidden"), QStringLiteral("Hidden")},
                                              {QStringLiteral("pill"), QStringLiteral("Island")}},
                                             [](const QString &) { return kit::Empty(); });
    std::unique_ptr<OptionCards> owner(cards);
    EXPECT_EQ(cards->selectedTitle(), "Hidden");
    UserDefaults::standard().set(settings::externalDisplayStyle, "capsule");
    cards->refresh();
    EXPECT_EQ(cards->selectedTitle(), std::nullopt);
    for (auto *card : cards->cards())
        EXPECT_FALSE(card->isSelected());
    cards->card(QStringLiteral("Island"))->click();
    EXPECT_EQ(UserDefaults::standard().value(settings::externalDisplayStyle), "pill");
    EXPECT_TRUE(cards->card(QStringLiteral("Island"))->isSelected());
    EXPECT_EQ(cards->card(QStringLiteral("Island"))->height(),
              cards->card(QStringLiteral("Hidden"))->height());
    EXPECT_GE(cards->card(QStringLiteral("Island"))->height(), OptionCard::previewHeight + 7);
}

TEST_F(PaneKitTest, FormRereadsEveryControlWithoutWritingBackAndResetMovesThemAll)
{
    PaneForm form;
    form.section(QStringLiteral("S"));
    form.addSwitch(QStringLiteral("Haptic feedback"), settings::hapticFeedback);
    form.addSwitch(QStringLiteral("On hover"), settings::hapticOnHover,
                   {.enabled = [] { return UserDefaults::standard().value(settings::hapticFeedback); }});
    form.addSlider(new SliderRow(spec(settings::closeDelay, 0, 1.5, 0.1, 0)));
    form.addCards(OptionCards::make<bool>(QStringLiteral("Glass"), settings::fadeToGlass,
                                          {{false, QStringLiteral("Black")}, {true, QStringLiteral("Glass")}},
                                          [](const bool &) { return kit::Empty(); }));
    // A fresh "fadeToGlass" reads its registered true.
    EXPECT_TRUE(form.find(PaneForm::Kind::cards, QStringLiteral("Glass")));
    auto lines = form.describe();
    EXPECT_EQ(lines[3], "slider \"Row\" \"0.0 s\" reset=hidden");
    EXPECT_EQ(lines[4], "cards \"Glass\" \"Glass\"");

    UserDefaults::standard().set(settings::hapticFeedback, false);
    UserDefaults::standard().set(settings::closeDelay, 0.5);
    UserDefaults::standard().set(settings::fadeToGlass, false);
    lines = form.describe();
    EXPECT_EQ(lines[1], "switch \"Haptic feedback\" off");
    EXPECT_EQ(lines[2], "switch \"On hover\" on disabled");  // its value stays, only disabled
    EXPECT_EQ(lines[3], "slider \"Row\" \"0.5 s\" reset=shown");
    EXPECT_EQ(lines[4], "cards \"Glass\" \"Black\"");
    EXPECT_FALSE(UserDefaults::standard().storedValue("hapticOnHover"));  // nothing written back

    form.find(PaneForm::Kind::switcher, QStringLiteral("On hover"))->checkBox->click();  // disabled: ignored
    EXPECT_FALSE(UserDefaults::standard().storedValue("hapticOnHover"));

    UserDefaults::standard().set(SettingsView::lastPaneSetting, "Notch");
    Defaults::reset();
    lines = form.describe();
    EXPECT_EQ(lines[1], "switch \"Haptic feedback\" on");
    EXPECT_EQ(lines[2], "switch \"On hover\" on");
    EXPECT_EQ(lines[3], "slider \"Row\" \"0.0 s\" reset=hidden");
    EXPECT_EQ(lines[4], "cards \"Glass\" \"Glass\"");
    EXPECT_EQ(UserDefaults::standard().value(SettingsView::lastPaneSetting), "Notch");
}

TEST(PaneIconTest, DrawsItsSquareAtTheAskedSize)
{
    const QPixmap icon = PaneIcon{SettingsView::Pane::general, 20}.pixmap(2);
    EXPECT_EQ(icon.size(), QSize(40, 40));
    const QImage image = icon.toImage();
    // Corners are rounded away (radius 4.8), the middle of an edge is the tint.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(20, 1)), 255);
}

}  // namespace
