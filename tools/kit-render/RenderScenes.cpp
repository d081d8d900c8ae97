#include "RenderScenes.h"

#include "Model/Motion.h"
#include "Island/IslandShape.h"
#include "Island/NotchBottomEdge.h"
#include "Kit/Kit.h"
#include "Base/VirtualTime.h"

#include <QLinearGradient>
#include <QPainter>

#include <cmath>

namespace {

using namespace kit;
using vesk::IslandShape;
namespace Motion = vesk::Motion;

struct Scene {
    SceneInfo info;
    QSizeF size;
    // Sets the first description at time 0 and starts the scene's changes.
    std::function<void(Tree &)> start;
};

QImage artwork()
{
    QImage image(120, 120, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient g(0, 0, 120, 120);
    g.setColorAt(0, QColor(240, 120, 60));
    g.setColorAt(1, QColor(60, 40, 190));
    p.fillRect(image.rect(), g);
    p.setBrush(QColor(255, 255, 255, 90));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(30, 30, 60, 60));
    return image;
}

Element label(const QString &text, double size = 11, Color color = Color::white(0.55))
{
    return Text(text, Font::system(size, Weight::medium), color);
}

// Island outline morphing from the notch with ears to the floating capsule on the open spring,
// and a dot riding a spring that overshoots.
void startSpring(Tree &tree)
{
    auto frame = [](bool capsule) {
        const double h = 60;
        const IslandShape shape = capsule ? IslandShape{0, h / 2, h / 2} : IslandShape{24, 0, 32};
        return VStack({.spacing = 16},
                      Fill(shape, Color::black()).frame(capsule ? 220 : 300, h),
                      ZStack({.alignment = Alignment::leading()},
                             Fill(Capsule(), Color::white(0.15)).frame(300, 4),
                             Fill(Circle(), Color::white()).frame(14, 14).offset(capsule ? 286 : 0, 0)),
                      label(QStringLiteral("Motion.open: response 0.43, damping 0.65")));
    };
    tree.setRoot(frame(false));
    withAnimation(Motion::open, [&] { tree.setRoot(frame(true)); });
}

// One layer blurs out and fades while the next sharpens in after a delay.
void startBlurFade(Tree &tree)
{
    auto layer = [](const QString &text, bool visible, double delay) {
        return Text(text, Font::system(22, Weight::semibold), Color::white())
            .blur(visible ? 0 : 12)
            .animated(visible ? Motion::contentFocus.delayed(delay) : Motion::contentBlurOut)
            .opacity(visible ? 1 : 0)
            .animated(visible ? Motion::contentFadeIn.delayed(delay) : Motion::contentFadeOut);
    };
    auto frame = [&](bool second) {
        return ZStack({}, Fill(IslandShape{0, 30, 30}, Color::black()).frame(320, 60),
                      layer(QStringLiteral("Now Playing"), !second, 0), layer(QStringLiteral("Calendar"), second, 0.1));
    };
    tree.setRoot(frame(false));
    tree.setRoot(frame(true));
}

// A title replaced by the next track's: the new one rises in as the old one rises away.
void startTransition(Tree &tree)
{
    auto frame = [](int version) {
        const Transition t = Transition::asymmetric(
            Transition::scale(0.97, UnitPoint::leading()).combined(Transition::offset(0, 4)).combined(Transition::opacity()),
            Transition::scale(0.97, UnitPoint::leading()).combined(Transition::offset(0, -4)).combined(Transition::opacity()));
        return ZStack({.alignment = Alignment::leading()},
                      Fill(RoundedRectangle(16, CornerStyle::continuous), Color::black()).frame(320, 80),
                      ZStack({.alignment = Alignment::leading()},
                             Text(version == 1 ? QStringLiteral("Midnight City") : QStringLiteral("Wait"),
                                  Font::system(17, Weight::semibold), Color::white())
                                 .id(version)
                                 .transition(t))
                          .padding(Edges::leadingOnly(20)),
                      HStack({.spacing = 14}, Symbol("backward.fill", 18), Symbol(version == 1 ? "play.fill" : "pause.fill", 18),
                             Symbol("forward.fill", 18))
                          .contentTransition(ContentTransition::symbolReplace)
                          .padding(Edges::leadingOnly(200)));
    };
    tree.setRoot(frame(1));
    withAnimation(Motion::textSwitch, [&] { tree.setRoot(frame(2)); });
}

// Text faded at both ends through a mask made of two gradients.
void startMask(Tree &tree)
{
    const LinearGradient left{{{Color::white(0), 0}, {Color::white(1), 0.15}, {Color::white(0), 0.5}}, UnitPoint::leading(),
                              UnitPoint::trailing()};
    const LinearGradient right{{{Color::white(0), 0.5}, {Color::white(1), 0.85}, {Color::white(0), 1}}, UnitPoint::leading(),
                               UnitPoint::trailing()};
    auto frame = [&](double x) {
        return ZStack({}, Fill(Capsule(), Color::black()).frame(320, 44),
                      Text(QStringLiteral("A very long title scrolling past the edges of its row"), Font::system(15, Weight::medium),
                           Color::white())
                          .fixedSize()
                          .offset(x, 0)
                          .frame(280, 30)
                          .mask(ZStack({}, Fill(Rectangle(), left), Fill(Rectangle(), right)))
                          .clipped());
    };
    tree.setRoot(frame(120));
    withAnimation(Animation::linear(4).repeatForever(false), [&] { tree.setRoot(frame(-120)); });
}

// A drop leaving a capsule through a liquid neck: blurred shapes cut back at half coverage.
void startLiquid(Tree &tree)
{
    auto frame = [](double progress) {
        const double dropX = 150 + 110 * progress;
        return ZStack({}, Fill(Color::clear()).frame(360, 80),
                      ZStack({}, Fill(Capsule(), Color::black()).frame(200, 40).offset(-60, 0),
                             Fill(Capsule(), Color::black()).frame(70, 34).offset(dropX - 180, 0))
                          .blur(8)
                          .animated(std::nullopt)
                          .alphaThreshold(0.5, 1, Color::black()));
    };
    tree.setRoot(frame(0));
    withAnimation(Motion::open, [&] { tree.setRoot(frame(1)); });
}

// Inter at every weight, monospaced digits, a truncated line, and a number rolling up.
void startText(Tree &tree)
{
    auto frame = [](int minutes) {
        Elements rows;
        const std::pair<Weight, const char *> weights[] = {
            {Weight::light, "Light"}, {Weight::regular, "Regular"}, {Weight::medium, "Medium"}, {Weight::semibold, "Semibold"}, {Weight::bold, "Bold"}};
        for (const auto &[w, name] : weights)
            rows.push_back(Text(QStringLiteral("Inter %1 13").arg(QString::fromLatin1(name)), Font::system(13, w), Color::white()));
        rows.push_back(Text(QStringLiteral("11:11  88:88"), Font::system(13, Weight::medium).monospacedDigits(), Color::white()));
        rows.push_back(Text(QStringLiteral("A line far too long for the width it was given"), Font::system(13), Color::white())
                           .frame(180, std::nullopt, Alignment::leading()));
        rows.push_back(Text(QStringLiteral("in %1 min").arg(minutes), Font::system(15, Weight::bold).monospacedDigits(),
                            Color::rgb(1, 0.6, 0.2))
                           .contentTransition(ContentTransition::numericText));
        return ZStack({}, Fill(RoundedRectangle(18, CornerStyle::continuous), Color::black()).frame(240, 200),
                      VStack({.alignment = Alignment::leading(), .spacing = 6}, rows));
    };
    tree.setRoot(frame(9));
    withAnimation(Motion::textSwitch, [&] { tree.setRoot(frame(8)); });
}

// Every symbol of the table, 18 points, and an unknown name for the fallback.
void startSymbols(Tree &tree)
{
    Elements rows;
    Elements row;
    QStringList names = SymbolTable::names();
    names << QStringLiteral("no.such.symbol");
    for (const QString &name : names) {
        row.push_back(Symbol(name, 18, Weight::regular, hasSymbol(name) ? Color::white() : Color::rgb(1, 0.3, 0.3)));
        if (row.size() == 12) {
            rows.push_back(HStack({.spacing = 10}, row));
            row.clear();
        }
    }
    if (!row.empty())
        rows.push_back(HStack({.spacing = 10}, row));
    tree.setRoot(ZStack({}, Fill(RoundedRectangle(16), Color::black()).frame(360, 220),
                        VStack({.alignment = Alignment::leading(), .spacing = 10}, rows)));
}

// The open island: outline, rim, artwork, titles, controls and a shadow, growing open.
void startIsland(Tree &tree)
{
    static const QImage art = artwork();
    auto frame = [](bool open) {
        const QSizeF size = open ? QSizeF(560, 180) : QSizeF(200, 32);
        const IslandShape outline = open ? IslandShape{24, 0, 32} : IslandShape{6, 0, 10};
        const LinearGradient rim{{{Color::white(0), 0.35}, {Color::white(0.22), 0.75}, {Color::white(0.45), 1.0}}};
        const Element content =
            HStack({.alignment = Alignment::top(), .spacing = 14},
                   Image(art).frame(60, 60).clipShape(RoundedRectangle(14, CornerStyle::continuous)),
                   VStack({.alignment = Alignment::leading(), .spacing = 2},
                          Text(QStringLiteral("Midnight City"), Font::system(15, Weight::semibold), Color::white()),
                          label(QStringLiteral("M83"), 13)),
                   Spacer(),
                   HStack({.spacing = 18}, Symbol("backward.fill", 20), Symbol("pause.fill", 24), Symbol("forward.fill", 20)))
                .padding(Edges{46, 44, 0, 44})
                .frame(560, 180, Alignment::top())
                .blur(open ? 0 : 12)
                .animated(open ? Motion::contentFocus : Motion::contentBlurOut)
                .opacity(open ? 1 : 0)
                .animated(open ? Motion::contentFadeIn : Motion::contentFadeOut);
        return ZStack({.alignment = Alignment::top()},
                      ZStack({.alignment = Alignment::top()}, Fill(Color::black()), content)
                          .frame(size.width(), size.height(), Alignment::top())
                          .clipShape(outline)
                          .overlay(Stroke(outline, rim, {.width = 3}).clipShape(outline))
                          .shadow(Color::black(0.45), 20, 0, 10))
            .frame(760, 300, Alignment::top());
    };
    tree.setRoot(frame(false));
    withAnimation(Motion::open, [&] { tree.setRoot(frame(true)); });
}

const std::vector<Scene> &allScenes()
{
    static const std::vector<Scene> list = {
        {{QStringLiteral("island"), QStringLiteral("the island opening on Motion.open: outline, rim, artwork, titles, shadow")},
         QSizeF(760, 300), startIsland},
        {{QStringLiteral("spring"), QStringLiteral("notch outline morphing into the capsule and a dot overshooting on a spring")},
         QSizeF(360, 140), startSpring},
        {{QStringLiteral("blur-fade"), QStringLiteral("one layer blurring out and fading while the next sharpens in 0.1 s later")},
         QSizeF(360, 100), startBlurFade},
        {{QStringLiteral("transition"), QStringLiteral("a title replaced with an asymmetric transition; play turning into pause")},
         QSizeF(360, 120), startTransition},
        {{QStringLiteral("mask"), QStringLiteral("a scrolling line faded at both ends by the union of two gradient masks")},
         QSizeF(360, 80), startMask},
        {{QStringLiteral("liquid"), QStringLiteral("a drop leaving a capsule through a liquid neck (blur and alpha threshold)")},
         QSizeF(360, 100), startLiquid},
        {{QStringLiteral("text"), QStringLiteral("Inter weights, monospaced digits, tail truncation and a number rolling")},
         QSizeF(260, 220), startText},
        {{QStringLiteral("symbols"), QStringLiteral("every symbol of the table, and the fallback for an unknown name")},
         QSizeF(380, 240), startSymbols},
    };
    return list;
}

}  // namespace

const std::vector<SceneInfo> &scenes()
{
    static const std::vector<SceneInfo> list = [] {
        std::vector<SceneInfo> out;
        for (const Scene &s : allScenes())
            out.push_back(s.info);
        return out;
    }();
    return list;
}

const SceneInfo *findScene(const QString &name)
{
    for (const SceneInfo &s : scenes())
        if (s.name == name)
            return &s;
    return nullptr;
}

QImage renderSceneAt(const SceneInfo &info, double seconds, double scale)
{
    for (const Scene &scene : allScenes()) {
        if (scene.info.name != info.name)
            continue;
        vesk::VirtualTime time;
        Tree tree(scene.size);
        scene.start(tree);
        time.advance(seconds);
        return tree.render(scale);
    }
    return QImage();
}
