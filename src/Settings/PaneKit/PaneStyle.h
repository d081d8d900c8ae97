#pragma once

#include "Kit/Color.h"
#include "Kit/Element.h"
#include "Kit/Font.h"
#include "Kit/SymbolTable.h"
#include "Settings/SettingsView.h"

#include <QColor>
#include <QFont>
#include <QPixmap>

namespace vesk::pane_style {

// The desktop's palette: text, secondary (text at 55 %), quaternary (text at 10 %), accent
// (the highlight colour).
QColor primary();
QColor secondary();
QColor quaternary();
QColor accent();
inline kit::Color kitColor(const QColor &color) { return kit::Color::fromQColor(color); }

// The application font scaled to a text style (ratios of the 13-point body): callout 12/13,
// caption 10/13, title 3 15/13, large title 26/13.
enum class TextStyle { body, callout, caption, title3, largeTitle };
QFont font(TextStyle style, QFont::Weight weight = QFont::Normal);
// The same size as a Kit font, in points (= logical pixels).
kit::Font kitFont(TextStyle style, kit::Weight weight = kit::Weight::regular);

// A symbol drawn by Kit into a pixmap of `size` points at `devicePixelRatio`.
QPixmap symbolPixmap(const QString &name, double size, const QColor &color, double devicePixelRatio,
                     kit::Weight weight = kit::Weight::regular);

}  // namespace vesk::pane_style

namespace vesk {

// The tinted square that stands for a pane: its symbol in white at 0.55 of the size, semibold, on
// the pane's tint in a continuous rounded square of radius 0.24 of the size.
struct PaneIcon {
    SettingsView::Pane pane;
    double size = 20;

    kit::Element body(const kit::Env &) const;
    QPixmap pixmap(double devicePixelRatio) const;
};

}  // namespace vesk
