#pragma once

#include "Platform/Signal.h"

#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace vesk {

// One display as the island sees it. Rectangles are in points, in global coordinates whose y axis
// points up with the origin at the bottom-left corner of the first screen (the island's geometry
// rules are written for that convention; this service converts from the windowing system's
// top-down coordinates once, here).
struct ScreenInfo {
    QString name;          // the output's name
    QRectF frame;
    QRectF visibleFrame;   // the frame without the desktop's top bar (and docks)
    double safeAreaTopInset = 0;  // above 0 only on a display with a camera notch
    // The strips left and right of the notch; present only on a display with one.
    std::optional<QRectF> auxiliaryTopLeftArea;
    std::optional<QRectF> auxiliaryTopRightArea;
    double scale = 1;
    uint32_t displayNumber = 0;  // stable per output name for the life of the process, never 0

    bool operator==(const ScreenInfo &) const = default;

    // Builds the record from top-down geometry (Qt's), given the first screen's top-down geometry:
    // the origin moves to that screen's bottom-left corner and the y axis turns up.
    static ScreenInfo fromTopDown(const QString &name, const QRectF &geometry, const QRectF &available,
                                  const QRectF &firstScreen, double scale);
};

// The connected displays, in the system's order (the first is the one with the desktop's main bar).
// Without a display server the list is empty.
class Screens {
public:
    virtual ~Screens() = default;
    virtual std::vector<ScreenInfo> screens() const = 0;

    // The screen with that display number, if connected.
    std::optional<ScreenInfo> screen(uint32_t displayNumber) const;
    // The display number of the first screen, 0 without screens.
    uint32_t mainDisplayNumber() const;

    // Posted on the main thread after screens came, went or changed their geometry.
    Signal<> changed;

    // 1 + the index of `outputName` in a per-process table kept in order of first sight: never 0,
    // never reused, the same for an output that goes and comes back.
    static uint32_t displayNumber(const QString &outputName);

    // The installed service: Qt's screens unless a test or tool installed another.
    static Screens &shared();
    static void setShared(Screens *screens);  // nullptr restores Qt's
};

}  // namespace vesk
