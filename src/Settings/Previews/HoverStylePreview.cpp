#include "Settings/Previews/HoverStylePreview.h"

#include "Settings/Previews/ExpandedNotchPreview.h"

namespace vesk {

using namespace kit;

Element HoverStylePreview::body(const Env &) const
{
    Element pointer = Symbol(SymbolName("cursorarrow"), 11, Weight::regular, Color::white())
                          .shadow(Color::black(), 1)
                          .offset(5, 6)
                          .id(QStringLiteral("pointer"));
    Element play = Symbol(SymbolName("pause.fill"), 19, Weight::regular, Color::white())
                       .frame(34, 34)
                       .background(previews::hoverPlate(style, 34, 9, 0.16))
                       .overlay(pointer, Alignment::bottomTrailing());
    return ZStack({}, Fill(Color::black()),
                  HStack({.alignment = Alignment::center(), .spacing = 14},
                         Symbol(SymbolName("backward.fill"), 13, Weight::regular, Color::white()).opacity(0.55), play,
                         Symbol(SymbolName("forward.fill"), 13, Weight::regular, Color::white()).opacity(0.55)));
}

}  // namespace vesk
