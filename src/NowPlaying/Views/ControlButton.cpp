#include "NowPlaying/Views/ControlButton.h"

#include "Model/Motion.h"
#include "Island/IslandHover.h"
#include "Island/NotchView.h"
#include "Kit/Node.h"
#include "Kit/ViewState.h"
#include "Base/Observed.h"
#include "Model/Defaults.h"

#include <memory>

namespace vesk {

using namespace kit;

namespace {

constexpr double plateOpacity = 0.1;
constexpr double pressedScale = 0.85;
constexpr double skipWidthFactor = 0.66;  // of the glyph's size: one triangle's step

// What a control button keeps while it is shown: the pointer over it, and its presses.
struct ControlState {
    Observed<bool> hovering{false};
    Observed<int64_t> taps{0};
};

Element buttonElement(const ControlButton &b, const std::shared_ptr<ControlState> &state)
{
    // Settings are read on every description, so the settings window restyles shown buttons.
    const QString style = QString::fromStdString(viewSetting(settings::buttonHoverStyle));
    const bool bounceSymbols = viewSetting(settings::bounceSymbols);
    const bool hovering = state->hovering.get();
    const int64_t taps = state->taps.get();
    const AnyShape plate = ControlButton::shape(ControlButton::hoverShape(style), b.diameter);

    Element glyph;
    if (b.skip) {
        glyph = view(SkipGlyph{*b.skip, b.size, bounceSymbols ? taps : 0});
    } else {
        glyph = Symbol(b.symbol, b.size)
                    .contentTransition(ContentTransition::symbolReplace)
                    .animation(Motion::small, b.symbol)
                    .bounce(b.bounces && bounceSymbols ? taps : 0, true);
    }
    // The plate shows at once and fades out; with "none" it is never filled, yet takes the clicks.
    const Element label = glyph.foreground(Color::white(b.opacity))
                              .frame(b.diameter, b.diameter)
                              .background(Fill(plate, Color::white(hovering && ControlButton::fillsPlate(style) ? plateOpacity : 0))
                                              .animation(hovering ? std::nullopt : std::optional(Motion::hoverOut), hovering))
                              .contentShape(plate);
    std::weak_ptr<ControlState> weak = state;
    auto press = [weak, action = b.action] {
        if (const auto s = weak.lock())
            s->taps = s->taps.peek() + 1;
        if (action)
            action();
    };
    return clickableCursor(islandHover(Button(label, press, PressScaleButtonStyle)
                                           .accessibilityLabel(ControlButton::accessibilityName(b.symbol, b.skip)),
                                       [weak](bool inside) {
                                           if (const auto s = weak.lock())
                                               s->hovering = inside;
                                       }),
                           true);
}

// The button as a component of its own: its hover and press count live in its node.
class ControlButtonSpec final : public Spec {
public:
    explicit ControlButtonSpec(ControlButton button) : button(std::move(button)) {}
    const char *kind() const override { return "ControlButton"; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isComponent() const override { return true; }
    Element evaluateAt(const Node &node, const Env &) const override
    {
        return buttonElement(button, sharedViewState<ControlState>(node));
    }
    ControlButton button;
};

}  // namespace

Element SkipGlyph::frame(double p, double size)
{
    const double w = skipWidthFactor * size;
    return ZStack({.alignment = Alignment::center()},
                  Symbol(QStringLiteral("play.fill"), size).scaleEffect(p, p, UnitPoint::leading()).opacity(p).offset(-w / 2, 0),
                  Symbol(QStringLiteral("play.fill"), size).offset(-w / 2 + p * w, 0),
                  Symbol(QStringLiteral("play.fill"), size).scaleEffect(1 - p, 1 - p, UnitPoint::trailing()).opacity(1 - p).offset(w / 2, 0))
        .frame(2 * w, size);
}

Element SkipGlyph::body(const Env &) const
{
    const double s = size;
    return KeyframeAnimator(AnyValue::of(trigger), KeyframeTrack(0, {{1.0, 0.4, Animation::springDuration(0.5, 0.15)}}),
                            [s](double p) { return frame(p, s); })
        .scaleEffect(direction == Direction::backward ? -1 : 1, 1, UnitPoint::center());
}

Element PressScaleButtonStyle(Element label, bool isPressed)
{
    return label.scaleEffect(isPressed ? pressedScale : 1, UnitPoint::center()).animation(Motion::buttonPress, isPressed);
}

ControlButton::HoverShape ControlButton::hoverShape(const QString &style)
{
    return style == QStringLiteral("circle") ? HoverShape::circle : HoverShape::roundedSquare;
}

AnyShape ControlButton::shape(HoverShape shape, double diameter)
{
    return shape == HoverShape::circle ? Circle() : RoundedRectangle(diameter / 3, CornerStyle::continuous);
}

QString ControlButton::accessibilityName(const QString &symbol, std::optional<SkipGlyph::Direction> skip)
{
    if (skip)
        return *skip == SkipGlyph::Direction::forward ? QStringLiteral("Next Track") : QStringLiteral("Previous Track");
    if (symbol == QStringLiteral("play.fill"))
        return QStringLiteral("Play");
    if (symbol == QStringLiteral("pause.fill"))
        return QStringLiteral("Pause");
    if (symbol == QStringLiteral("arrow.counterclockwise"))
        return QStringLiteral("Reset");
    if (symbol == QStringLiteral("shuffle"))
        return QStringLiteral("Shuffle");
    if (symbol.startsWith(QStringLiteral("repeat")))
        return QStringLiteral("Repeat");
    if (symbol.startsWith(QStringLiteral("heart")))
        return QStringLiteral("Favourite");
    if (symbol.startsWith(QStringLiteral("gobackward")))
        return QStringLiteral("Back 15 Seconds");
    if (symbol.startsWith(QStringLiteral("goforward")))
        return QStringLiteral("Forward 15 Seconds");
    return QStringLiteral("Output");
}

Element ControlButton::body(const Env &) const
{
    return Element(std::make_shared<const ControlButtonSpec>(*this));
}

}  // namespace vesk
