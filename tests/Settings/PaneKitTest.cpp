#include "Settings/PaneKit/OptionCards.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/PaneStyle.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/PaneKit/SwitchButton.h"
#include "Settings/SettingsView.h"

#include "Model/Defaults.h"
#include "Platform/UserDefaults.h"
#include "Base/VirtualTime.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLayout>
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

namespace {

// What a switch draws at `scale` over a mid-grey ground: how many of its pixels are the accent
// colour, and where the white knob's pixels sit (their mean x, in points; -1 for none), and how
// many dark text pixels lie left of the track.
struct SwitchLook {
    int accent = 0;
    double knobX = -1;
    int rightmostAccent = -1;  // points
    int text = 0;
};

SwitchLook look(QCheckBox &box, double scale)
{
    QImage image((box.size() * scale), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(QColor(128, 128, 128));
    box.render(&image);
    const QColor accent = pane_style::accent();
    const int trackLeft = int((box.width() - SwitchButton::trackWidth - SwitchButton::focusMargin) * scale);
    SwitchLook out;
    double knobSum = 0;
    int knobCount = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - accent.red()) + std::abs(c.green() - accent.green()) + std::abs(c.blue() - accent.blue()) < 12) {
                ++out.accent;
                out.rightmostAccent = std::max(out.rightmostAccent, int(x / scale));
            }
            if (c.red() > 250 && c.green() > 250 && c.blue() > 250) {
                knobSum += x / scale;
                ++knobCount;
            }
            if (x < trackLeft && c.value() < 80)
                ++out.text;
        }
    out.knobX = knobCount ? knobSum / knobCount : -1;
    return out;
}

}  // namespace

// A switch is a track and a knob at the row's trailing edge after its label, grey with the knob
// at the left when off and the accent colour with the knob at the right when on, at both scales;
// it is still a checkable button that a click, the keyboard and a screen reader's toggle operate,
// each writing its setting.
TEST_F(PaneKitTest, SwitchesAreATrackAndAKnobThatAClickTheKeyboardAndAScreenReaderToggle)
{
    PaneForm form;
    form.addSwitch(QStringLiteral("Open on hover"), settings::openOnHover);
    QCheckBox *box = form.find(PaneForm::Kind::switcher, QStringLiteral("Open on hover"))->checkBox;
    ASSERT_TRUE(box);
    form.resize(420, 300);
    form.show();  // laid out as in a window
    QApplication::sendPostedEvents();
    ASSERT_GT(box->width(), 300) << "the switch spans its row";
    const QRect track(box->width() - SwitchButton::trackWidth - SwitchButton::focusMargin, 0, SwitchButton::trackWidth,
                      box->height());
    for (const double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        ASSERT_FALSE(box->isChecked());
        const SwitchLook off = look(*box, scale);
        EXPECT_EQ(off.accent, 0) << "off is grey";
        EXPECT_GT(off.text, 0) << "the label, left of the track";
        EXPECT_GT(off.knobX, track.left());
        EXPECT_LT(off.knobX, track.center().x()) << "the knob at the left";

        box->setChecked(true);
        const SwitchLook on = look(*box, scale);
        box->setChecked(false);
        EXPECT_GT(on.accent, int(SwitchButton::trackWidth * SwitchButton::trackHeight * scale * scale / 3));
        EXPECT_GE(on.rightmostAccent, track.right() - 2) << "at the row's trailing edge";
        EXPECT_GT(on.knobX, track.center().x()) << "the knob at the right";
    }

    auto stored = [] { return UserDefaults::standard().value(settings::openOnHover); };
    box->click();
    EXPECT_TRUE(stored());
    EXPECT_TRUE(box->isChecked());

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(box, &press);
    QApplication::sendEvent(box, &release);
    EXPECT_FALSE(stored()) << "Space toggles it";
    EXPECT_EQ(box->focusPolicy() & Qt::TabFocus, Qt::TabFocus) << "the keyboard reaches it";

    QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(box);
    ASSERT_TRUE(spoken);
    EXPECT_EQ(spoken->role(), QAccessible::CheckBox);
    EXPECT_EQ(spoken->text(QAccessible::Name), QStringLiteral("Open on hover"));
    EXPECT_TRUE(spoken->state().checkable);
    EXPECT_FALSE(spoken->state().checked);
    ASSERT_TRUE(spoken->actionInterface());
    ASSERT_TRUE(spoken->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    spoken->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(stored()) << "a screen reader's toggle writes the setting";
    EXPECT_TRUE(spoken->state().checked);

    // A setting changed elsewhere moves the switch without writing anything back.
    UserDefaults::standard().set(settings::openOnHover, false);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(stored());
}
