#include "Diagnostics/LayerDump.h"

#include "Kit/Node.h"
#include "Kit/Tree.h"
#include "Platform/AtomicFile.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace vesk::LayerDump {

namespace {

// Below this the opacity modifier draws nothing at all.
constexpr double invisible = 0.0005;

QString integer(double v)
{
    return QString::number(static_cast<long long>(std::trunc(v)));
}

void walk(const kit::Node &node, int depth, QStringList &lines)
{
    if (node.isLeaving())
        return;
    lines << line(node, depth);
    for (const auto &child : node.children())
        walk(*child, depth + 1, lines);
}

}  // namespace

QString formatOpacity(float opacity)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, opacity);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".eEn") == std::string::npos)  // "1" -> "1.0"; leave 1e-05, inf, nan
        text += ".0";
    return QString::fromStdString(text);
}

QString line(const kit::Node &node, int depth)
{
    const QRectF f = node.frame();
    const double opacity = node.value(kit::Prop::opacity, 1);
    int filters = 0;
    if (node.hasProp(kit::Prop::blur) && node.value(kit::Prop::blur, 0) > 0)
        ++filters;
    if (std::strcmp(node.spec().kind(), "AlphaThreshold") == 0)
        ++filters;
    QString out(depth * 2, u' ');
    out += QString::fromLatin1(node.spec().kind());
    out += u' ' + integer(f.x()) + u',' + integer(f.y()) + u' ' + integer(f.width()) + u'x' + integer(f.height());
    out += QStringLiteral(" hidden=") + (opacity <= invisible ? QStringLiteral("true") : QStringLiteral("false"));
    out += QStringLiteral(" opacity=") + formatOpacity(static_cast<float>(opacity));
    out += QStringLiteral(" filters=") + QString::number(filters);
    return out;
}

QString text(const kit::Tree &tree)
{
    QStringList lines;
    if (const kit::Node *root = tree.root())
        walk(*root, 0, lines);
    return lines.join(u'\n');
}

void write(const kit::Tree *tree, const std::string &path)
{
    const QByteArray bytes = tree ? text(*tree).toUtf8() : QByteArray();
    replaceFileAtomically(path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), 0644);
}

}  // namespace vesk::LayerDump
