#pragma once

#include "Kit/Kit.h"

#include <QRectF>

#include <memory>

namespace vesk {

class NotchViewModel;

// The card's background: the frosted material with a fine light rim and a soft shadow. (No
// platform glass lies under the card here, so the card always draws its own.)
struct LegacyCardBackground {
    double cornerRadius = 26;
    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const LegacyCardBackground &, const LegacyCardBackground &) = default;
};

// The frosted material in a rounded rectangle: Kit's glass, which draws its fallback fill here.
struct GlassBackground {
    double cornerRadius = 26;
    kit::Element body(const kit::Env &env) const;
    friend bool operator==(const GlassBackground &, const GlassBackground &) = default;
};

// The now-playing card of the lock screen window (400 x 240): artwork, title and artist, the
// visualiser, the scrubber and three transport buttons on a card 300 points wide near the bottom.
// It scales up and unblurs into view while the card is wanted and a track exists, and reports its
// frame in the window (origin top left) and whether it shows through `lockCardChanged`.
struct LockScreenView {
    // The card's last frame, kept across descriptions of the view.
    struct CardFrame {
        QRectF frame;
        bool measured = false;
    };

    NotchViewModel *model = nullptr;
    std::shared_ptr<CardFrame> cardFrame = std::make_shared<CardFrame>();

    static constexpr double cardWidth = 300;
    static constexpr double cornerRadius = 26;
    static constexpr double bottomPadding = 34;

    static bool isCardShown(const NotchViewModel &model);
    // The card's rectangle in a window of `window` for a card of `size`: centred, 34 points above
    // the bottom.
    static QRectF frameInWindow(QSizeF size, QSizeF window);

    kit::Element body(const kit::Env &env) const;
    kit::Element card(bool shown) const;
    friend bool operator==(const LockScreenView &, const LockScreenView &) = default;
};

}  // namespace vesk
