#include "LockScreen/LockNotchView.h"

#include "Island/NotchShape.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"

#include <optional>

namespace vesk {

using namespace kit;

Element LockNotchView::body(const Env &) const
{
    using Indicator = NotchViewModel::LockIndicator;
    const Indicator indicator = model->lockIndicator.get();
    const Size notch = model->physicalNotchSize.get();
    const bool shown = indicator != Indicator::hidden;
    const double w = notch.width;
    const double h = notch.height;

    const QString symbol =
        QString::fromLatin1(indicator == Indicator::unlocking ? SymbolName("lock.open.fill") : SymbolName("lock.fill"));
    Element padlock = Symbol(symbol, 12, Weight::semibold, Color::white())
                          .contentTransition(ContentTransition::symbolReplace)
                          .frame(h - 13, h - 13)
                          .opacity(shown ? 1 : 0)
                          .animation(Motion::small, indicator == Indicator::unlocking);
    // Shown: no animation, the wings are there at once. Hidden: a late fade that narrows it too.
    // Between (locked to unlocking) only the symbol changes, with a small spring of its own.
    const std::optional<Animation> showing =
        shown ? std::nullopt : std::optional<Animation>(Motion::contentFadeOut.delayed(Motion::contentFadeOut.delay + hideDelay));
    return HStack({.alignment = Alignment::center(), .spacing = 0}, padlock, Spacer())
        .padding(Edges::horizontal(6.5))
        .frame(shown ? w + 2 * h : w, h)
        .padding(Edges::horizontal(6))
        .background(Fill(Color::black()))
        .clipShape(NotchShape{topRadius, bottomRadius})
        .opacity(shown ? 1 : 0)
        .maxFrame(Alignment::top())
        .animation(showing, shown);
}

}  // namespace vesk
