// The output picker and the volume row against the PulseAudio server that scripts/run-tests
// starts with two null sinks ("speakers" and "headphones"): the menu's choice becomes the server's
// default and the island follows it; a slider write reads back with pactl.
#include "NowPlaying/Views/OutputPicker.h"
#include "NowPlaying/Views/VolumeSlider.h"

#include "Island/IslandHover.h"
#include "Kit/Kit.h"
#include "Model/IslandTestSupport.h"
#include "Platform/linux/PulseAudioOutputs.h"
#include "TestSupport.h"

#include <nlohmann/json.hpp>

using namespace kit;
using namespace vesk;
using vesk::test::pactl;

namespace {

class MediaControlsWithPulse : public test::PlatformTest {
protected:
    MediaControlsWithPulse()
    {
        setAudioDevices(&pulse);
        pulse.start();
        previousDefault = pactl({"get-default-sink"}).value_or(QStringLiteral("speakers"));
    }
    ~MediaControlsWithPulse() override
    {
        pactl({"set-default-sink", previousDefault});
        setAudioDevices(nullptr);
    }
    void SetUp() override
    {
        ASSERT_TRUE(waitFor([&] { return pulse.outputs().size() >= 2 && pulse.defaultOutput(); })) << "no server";
        auto services = simulatedServices();
        services.audioDevices = &pulse;
        services.audio = std::make_shared<VolumeService>(pulse);
        model = NotchViewModel::makePrimary(services);
        time.advance(1.0);
        model->startAudio();
        time.flush();
    }
    bool waitFor(const std::function<bool()> &condition)
    {
        return test::waitFor([&] {
            time.flush();
            return condition();
        });
    }
    std::optional<uint32_t> idOf(const QString &description) const
    {
        for (const auto &d : model->outputs.peek())
            if (d.name == description)
                return d.id;
        return std::nullopt;
    }
    // The server's volume of `sink` in percent of its first channel, read with pactl.
    static std::optional<int> serverPercent(const std::string &sink)
    {
        auto list = nlohmann::json::parse(pactl({"-f", "json", "list", "sinks"}).value_or("").toStdString(), nullptr, false);
        if (!list.is_array())
            return std::nullopt;
        for (auto &s : list)
            if (s.value("name", "") == sink)
                for (auto &[channel, v] : s["volume"].items())
                    return int(std::lround(v["value"].get<double>() * 100.0 / 65536.0));
        return std::nullopt;
    }

    PulseAudioOutputs pulse;
    QString previousDefault;
    std::shared_ptr<NotchViewModel> model;
};

}  // namespace

TEST_F(MediaControlsWithPulse, TheMenuMakesTheSecondSinkTheDefaultAndTheSliderWritesItsVolume)
{
    ASSERT_TRUE(waitFor([&] { return idOf(QStringLiteral("Headphones")).has_value(); }));
    ASSERT_TRUE(pactl({"set-default-sink", "speakers"}));
    ASSERT_TRUE(waitFor([&] { return model->currentOutputID.peek() == idOf(QStringLiteral("Built-in Speakers")); }));

    const auto menu = OutputPicker::menu(pulse, model->outputs.peek(), model->currentOutputID.peek());
    const auto headphones = std::find_if(menu.begin(), menu.end(), [](const MenuItem &i) { return i.title == QStringLiteral("Headphones"); });
    ASSERT_NE(headphones, menu.end());
    EXPECT_NE(headphones->symbol, QStringLiteral("checkmark"));
    int announced = 0;
    auto c = pulse.defaultOutputChanged.connect([&] { ++announced; });
    headphones->action();
    EXPECT_TRUE(waitFor([&] { return model->currentOutputID.peek() == idOf(QStringLiteral("Headphones")); }));
    EXPECT_EQ(pactl({"get-default-sink"}), QStringLiteral("headphones"));
    EXPECT_EQ(announced, 1);  // the write came back once, as a change made elsewhere
    const auto after = OutputPicker::menu(pulse, model->outputs.peek(), model->currentOutputID.peek());
    EXPECT_EQ(after[size_t(headphones - menu.begin())].symbol, QStringLiteral("checkmark"));

    // The volume row on the new default: a click at 30 % of the bar.
    Tree tree(QSizeF(220, 40));
    tree.setRoot(view(VolumeSlider{}).frame(200, 28).environment(islandModel, model.get()));
    time.advance(0.5);
    std::optional<QRectF> bar;
    for (const DrawnItem &i : drawnItems(tree))
        if (i.kind == DrawnItem::Kind::control && i.text == QStringLiteral("volume"))
            bar = i.rect;
    ASSERT_TRUE(bar);
    const QPointF at(bar->left() + 0.3 * bar->width(), bar->center().y());
    tree.handlePointer(PointerEvent::move(at));
    tree.handlePointer(PointerEvent::press(at));
    tree.handlePointer(PointerEvent::release(at));
    time.flush();
    EXPECT_TRUE(waitFor([&] { return serverPercent("headphones") == 30; })) << serverPercent("headphones").value_or(-1);
    EXPECT_NEAR(model->volumeLevel.peek(), 0.3, 0.01);
}
