#include "Onboarding/TourKit.h"

#include "Island/IslandHover.h"
#include "Kit/Node.h"
#include "Kit/ViewState.h"
#include "Model/Motion.h"
#include "Platform/AppIcon.h"
#include "Base/Observed.h"

#include <map>
#include <memory>

namespace vesk {

using namespace kit;
using namespace TourMetrics;

namespace {

const Color plainFill = Color::rgb(0.2, 0.2, 0.2, 0.85);
const Color switchOffFill = Color::white(0.2);
constexpr double mascotHiddenScale = 0.6;
constexpr double mascotGlowOpacity = 0.55;
constexpr double mascotGlowRadius = 0.3;  // of the size
constexpr double iconPixelsPerPoint = 3;  // sharp up to scale 3

// The icon is drawn once per size; the same image each time keeps descriptions equal.
const QImage &iconImage(double size)
{
    static std::map<double, QImage> images;
    auto it = images.find(size);
    if (it == images.end()) {
        QImage image = appIconImage(size, iconPixelsPerPoint);
        image.setDevicePixelRatio(1);  // Kit maps the image's pixels onto its frame itself
        it = images.emplace(size, std::move(image)).first;
    }
    return it->second;
}

// The mascot's one piece of state, kept in its node for as long as it is shown.
class MascotSpec final : public Spec {
public:
    explicit MascotSpec(double size) : size(size) {}
    const char *kind() const override { return "Mascot"; }
    bool sameProperties(const Spec &other) const override { return size == static_cast<const MascotSpec &>(other).size; }
    bool isComponent() const override { return true; }
    Element evaluateAt(const Node &node, const Env &) const override
    {
        const auto appeared = sharedViewState<Observed<bool>>(node, false);
        const bool shown = appeared->get();
        std::weak_ptr<Observed<bool>> weak = appeared;
        return Image(iconImage(size))
            .frame(size, size)
            .shadow(accent.opacity(mascotGlowOpacity), size * mascotGlowRadius)
            .scaleEffect(shown ? 1 : mascotHiddenScale)
            .opacity(shown ? 1 : 0)
            .onAppear([weak] {
                const auto flag = weak.lock();
                if (!flag || flag->peek())
                    return;
                withAnimation(Motion::open.delayed(mascotDelay), [&] { *flag = true; });
            });
    }
    double size;
};

Element symbolColumn(const QString &symbol)
{
    return Symbol(symbol, 12, Weight::semibold).foreground(Color::white(0.8)).frame(18, std::nullopt);
}

}  // namespace

Element PressableButtonStyle::operator()(Element label, bool isPressed) const
{
    return label.scaleEffect(isPressed ? pressedScale : 1).animation(Motion::buttonPress, isPressed);
}

Element TourButton::body(const Env &) const
{
    const Element label = HStack({.alignment = Alignment::center(), .spacing = 4}, Text(title),
                                 symbol ? Symbol(*symbol, 10, Weight::bold) : Empty())
                              .font(Font::system(12, Weight::semibold))
                              .foreground(isProminent ? Color::black() : Color::white(0.85))
                              .padding(Edges::horizontal(buttonPadding))
                              .frame(std::nullopt, buttonHeight)
                              .background(Fill(Capsule(), isProminent ? Color::white() : plainFill))
                              .contentShape(Capsule());
    return clickableCursor(Button(label, action ? action : [] {}, PressableButtonStyle{}), true);
}

Element IslandSwitch::body(const Env &) const
{
    const Element drawn = ZStack({.alignment = isOn ? Alignment::trailing() : Alignment::leading()},
                                 Fill(Capsule(), isOn ? accent : switchOffFill),
                                 Fill(Circle(), Color::white())
                                     .frame(knobSize, knobSize)
                                     .padding((switchHeight - knobSize) / 2))
                              .frame(switchWidth, switchHeight)
                              .animation(Motion::small, isOn)
                              .contentShape(Capsule());
    const bool now = isOn;
    auto toggle = [set = setOn, now] {
        if (set)
            set(!now);
    };
    return clickableCursor(Button(drawn, toggle, [](Element label, bool) { return label; })
                               .debugName(QString::fromLatin1(isOn ? switchOnName : switchOffName)),
                           true);
}

Element Mascot::body(const Env &) const { return Element(std::make_shared<const MascotSpec>(size)); }

Element StepHeader::body(const Env &) const
{
    const Element words = VStack({.alignment = Alignment::leading(), .spacing = 2},
                                 Text(title, Font::system(14, Weight::bold)),
                                 MultilineText(text, Font::system(11.5), Color::white(0.6)))
                              .layoutPriority(1);
    // The gap under the header is 12 points where the page has room for it; on a page whose card
    // fills it, the gap gives way first, so the card's own edge stays inside the page.
    const Element gap = Spacer(0).frame(Element::Limits{.idealHeight = headerGap, .maxHeight = headerGap});
    return VStack({.alignment = Alignment::center(), .spacing = 0},
                  HStack({.alignment = Alignment::top(), .spacing = 12}, words, Spacer(0), view(Mascot{headerMascot})),
                  gap);
}

Transition fadeBlur() { return Transition::opacity().combined(Transition::blurReplace()); }

Element StepPage(const QString &title, const QString &text, Element card)
{
    return VStack({.alignment = Alignment::center(), .spacing = 0}, view(StepHeader{title, text}), std::move(card))
        .maxFrame(Alignment::top());
}

Element StepCard(Elements rows)
{
    return VStack({.alignment = Alignment::center(), .spacing = 0}, std::move(rows))
        .background(Fill(RoundedRectangle(cardRadius, CornerStyle::continuous), Color::white(0.08)));
}

Element StepToggle(const QString &symbol, const QString &title, bool isOn, std::function<void(bool)> setOn)
{
    const Element row = HStack({.alignment = Alignment::center(), .spacing = 10}, symbolColumn(symbol),
                               Text(title, Font::system(12, Weight::medium)).layoutPriority(1), Spacer(),
                               view(IslandSwitch{isOn, std::move(setOn)}))
                            .padding(Edges::horizontal(12))
                            .frame(std::nullopt, toggleRowHeight);
    return tourRow(row, title);
}

Element StepToggle(const QString &symbol, const QString &title, const Binding<bool> &binding)
{
    return StepToggle(symbol, title, binding.get(), [binding](bool on) { binding.set(on); });
}

Element AccessRow(const QString &symbol, const QString &title, const QString &detail, Element accessory)
{
    const Element words = VStack({.alignment = Alignment::leading(), .spacing = 0},
                                 Text(title, Font::system(12, Weight::medium)),
                                 Text(detail, Font::system(10), Color::white(0.5)))
                              .layoutPriority(1);
    // The words and the accessory share the row before the spacer takes what is left.
    const Element row = HStack({.alignment = Alignment::center(), .spacing = 10}, symbolColumn(symbol), words,
                               Spacer(), std::move(accessory).layoutPriority(1))
                            .padding(Edges::horizontal(12))
                            .frame(std::nullopt, accessRowHeight);
    return tourRow(row, title);
}

Element Granted()
{
    return HStack({.alignment = Alignment::center(), .spacing = 4}, Symbol(QStringLiteral("checkmark"), 11, Weight::semibold),
                  Text(QStringLiteral("Granted")))
        .font(Font::system(11, Weight::semibold))
        .foreground(Color::white(0.7))
        .padding(Edges::horizontal(9))
        .frame(std::nullopt, 22)
        .background(Fill(Capsule(), Color::white(0.1)))
        .allowsHitTesting(false);
}

Element tourRow(Element row, const QString &title) { return row.debugName(QString::fromLatin1(rowNamePrefix) + title); }

}  // namespace vesk
