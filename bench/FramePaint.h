#pragma once

#include "Kit/Kit.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <functional>

namespace vesk::bench {

// Paints `tree` once per iteration into a cleared image at 2 pixels per point, as it is drawn on a
// scale-2 display: 1520 x 600, the island's panel, unless another size is given. `beforeFrame`, when
// given, runs before each paint (a clock moving a frame on).
inline void paintFrames(kit::Tree &tree, benchmark::State &state, QSize pixels = QSize(1520, 600),
                        const std::function<void()> &beforeFrame = {})
{
    QImage target(pixels, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        if (beforeFrame)
            beforeFrame();
        target.fill(Qt::transparent);
        QPainter painter(&target);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(2, 2);
        tree.paint(painter, 2);
        benchmark::DoNotOptimize(target.bits());
    }
}

}  // namespace vesk::bench
