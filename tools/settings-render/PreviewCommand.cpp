#include "PreviewCommand.h"

#include "Kit/DrawnItems.h"
#include "Platform/JsonText.h"
#include "Base/VirtualTime.h"
#include "Settings/Previews/CalendarPagePreview.h"
#include "Settings/Previews/ClosedNotchPreview.h"
#include "Settings/Previews/ExpandedNotchPreview.h"
#include "Settings/Previews/ExternalDisplayPreview.h"
#include "Settings/Previews/HoverStylePreview.h"
#include "Settings/Previews/LockScreenPreview.h"

#include <QImage>
#include <QRegularExpression>

#include <cmath>
#include <functional>
#include <map>
#include <ostream>
#include <set>

using namespace vesk;
using nlohmann::json;

namespace {

// Settled: five seconds of virtual time after the preview first appears.
constexpr double settleSeconds = 5;
// Larger pictures are refused rather than allocated.
constexpr double maxPixels = 16384;

// Reads the fields of one object, each exactly once; an unknown or missing one is an error.
class Fields {
public:
    Fields(const json &object, std::string what) : object_(object), what_(std::move(what))
    {
        if (!object_.is_object())
            throw UsageError(what_ + " must be a JSON object");
    }
    ~Fields() noexcept(false) {}

    const json &field(const std::string &name)
    {
        auto it = object_.find(name);
        if (it == object_.end())
            throw UsageError(what_ + ": missing field \"" + name + "\"");
        used_.insert(name);
        return *it;
    }
    bool boolean(const std::string &name)
    {
        const json &v = field(name);
        if (!v.is_boolean())
            throw UsageError(what_ + ": \"" + name + "\" must be true or false");
        return v.get<bool>();
    }
    double number(const std::string &name)
    {
        const json &v = field(name);
        if (!v.is_number())
            throw UsageError(what_ + ": \"" + name + "\" must be a number");
        return v.get<double>();
    }
    QString string(const std::string &name)
    {
        const json &v = field(name);
        if (!v.is_string())
            throw UsageError(what_ + ": \"" + name + "\" must be a string");
        return QString::fromStdString(v.get<std::string>());
    }
    kit::Color color(const std::string &name)
    {
        const QString text = string(name);
        static const QRegularExpression pattern(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
        if (!pattern.match(text).hasMatch())
            throw UsageError(what_ + ": \"" + name + "\" must be a colour \"#RRGGBB\"");
        return kit::Color::hex(text.mid(1).toUInt(nullptr, 16));
    }
    // Every field of the object was read.
    void done() const
    {
        for (auto it = object_.begin(); it != object_.end(); ++it)
            if (!used_.count(it.key()))
                throw UsageError(what_ + ": unknown field \"" + it.key() + "\"");
    }

private:
    const json &object_;
    std::string what_;
    std::set<std::string> used_;
};

ClosedNotchPreview::Content contentFromJson(const json &v)
{
    using Content = ClosedNotchPreview::Content;
    if (v.is_string()) {
        if (v == "bare")
            return Content::bare();
        if (v == "volume")
            return Content::volume();
        throw UsageError("content: unknown case \"" + v.get<std::string>() + "\"");
    }
    Fields f(v, "content");
    const QString kind = f.string("case");
    Content content;
    if (kind == QLatin1String("nowPlaying")) {
        const bool artwork = f.boolean("artwork"), visualizer = f.boolean("visualizer"), tinted = f.boolean("tinted");
        content = Content::nowPlaying(artwork, visualizer, tinted);
    } else if (kind == QLatin1String("readout")) {
        const QString symbol = f.string("symbol");
        const kit::Color tint = f.color("tint");
        content = Content::readout(symbol, tint, f.string("text"));
    } else {
        throw UsageError("content: unknown case \"" + kind.toStdString() + "\"");
    }
    f.done();
    return content;
}

template <typename V>
kit::Element finish(Fields &f, V value)
{
    f.done();
    return kit::view(std::move(value));
}

}  // namespace

kit::Element previewFromJson(const std::string &kind, const json &fields)
{
    Fields f(fields, kind);
    if (kind == "closed") {
        ClosedNotchPreview p;
        p.content = contentFromJson(f.field("content"));
        p.scale = f.number("scale");
        p.isHovered = f.boolean("isHovered");
        return finish(f, p);
    }
    if (kind == "expanded") {
        ExpandedNotchPreview p;
        p.fadesToGlass = f.boolean("fadesToGlass");
        p.hoverStyle = f.string("hoverStyle");
        p.showsOutputButton = f.boolean("showsOutputButton");
        p.showsVisualizer = f.boolean("showsVisualizer");
        p.tinted = f.boolean("tinted");
        p.hasShadow = f.boolean("hasShadow");
        p.scale = f.number("scale");
        return finish(f, p);
    }
    if (kind == "calendar") {
        CalendarPagePreview p;
        p.showsEvents = f.boolean("showsEvents");
        p.showsDots = f.boolean("showsDots");
        p.dimsWeekends = f.boolean("dimsWeekends");
        p.scale = f.number("scale");
        return finish(f, p);
    }
    if (kind == "lock") {
        LockScreenPreview p;
        p.showsCard = f.boolean("showsCard");
        p.showsAppIcon = f.boolean("showsAppIcon");
        p.position = f.number("position");
        p.glassStrength = f.number("glassStrength");
        return finish(f, p);
    }
    if (kind == "display")
        return finish(f, ExternalDisplayPreview{f.string("style")});
    if (kind == "hover")
        return finish(f, HoverStylePreview{f.string("style")});
    throw UsageError("unknown preview kind \"" + kind + "\"");
}

namespace {

double parseNumber(const std::string &text, const std::string &what)
{
    size_t used = 0;
    double v = 0;
    try {
        v = std::stod(text, &used);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used == 0 || used != text.size() || !std::isfinite(v))
        throw UsageError(what + " must be a number, not \"" + text + "\"");
    return v;
}

json parseJson(const std::string &text)
{
    json value = vesk::parseUntrustedJson(text);
    if (value.is_discarded())
        throw UsageError("not valid JSON: " + text);
    return value;
}

// A JSON string literal escaping only '"', '\\' and control characters.
QString jsonString(const QString &s)
{
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + u'"';
}

}  // namespace

std::vector<std::string> textRuns(const kit::Tree &tree)
{
    std::vector<std::string> lines;
    for (const kit::DrawnItem &item : kit::drawnItems(tree)) {
        if (item.kind != kit::DrawnItem::Kind::text || !item.isVisible())
            continue;
        const QRectF &r = item.rect;  // halves away from zero, as lround does
        lines.push_back(QStringLiteral("%1,%2 %3x%4 %5")
                            .arg(std::lround(r.x()))
                            .arg(std::lround(r.y()))
                            .arg(std::lround(r.width()))
                            .arg(std::lround(r.height()))
                            .arg(jsonString(item.text))
                            .toStdString());
    }
    return lines;
}

PreviewJob parsePreview(const std::vector<std::string> &args)
{
    if (args.size() < 2)
        throw UsageError("usage: settings-render preview KIND JSON --size WxH [--scale S] --out FILE "
                         "[--then JSON --at SECONDS] [--texts]");
    const std::string kind = args[0];
    PreviewJob job{previewFromJson(kind, parseJson(args[1]))};
    std::optional<QSizeF> size;
    std::optional<double> at;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string &option = args[i];
        const auto value = [&]() -> const std::string & {
            if (i + 1 >= args.size())
                throw UsageError(option + " needs a value");
            return args[++i];
        };
        if (option == "--size") {
            const std::string text = value();
            const size_t x = text.find('x');
            if (x == std::string::npos)
                throw UsageError("--size must be WxH, not \"" + text + "\"");
            const double w = parseNumber(text.substr(0, x), "--size"), h = parseNumber(text.substr(x + 1), "--size");
            if (w <= 0 || h <= 0)
                throw UsageError("--size must be positive, not \"" + text + "\"");
            size = QSizeF(w, h);
        } else if (option == "--scale") {
            job.scale = parseNumber(value(), "--scale");
            if (job.scale <= 0)
                throw UsageError("--scale must be positive");
        } else if (option == "--out") {
            job.outFile = value();
        } else if (option == "--then") {
            job.then = previewFromJson(kind, parseJson(value()));
        } else if (option == "--at") {
            at = parseNumber(value(), "--at");
            if (*at < 0)
                throw UsageError("--at must not be negative");
        } else if (option == "--texts") {
            job.texts = true;
        } else {
            throw UsageError("unknown option " + option);
        }
    }
    if (!size)
        throw UsageError("--size WxH is required");
    if (job.outFile.empty())
        throw UsageError("--out FILE is required");
    if (job.then.has_value() != at.has_value())
        throw UsageError("--then and --at go together");
    if (std::ceil(size->width() * job.scale) > maxPixels || std::ceil(size->height() * job.scale) > maxPixels)
        throw UsageError("the picture would be larger than 16384 pixels a side");
    job.size = *size;
    job.at = at.value_or(0);
    return job;
}

int runPreview(const PreviewJob &job, std::ostream &out, std::ostream &err)
{
    VirtualTime time;
    kit::Tree tree(job.size);
    tree.setRoot(job.first);
    time.advance(settleSeconds);
    if (job.then) {
        tree.setRoot(*job.then);
        time.advance(job.at);
    }
    tree.update();
    const QImage image = tree.render(job.scale);
    if (!image.save(QString::fromStdString(job.outFile), "PNG")) {
        err << job.outFile << ": cannot be written\n";
        return 1;
    }
    if (job.texts)
        for (const auto &line : textRuns(tree))
            out << line << '\n';
    return 0;
}
