#pragma once

#include "Kit/Font.h"
#include "Model/Peek.h"

#include <QString>

// The island's sizes that both the model, which adds them up, and the views, which draw them,
// need. A size only one file uses stays in that file.
namespace vesk::IslandMetrics {

// Every island window is a fixed area this large, in points, at the top centre of its display.
inline constexpr double panelWidth = 760;
inline constexpr double panelHeight = 300;

// The event preview's caption hangs this far below the notch.
inline constexpr double eventCaptionHeight = 41.5;
inline constexpr double eventCaptionPadding = 18;

// The width the tour's and the update's content is laid out for; below it the content shrinks
// with the island.
inline constexpr double onboardingDesignWidth = 460;
inline constexpr double updateDesignWidth = 400;

}  // namespace vesk::IslandMetrics

namespace vesk {

// The event preview's caption: the event's title over "Starts at <time>". The model measures it
// to size the island and the view draws it, from the same texts and fonts.
struct EventCaption {
    QString title;
    QString starts;

    static EventCaption of(const Peek::Event &event);
    static const kit::Font &titleFont();
    static const kit::Font &startsFont();
    // The wider of the two lines, without the padding.
    double textWidth() const;
};

}  // namespace vesk
