#pragma once

#include "Base/Signal.h"

#include <QHash>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace vesk {

// One display as the island sees it. Rectangles are in Qt's desktop coordinates (logical pixels, y
// growing downwards, origin at the top-left of the desktop); see Screens::toYUp for the other way.
struct Screen {
    QString name;                // the output's name ("DP-1", "eDP-1"); the key of its display number
    uint32_t displayNumber = 0;  // stable for the process, never 0 (see DisplayNumbers)
    QRectF frame;                // the whole display
    QRectF visibleFrame;         // the part that panels and docks leave free
    double safeAreaTop = 0;      // height of a camera housing at the top edge; 0 on every Linux display
    // The menu-bar strips left and right of a camera housing; present only when safeAreaTop > 0.
    std::optional<QRectF> auxiliaryTopLeftArea;
    std::optional<QRectF> auxiliaryTopRightArea;
    double scale = 1;            // device pixels per logical pixel
    // The display in device pixels of the X root window, as the window manager places windows.
    QRectF pixelFrame;

    bool hasNotch() const { return safeAreaTop > 0 && auxiliaryTopLeftArea && auxiliaryTopRightArea; }
    // Height of the strip between the top of the frame and the top of the visible frame.
    double topBarHeight() const { return visibleFrame.top() - frame.top(); }
    bool operator==(const Screen &) const = default;
};

// Hands out display numbers: 1 + the index of an output's name in a table kept in order of first
// sight. A name keeps its number while the process runs, even after it was unplugged and plugged
// again, and no number is ever given to another name. A second output that shows up under a name a
// present output already uses is told apart as "<name>#2", "#3", ..., so two present outputs never
// share a number.
class DisplayNumbers {
public:
    // `present` are the keys already handed to other outputs of the same listing.
    uint32_t number(const QString &name, const std::vector<QString> &present, QString *key = nullptr);

private:
    QHash<QString, uint32_t> table_;
};

// The displays of the desktop. Main thread only. Notifications arrive on the main thread after the
// list has changed; with no display at all the list is empty and nothing is reported.
class Screens {
public:
    virtual ~Screens() = default;

    // Every display, the primary (the one the desktop names primary) first, the rest in the
    // system's order.
    virtual std::vector<Screen> screens() const = 0;

    std::optional<Screen> screen(uint32_t displayNumber) const;

    // Converts between Qt's y-down rectangles and y-up ones whose origin is the bottom-left corner
    // of the primary display (the convention of window placement rules written for y-up desktops).
    // Both directions are the same reflection; with no display they return the rectangle unchanged.
    QRectF toYUp(const QRectF &rect) const;
    QRectF fromYUp(const QRectF &rect) const { return toYUp(rect); }

    Signal<const Screen &> screenAdded;
    Signal<const Screen &> screenRemoved;
    Signal<const Screen &> screenChanged;  // geometry, visible area, scale or primacy changed
    // Once after any of the above, for listeners that re-read the whole list.
    Signal<> screensChanged;
};

// The installed service: Qt's screens unless a test or tool installed another.
Screens &screens();
void setScreens(Screens *service);  // nullptr restores Qt's

}  // namespace vesk
