#include "NowPlaying/Views/ArtworkView.h"

#include "Kit/Node.h"
#include "Kit/Tree.h"
#include "Kit/ViewState.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"

#include <cmath>
#include <numbers>

namespace vesk {

using namespace kit;

namespace {
// Below this the glare's brightest colour (white at half of it, the sweep's middle) has an alpha
// that rounds to 0 of 255: drawing it changes no pixel.
constexpr double minimumGlare = 1e-3;
}  // namespace

double ArtworkFlip::glare(double p)
{
    return p <= 0 ? 0 : std::sin(std::min(p, 1.0) * std::numbers::pi);
}

Element ArtworkFlip::body(const Env &) const
{
    const double p = progress;
    const double s = glare(p);
    const NowPlayingService::Image &image = showsBack(p) ? back : front;
    Elements layers;
    layers.push_back(Fill(Color::white(0.1)));
    layers.push_back(Symbol(SymbolName("music.note"), 0.4 * size, Weight::medium, Color::white(0.45)));
    if (image && !image->isNull())
        layers.push_back(Image(*image, {.resizable = true, .mode = ContentMode::fill}).frame(size, size).clipped());
    // At rest the glare is nothing at all (not one level of alpha): the card showing still, as it
    // does nearly always, is spared two fills across its whole square on every frame.
    if (s >= minimumGlare) {
        layers.push_back(Fill(Rectangle(), LinearGradient{{{Color::white(0), 0}, {Color::white(s * 0.5), 0.5}, {Color::white(0), 1}},
                                                          UnitPoint{2 * p - 1, 0},
                                                          UnitPoint{2 * p, 1}}));
        layers.push_back(Fill(Color::white(s * 0.12)));
    }
    return ZStack({}, std::move(layers))
        .frame(size, size)
        .blur(s * 1.5 * size / 55)
        .clipShape(RoundedRectangle(cornerRadius, CornerStyle::continuous))
        .rotation3D(angle(p), UnitPoint::center(), 0.5);
}

namespace {

// What the card keeps between descriptions: the two faces, where the turn stands and the turns
// waiting for their delay. It lives in the retained node, so the waiting turns are cancelled when
// the card goes.
struct CardState {
    NowPlayingService::Image front, back;
    double progress = 1;
    bool hasAppeared = false;
    int version = 0;
    std::vector<WorkItem> turns;
};

class ArtworkCardSpec final : public Spec {
public:
    ArtworkCardSpec(NowPlayingService::Image artwork, int version, double size, double cornerRadius, double flipDelay)
        : artwork(std::move(artwork)), version(version), size(size), cornerRadius(cornerRadius), flipDelay(flipDelay)
    {
    }
    const char *kind() const override { return "ArtworkView"; }
    bool sameProperties(const Spec &) const override { return false; }
    bool isComponent() const override { return true; }

    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override
    {
        Spec::apply(node, previous, ctx);
        CardState &card = viewState<CardState>(node);
        if (!card.hasAppeared) {
            card.back = artwork;
            card.version = version;
            card.hasAppeared = true;
            return;
        }
        if (version == card.version)
            return;
        card.version = version;
        std::erase_if(card.turns, [](const WorkItem &w) { return !w.isPending(); });
        Node *target = &node;
        CardState *c = &card;
        card.turns.push_back(mainQueue().after(flipDelay, [target, c, image = artwork] {
            withoutAnimation([&] {
                c->front = c->progress >= 0.5 ? c->back : c->front;
                c->back = image;
                c->progress = 0;
                target->tree().invalidate(*target);
            });
            // The card must be described at 0 before it turns to 1.
            target->tree().update();
            withAnimation(Motion::flip, [&] {
                c->progress = 1;
                target->tree().invalidate(*target);
            });
        }));
    }

    Element evaluateAt(const Node &node, const Env &) const override
    {
        const CardState &card = viewState<CardState>(node);
        // Until the card has appeared its back face is the artwork now published.
        NowPlayingService::Image front = card.front, back = card.hasAppeared ? card.back : artwork;
        return Animatable(card.progress, [front, back, size = size, radius = cornerRadius](double p) {
            return view(ArtworkFlip{p, front, back, size, radius});
        });
    }

    NowPlayingService::Image artwork;
    int version;
    double size, cornerRadius, flipDelay;
};

}  // namespace

Element ArtworkView::body(const Env &) const
{
    NowPlayingService &service = model->nowPlaying();
    return Element(std::make_shared<const ArtworkCardSpec>(service.artwork.get(), service.artworkVersion.get(), size,
                                                           cornerRadius, flipDelay));
}

}  // namespace vesk
