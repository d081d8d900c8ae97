#pragma once

#include "Kit/Kit.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

namespace vesk::bench {

// Paints `tree` once per iteration into a cleared 1520 x 600 image at 2 pixels per point, as the
// island's panel is drawn on a scale-2 display.
inline void paintFrames(kit::Tree &tree, benchmark::State &state)
{
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

}  // namespace vesk::bench
