// Kit: painting a frame of island-like content, and reconciling an unchanged description.
#include "FramePaint.h"

#include "Island/IslandShape.h"
#include "Kit/Blur.h"
#include "Kit/Kit.h"
#include "Base/VirtualTime.h"

#include <benchmark/benchmark.h>

#include <QPainter>

#include <random>

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
    vesk::bench::paintFrames(tree, state);
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

// The open island as the views build it: outline, 12 text runs, a 60 x 60 clipped image, 5
// symbols, a 120 x 40 subtree blurred at radius 12, 3 opacity groups and a gradient mask.
kit::Element openIsland()
{
    using namespace kit;
    const Font title = Font::system(15, Weight::semibold);
    const Font small = Font::system(12, Weight::medium).monospacedDigits();
    auto rows = [&](int from, int count) {
        Elements out;
        for (int i = from; i < from + count; ++i)
            out.push_back(Text(QStringLiteral("Row %1 — some text 12:%2").arg(i).arg(10 + i), i % 3 ? small : title, Color::white()));
        return VStack({.alignment = Alignment::leading(), .spacing = 2}, out);
    };
    Elements symbols;
    for (const char *name : {"backward.fill", "play.fill", "forward.fill", "heart", "speaker.wave.2.fill"})
        symbols.push_back(Symbol(QString::fromLatin1(name), 18, Weight::semibold));
    const LinearGradient fadeLeft{{{Color::white(0), 0}, {Color::white(1), 0.1}, {Color::white(1), 0.5}, {Color::white(0), 0.5001}},
                                  UnitPoint::leading(), UnitPoint::trailing()};
    const LinearGradient fadeRight{{{Color::white(0), 0.4999}, {Color::white(1), 0.5}, {Color::white(1), 0.9}, {Color::white(0), 1}},
                                   UnitPoint::leading(), UnitPoint::trailing()};
    return ZStack({.alignment = Alignment::top()},
                  Fill(vesk::IslandShape{24, 0, 32}, Color::black()),
                  HStack({.alignment = Alignment::top(), .spacing = 14},
                         Image(artwork()).frame(60, 60).clipShape(RoundedRectangle(14, CornerStyle::continuous)).opacity(0.9),
                         VStack({.alignment = Alignment::leading(), .spacing = 6},
                                rows(0, 4).opacity(0.8),
                                rows(4, 4).mask(ZStack({}, Fill(Rectangle(), fadeLeft), Fill(Rectangle(), fadeRight))),
                                rows(8, 4).opacity(0.7)),
                         VStack({.spacing = 10}, symbols),
                         HStack({.spacing = 6}, Fill(Capsule(), Color::white(0.3)).frame(70, 16), Symbol("heart", 16))
                             .frame(120, 40)
                             .blur(12))
                      .padding(Edges{40, 40, 20, 40}))
        .frame(640, 300, Alignment::top());
}

void BM_KitOpenIslandFramePaint(benchmark::State &state)
{
    vesk::VirtualTime time;
    kit::Tree tree(QSizeF(760, 300));
    tree.setRoot(openIsland());
    vesk::bench::paintFrames(tree, state);
}
BENCHMARK(BM_KitOpenIslandFramePaint)->Unit(benchmark::kMicrosecond);

// The same with the island's drop shadow (radius 20, 10 points down) under the whole island.
void BM_KitOpenIslandWithShadowPaint(benchmark::State &state)
{
    vesk::VirtualTime time;
    kit::Tree tree(QSizeF(760, 300));
    tree.setRoot(openIsland().shadow(kit::Color::black(0.45), 20, 0, 10));
    vesk::bench::paintFrames(tree, state);
}
BENCHMARK(BM_KitOpenIslandWithShadowPaint)->Unit(benchmark::kMicrosecond);

// The Gaussian blur alone on a layer of soft shapes and text-like speckle: the size of a blurred
// feature row (440 x 114) and of a whole open island layer (1016 x 538), sigma 4 and 8.
void BM_GaussianBlur(benchmark::State &state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    const double sigma = double(state.range(2));
    QImage source(w, h, QImage::Format_ARGB32_Premultiplied);
    source.fill(Qt::transparent);
    {
        QPainter p(&source);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(230, 120, 40, 200));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(w * 0.1, h * 0.2, w * 0.5, h * 0.5), 12, 12);
        std::mt19937 random(7);
        for (int i = 0; i < w * h / 20; ++i)
            source.setPixel(int(random() % uint32_t(w)), int(random() % uint32_t(h)), qRgba(255, 255, 255, 255));
    }
    // The blur's cost does not depend on the pixels, so the same image is blurred again and again.
    QImage image = source;
    for (auto _ : state) {
        kit::gaussianBlur(image, sigma);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_GaussianBlur)
    ->Args({440, 114, 4})
    ->Args({440, 114, 8})
    ->Args({1016, 538, 4})
    ->Args({1016, 538, 8})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
