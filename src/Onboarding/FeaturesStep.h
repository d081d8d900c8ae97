#pragma once

#include "Kit/Kit.h"

#include <QString>

#include <vector>

namespace vesk {

// The tour's features page: eight things the island does, in two cards of four. Each time the page
// turns visible the rows float in one after another (fading in, rising 6 points, sharpening from a
// blur); hidden, they fall back, so every visit plays the reveal again. `shown` lives in the
// step's retained node and follows the page's visibility, its first value included.
struct FeaturesStep {
    struct Feature {
        QString id;  // the title
        QString symbol;
        kit::Color tint;
        QString detail;
    };
    static const std::vector<Feature> &features();
    // When the row at `position` starts moving after `shown` changes.
    static double revealDelay(int position);

    friend bool operator==(const FeaturesStep &, const FeaturesStep &) = default;
    kit::Element body(const kit::Env &env) const;
};

struct FeatureRow {
    QString symbol;
    kit::Color tint;
    QString title;
    QString detail;

    kit::Element body(const kit::Env &env) const;
    // The tile's fill: the tint lightened 15 % towards white at the top, the tint at the bottom.
    static kit::LinearGradient tileGradient(kit::Color tint);
};

namespace FeaturesMetrics {
inline constexpr int rowsPerCard = 4;
inline constexpr double rowHeight = 29, tileSize = 21, tileRadius = 5.5;
inline constexpr double hiddenDrop = 6, hiddenBlur = 4;
}  // namespace FeaturesMetrics

}  // namespace vesk
