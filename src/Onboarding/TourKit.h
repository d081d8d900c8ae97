#pragma once

#include "Kit/Kit.h"
#include "Settings/PaneKit/Binding.h"

#include <QString>

#include <functional>
#include <optional>

namespace vesk {

// The pieces every tour page is built from (the update card uses TourButton too). They draw in
// white on the island's black; sizes are points.
namespace TourMetrics {
// The switch's "on" fill and the mascot's glow.
inline constexpr kit::Color accent = kit::Color::rgb(0.18, 0.42, 0.96);
inline constexpr double buttonHeight = 26;
inline constexpr double buttonPadding = 12;
inline constexpr double pressedScale = 0.94;
inline constexpr double switchWidth = 32, switchHeight = 18, knobSize = 14;
inline constexpr double toggleRowHeight = 32;
inline constexpr double accessRowHeight = 38;
inline constexpr double cardRadius = 12;
inline constexpr double headerMascot = 34;
inline constexpr double headerGap = 12;  // under the header, at most
inline constexpr double mascotDelay = 0.15;  // seconds before the mascot pops in
// Each row is tagged with this and its title, so developer tools find a row by the title it was
// given rather than by its drawn (perhaps cut) text.
inline constexpr const char *rowNamePrefix = "tour row: ";
// A switch's debug name says its state.
inline constexpr const char *switchOnName = "switch on";
inline constexpr const char *switchOffName = "switch off";
}  // namespace TourMetrics

// Shows a button's label at 0.94 while held and 1 otherwise, springing with Motion.buttonPress on
// every change: it springs back on release whether or not the click completed.
struct PressableButtonStyle {
    kit::Element operator()(kit::Element label, bool isPressed) const;
};

// The tour's capsule button: the title (and a symbol after it), white with black text when
// prominent, dark grey with light text otherwise, 26 high; the pointer turns to a hand over it.
struct TourButton {
    QString title;
    std::optional<QString> symbol;
    bool isProminent = false;
    std::function<void()> action;

    kit::Element body(const kit::Env &env) const;
};

// A small switch drawn in Kit: a 32 × 18 capsule, grey off and blue on, its white knob moving with
// Motion.small. It takes clicks only while enabled (`.disabled()` above it stops it).
struct IslandSwitch {
    bool isOn = false;
    std::function<void(bool)> setOn;

    kit::Element body(const kit::Env &env) const;
};

// The application's icon with a blue glow. It pops in (Motion.open after 0.15 s) once, when it
// first appears, and stays: `appeared` lives in its retained node.
struct Mascot {
    double size = TourMetrics::headerMascot;

    kit::Element body(const kit::Env &env) const;
};

// A page's header: the title in bold over its paragraph, the mascot at the right, and a gap of up to
// 12 points under them that gives way when what follows needs the room.
struct StepHeader {
    QString title;
    QString text;

    kit::Element body(const kit::Env &env) const;
};

// Content that fades and blurs out as its replacement fades and sharpens in.
kit::Transition fadeBlur();

// A page of a header over a card, at the top of the page area.
kit::Element StepPage(const QString &title, const QString &text, kit::Element card);

// Rows grouped on a rounded card of white at 0.08, without spacing or dividers.
kit::Element StepCard(kit::Elements rows);

// A row with a symbol, a title and a switch bound to a setting.
kit::Element StepToggle(const QString &symbol, const QString &title, bool isOn, std::function<void(bool)> setOn);
kit::Element StepToggle(const QString &symbol, const QString &title, const Binding<bool> &binding);

// A permission row: symbol, title over detail, and its accessory at the right.
kit::Element AccessRow(const QString &symbol, const QString &title, const QString &detail, kit::Element accessory);

// The "Granted" badge; not interactive.
kit::Element Granted();

// Tags a tour row with its title for the tree query (see TourMetrics::rowNamePrefix).
kit::Element tourRow(kit::Element row, const QString &title);

}  // namespace vesk
