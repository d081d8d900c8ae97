#pragma once

// The built program's island as an outside observer sees it on the X screen that scripts/run-tests
// starts: where its black shape lies on screen, and when it has stopped moving.
#include "TestSupport.h"

#include <QColor>
#include <QElapsedTimer>
#include <QRect>

#include "X11ProbeSupport.h"

#include <optional>

namespace vesk::test {

// The island in root coordinates: the black run through the middle of the topmost island panel (a
// 760 x 300 window) a few pixels below the top, where nothing but the island is drawn, down to the
// lowest black pixel of its middle column.
inline std::optional<QRect> islandOnScreen(X11Probe &probe)
{
    for (Window w : probe.stacking()) {
        const QRect frame = probe.geometry(w);
        if (frame.size() != QSize(760, 300) || !probe.isViewable(w))
            continue;
        auto black = [&](int x, int y) {
            const QColor c = probe.pixel(QPoint(x, y));
            return c.red() < 4 && c.green() < 4 && c.blue() < 4;
        };
        const int cx = frame.center().x(), top = frame.top() + 5;
        if (!black(cx, top))
            continue;
        int left = cx, right = cx;
        while (left > frame.left() && black(left - 1, top))
            --left;
        while (right < frame.right() && black(right + 1, top))
            ++right;
        // Up the middle from the panel's bottom edge: the first black is the island's bottom.
        int bottom = frame.bottom();
        while (bottom > top && !black(cx, bottom))
            --bottom;
        return QRect(QPoint(left, frame.top()), QPoint(right, bottom));
    }
    return std::nullopt;
}

// The island's rectangle once it has stopped moving: unchanged for half a second, which the tail of
// an opening spring (a pixel every few frames) does not stay still for.
inline std::optional<QRect> settledIslandOnScreen(X11Probe &probe, int timeoutMs)
{
    std::optional<QRect> last;
    QElapsedTimer still;
    const bool settled = waitFor(
        [&] {
            const auto now = islandOnScreen(probe);
            if (!now || now != last) {
                last = now;
                still.start();
                return false;
            }
            return still.elapsed() >= 500;
        },
        timeoutMs);
    return settled ? last : std::nullopt;
}

}  // namespace vesk::test
