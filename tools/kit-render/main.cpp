// kit-render: draws Kit content into a PNG, for looking at shapes and scenes outside the app.
//
//   kit-render shape island|notch|edge --size WxH --top-radius T --bottom-radius B
//              [--top-corner C] [--inset I] [--style notch|pill] --scale S --out FILE
//   kit-render scene NAME --time SECONDS --scale S --out FILE
//   kit-render scene --list
//
// Exit status: 0 on success, 1 when the file cannot be written, 2 for a bad command line.
#include "RenderScenes.h"

#include "Island/IslandShape.h"
#include "Island/NotchBottomEdge.h"
#include "Island/NotchShape.h"
#include "Kit/Kit.h"
#include "Base/VirtualTime.h"

#include <QGuiApplication>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

namespace {

int usage(const char *message)
{
    std::fprintf(stderr, "kit-render: %s\n", message);
    std::fprintf(stderr,
                 "usage: kit-render shape island|notch|edge --size WxH --top-radius T --bottom-radius B\n"
                 "                  [--top-corner C] [--inset I] [--style notch|pill] --scale S --out FILE\n"
                 "       kit-render scene NAME --time SECONDS --scale S --out FILE\n"
                 "       kit-render scene --list\n");
    return 2;
}

std::optional<double> number(const QString &text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);  // QString::toDouble always reads the C locale
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// Reads "--name value" pairs; false on an unknown or repeated option or a missing value.
bool readOptions(const QStringList &args, int from, const QStringList &known, std::map<QString, QString> &out)
{
    for (int i = from; i < args.size(); i += 2) {
        if (!known.contains(args[i]) || i + 1 >= args.size() || out.count(args[i]))
            return false;
        out[args[i]] = args[i + 1];
    }
    return true;
}

int save(const QImage &image, const QString &path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "kit-render: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

int renderShape(const QStringList &args)
{
    if (args.size() < 3)
        return usage("shape: which shape?");
    const QString kind = args[2];
    if (kind != QLatin1String("island") && kind != QLatin1String("notch") && kind != QLatin1String("edge"))
        return usage("shape: island, notch or edge");
    QStringList known = {QStringLiteral("--size"), QStringLiteral("--top-radius"), QStringLiteral("--bottom-radius"),
                         QStringLiteral("--scale"), QStringLiteral("--out")};
    if (kind == QLatin1String("island"))
        known << QStringLiteral("--top-corner");
    if (kind == QLatin1String("edge"))
        known << QStringLiteral("--inset") << QStringLiteral("--style");
    std::map<QString, QString> opt;
    if (!readOptions(args, 3, known, opt))
        return usage("shape: an option does not apply to this shape, repeats or lacks its value");
    for (const char *required : {"--size", "--top-radius", "--bottom-radius", "--scale", "--out"})
        if (!opt.count(QString::fromLatin1(required)))
            return usage("shape: missing a required option");

    const QStringList wh = opt[QStringLiteral("--size")].split(u'x');
    const auto w = number(wh.size() == 2 ? wh[0] : QString());
    const auto h = number(wh.size() == 2 ? wh[1] : QString());
    const auto top = number(opt[QStringLiteral("--top-radius")]);
    const auto bottom = number(opt[QStringLiteral("--bottom-radius")]);
    const auto scale = number(opt[QStringLiteral("--scale")]);
    const auto corner = number(opt.count(QStringLiteral("--top-corner")) ? opt[QStringLiteral("--top-corner")] : QStringLiteral("0"));
    const auto inset = number(opt.count(QStringLiteral("--inset")) ? opt[QStringLiteral("--inset")] : QStringLiteral("0"));
    const QString style = opt.count(QStringLiteral("--style")) ? opt[QStringLiteral("--style")] : QStringLiteral("notch");
    if (!w || !h || *w <= 0 || *h <= 0 || !top || !bottom || !scale || *scale <= 0 || !corner || !inset)
        return usage("shape: sizes, radii and scale must be numbers (size and scale positive)");
    if (style != QLatin1String("notch") && style != QLatin1String("pill"))
        return usage("shape: --style is notch or pill");
    if (std::ceil(*w * *scale) > 16384 || std::ceil(*h * *scale) > 16384)
        return usage("shape: the image would be larger than 16384 pixels a side");

    vesk::VirtualTime time;
    kit::Tree tree(QSizeF(*w, *h));
    if (kind == QLatin1String("island"))
        tree.setRoot(kit::Fill(vesk::IslandShape{*top, *corner, *bottom}, kit::Color::black()));
    else if (kind == QLatin1String("notch"))
        tree.setRoot(kit::Fill(vesk::NotchShape{*top, *bottom}, kit::Color::black()));
    else
        tree.setRoot(kit::Stroke(vesk::NotchBottomEdge{style == QLatin1String("pill") ? vesk::NotchBottomEdge::Style::pill
                                                                                      : vesk::NotchBottomEdge::Style::notch,
                                                       *top, *bottom, *inset},
                                 kit::Color::black(), {.width = 1, .cap = Qt::FlatCap, .join = Qt::MiterJoin}));
    return save(tree.render(*scale), opt[QStringLiteral("--out")]);
}

int renderScene(const QStringList &args)
{
    if (args.size() == 3 && args[2] == QLatin1String("--list")) {
        for (const SceneInfo &scene : scenes())
            std::printf("%s\t%s\n", qPrintable(scene.name), qPrintable(scene.description));
        return 0;
    }
    if (args.size() < 3)
        return usage("scene: which scene?");
    std::map<QString, QString> opt;
    if (!readOptions(args, 3, {QStringLiteral("--time"), QStringLiteral("--scale"), QStringLiteral("--out")}, opt))
        return usage("scene: unknown, repeated or incomplete option");
    for (const char *required : {"--time", "--scale", "--out"})
        if (!opt.count(QString::fromLatin1(required)))
            return usage("scene: missing a required option");
    const auto seconds = number(opt[QStringLiteral("--time")]);
    const auto scale = number(opt[QStringLiteral("--scale")]);
    if (!seconds || *seconds < 0 || *seconds > 3600 || !scale || *scale <= 0 || *scale > 8)
        return usage("scene: --time is 0..3600 seconds, --scale above 0 and at most 8");
    const SceneInfo *scene = findScene(args[2]);
    if (!scene)
        return usage("scene: no such scene (see kit-render scene --list)");
    return save(renderSceneAt(*scene, *seconds, *scale), opt[QStringLiteral("--out")]);
}

}  // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Our options are read before Qt sees them: Qt would take some (--style) for its own.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    if (args.size() < 2)
        return usage("what to render?");
    if (args[1] == QLatin1String("shape"))
        return renderShape(args);
    if (args[1] == QLatin1String("scene"))
        return renderScene(args);
    return usage("render a shape or a scene");
}
