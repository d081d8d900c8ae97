#pragma once

#include "Kit/Kit.h"

#include <QRectF>
#include <QString>

#include <optional>

namespace vesk {

// A tour row as a tree shows it now, found by the title its view was given (not by its drawn,
// perhaps cut, text). Developer tools and tests read rows through this.
struct TourRowState {
    QRectF rect;                       // the row, in tree points
    std::optional<QRectF> accessory;   // its button or switch, in tree points
    // "Granted", the button's title, "on" or "off" for a switch; "" for a row without either.
    QString value;
    bool disabled = false;             // it has a button or switch that takes no clicks
};

// The visible row titled `title`; none when no such row is visible.
std::optional<TourRowState> findTourRow(const kit::Tree &tree, const QString &title);

}  // namespace vesk
