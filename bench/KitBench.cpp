// Kit: painting a frame of island-like content, and reconciling an unchanged description.
#include "Island/IslandShape.h"
#include "Kit/Kit.h"
#include "Platform/sim/VirtualTime.h"

#include <benchmark/benchmark.h>

#include <QPainter>

namespace {

QImage artwork()
{
    static const QImage image = [] {
        QImage img(300, 300, QImage::Format_ARGB32_Premultiplied);
        QPainter p(&img);
        QLinearGradient g(0, 0, 300, 300);
        g.setColorAt(0, QColor(230, 90, 40));
        g.setColorAt(1, QColor(40, 60, 200));
        p.fillRect(img.rect(), g);
        return img;
    }();
    return image;
}

// The island shape filled black, 12 text runs, a 60 x 60 clipped image and 5 symbols.
kit::Element islandFrame(int track)
{
    using namespace kit;
    const Font title = Font::system(15, Weight::semibold);
    const Font small = Font::system(12, Weight::medium).monospacedDigits();
    Elements rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back(Text(QStringLiteral("Track %1 — Artist name %2").arg(track).arg(i), i % 3 ? small : title,
                            Color::white(i % 2 ? 0.6 : 1)));
    Elements symbols;
    for (const char *name : {"backward.fill", "play.fill", "forward.fill", "heart", "speaker.wave.2.fill"})
        symbols.push_back(Symbol(QString::fromLatin1(name), 18, Weight::semibold));
    return ZStack({.alignment = Alignment::top()},
                  Fill(vesk::IslandShape{24, 0, 32}, Color::black()),
                  HStack({.alignment = Alignment::top(), .spacing = 14},
                         Image(artwork()).frame(60, 60).clipShape(RoundedRectangle(14, CornerStyle::continuous)),
                         VStack({.alignment = Alignment::leading(), .spacing = 2}, rows),
                         VStack({.spacing = 10}, symbols))
                      .padding(Edges{40, 40, 20, 40}))
        .frame(640, 300, Alignment::top());
}

void BM_KitIslandFramePaint(benchmark::State &state)
{
    vesk::VirtualTime time;
    kit::Tree tree(QSizeF(760, 300));
    tree.setRoot(islandFrame(1));
    QImage target(1520, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        target.fill(Qt::transparent);
        QPainter painter(&target);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(2, 2);
        tree.paint(painter, 2);
        benchmark::DoNotOptimize(target.bits());
    }
}
BENCHMARK(BM_KitIslandFramePaint)->Unit(benchmark::kMicrosecond);

// An equal description built afresh (as a view body does) and reconciled: no layout, no frame.
void BM_KitReconcileUnchanged(benchmark::State &state)
{
    vesk::VirtualTime time;
    kit::Tree tree(QSizeF(760, 300));
    tree.setRoot(islandFrame(1));
    for (auto _ : state) {
        tree.setRoot(islandFrame(1));
        benchmark::ClobberMemory();
    }
    if (tree.isAnimating() || time.queue().pendingCount() != 0)
        state.SkipWithError("reconciling an unchanged description scheduled work");
}
BENCHMARK(BM_KitReconcileUnchanged)->Unit(benchmark::kMicrosecond);

// A changed description (a new track's texts): reconcile and layout.
void BM_KitReconcileChangedTexts(benchmark::State &state)
{
    vesk::VirtualTime time;
    kit::Tree tree(QSizeF(760, 300));
    int track = 0;
    for (auto _ : state)
        tree.setRoot(islandFrame(++track % 2));
}
BENCHMARK(BM_KitReconcileChangedTexts)->Unit(benchmark::kMicrosecond);

}  // namespace
