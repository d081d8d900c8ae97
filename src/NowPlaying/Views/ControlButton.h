#pragma once

#include "Kit/Kit.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace vesk {

// The skip glyph of the next and previous buttons: two triangles that shift one place along each
// time `trigger` changes, so the picture before and after is the same. Backward is the mirror.
struct SkipGlyph {
    enum class Direction { forward, backward };
    Direction direction = Direction::forward;
    double size = 18;  // the glyph's height and point size
    int64_t trigger = 0;

    // The three triangles at animation value p (0 at rest before a trigger, 1 after).
    static kit::Element frame(double p, double size);

    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const SkipGlyph &, const SkipGlyph &) = default;
};

// The press look of every round control: the label at 0.85 while held, sprung back when let go.
kit::Element PressScaleButtonStyle(kit::Element label, bool isPressed);

// The round control of the island's pages: a white symbol (or a skip glyph) in a square hit area,
// a hover plate in the shape the user picked, the press scale, a bounce per press where allowed,
// and a spoken name. It knows nothing of what it controls: the owner passes the action.
struct ControlButton {
    QString symbol;      // also names the button when `skip` is set
    double size = 18;    // the glyph's point size
    double opacity = 1;  // of the white glyph
    double diameter = 48;
    bool bounces = false;
    std::optional<SkipGlyph::Direction> skip;
    std::function<void()> action;

    // The hover plate's shape for a "buttonHoverStyle" value, and whether it is filled on hover.
    enum class HoverShape { circle, roundedSquare };
    static HoverShape hoverShape(const QString &style);
    static bool fillsPlate(const QString &style) { return style != QStringLiteral("none"); }
    static kit::AnyShape shape(HoverShape shape, double diameter);
    // The name screen readers hear: the first rule that matches the skip direction or the symbol.
    static QString accessibilityName(const QString &symbol, std::optional<SkipGlyph::Direction> skip);

    kit::Element body(const kit::Env &env) const;
};

}  // namespace vesk
