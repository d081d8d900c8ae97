#pragma once

#include "Kit/Kit.h"

namespace vesk {

class NotchViewModel;

// What the closed island shows while music plays: the artwork at the left end, the bars at the
// right end, the notch between them, and, while the island previews the track, a row below with
// the title and artist.
struct LiveActivityView {
    NotchViewModel *model = nullptr;
    bool showsTitle = false;

    // The sizes of the first row, from the closed island's height.
    struct Metrics {
        double rowHeight = 0;  // the island's height, and the rim in the capsule style
        double inset = 0;      // the capsule's inset (the notch style has none)
        double content = 0;    // side of the artwork's and the bars' squares, never below 0
        double padding = 0;    // at each end, before the swell's scale
    };
    static Metrics metrics(double notchHeight, bool pill, bool showsRim);

    // The title row's text: the title, and the artist after a unit separator when there is one.
    static QString rowText(const std::string &title, const std::string &artist);
    // What the row shows for it: every separator as a spaced middle dot.
    static QString displayText(const QString &rowText);
    // The row's version: it switches whenever the title or the artist counter moves.
    static long long rowVersion(int titleVersion, int artistVersion)
    {
        return static_cast<long long>(titleVersion) * 1000 + artistVersion;
    }

    static constexpr double barsWidth = 15.75;
    static constexpr double barsMaxHeight = 12;
    static constexpr int barCount = 5;
    static constexpr double titleRowHeight = 41.5;

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const LiveActivityView &, const LiveActivityView &) = default;
};

}  // namespace vesk
