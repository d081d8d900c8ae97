// The settings window: opening it with all nine panes built, laid out and painted once, and one
// settings write while the Notch pane (its preview strip and cards) shows.
#include "Model/Defaults.h"
#include "Model/NotchViewModel.h"
#include "App/SettingsHost.h"
#include "Platform/UserDefaults.h"
#include "Base/VirtualTime.h"
#include "Settings/SettingsWindow.h"

#include <QImage>

#include <benchmark/benchmark.h>

using namespace vesk;

namespace {

void paintOnce(QWidget &window)
{
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    window.render(&image);
    benchmark::DoNotOptimize(image.constBits());
}

void BM_SettingsWindowOpenAllPanes(benchmark::State &state)
{
    UserDefaults::setStandard(std::make_unique<UserDefaults>());
    Defaults::registerTable(UserDefaults::standard(), QProcessEnvironment());
    VirtualTime time;
    auto model = NotchViewModel::makePrimary();
    for (auto _ : state) {
        SettingsHost host(*model, QProcessEnvironment());
        host.showSettings();
        SettingsWindow &window = *host.settingsWindow();
        for (auto pane : SettingsView::allPanes) {
            window.selection().go(pane);
            time.flush();
            paintOnce(window);
        }
        if (!window.pane())
            state.SkipWithError("no pane built");
    }
}
BENCHMARK(BM_SettingsWindowOpenAllPanes)->Unit(benchmark::kMillisecond);

void BM_SettingsWriteWhileNotchShows(benchmark::State &state)
{
    UserDefaults::setStandard(std::make_unique<UserDefaults>());
    Defaults::registerTable(UserDefaults::standard(), QProcessEnvironment());
    VirtualTime time;
    auto model = NotchViewModel::makePrimary();
    SettingsHost host(*model, QProcessEnvironment());
    host.showSettings();
    host.settingsWindow()->selection().go(SettingsView::Pane::notch);
    time.flush();
    bool on = false;
    for (auto _ : state) {
        on = !on;
        UserDefaults::standard().set(settings::showShadow, on);
        time.flush();
    }
}
BENCHMARK(BM_SettingsWriteWhileNotchShows)->Unit(benchmark::kMicrosecond);

}  // namespace
