#pragma once

#include "Kit/Element.h"
#include "Kit/Node.h"

namespace kit {

class ShapeSpec final : public Spec {
public:
    ShapeSpec(AnyShape shape, Paint paint, std::optional<StrokeStyle> stroke)
        : shape(std::move(shape)), fillPaint(std::move(paint)), stroke(stroke)
    {
    }
    const char *kind() const override { return "Shape"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override;
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    bool containsPoint(const Node &node, QPointF local) const override;
    AnyShape shape;
    Paint fillPaint;
    std::optional<StrokeStyle> stroke;
};

class TextSpec final : public Spec {
public:
    TextSpec(QString text, std::optional<Font> font, std::optional<Color> color, bool multiline = false)
        : text(std::move(text)), font(font), color(color), multiline(multiline)
    {
    }
    const char *kind() const override { return "Text"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override;
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    bool containsPoint(const Node &node, QPointF local) const override;
    // The line as drawn at the width layout gave it (with its ellipsis when truncated).
    QString shownText(const Node &node) const;
    QString text;
    std::optional<Font> font;
    std::optional<Color> color;
    bool multiline;  // wraps to its width (MultilineText) instead of keeping to one line
};

class SymbolSpec final : public Spec {
public:
    SymbolSpec(QString name, double size, Weight weight, std::optional<Color> tint)
        : name(std::move(name)), size(size), weight(weight), tint(tint)
    {
    }
    const char *kind() const override { return "Symbol"; }
    bool sameProperties(const Spec &other) const override;
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    bool containsPoint(const Node &node, QPointF local) const override;
    void paintGlyph(const Node &node, const QString &name, PaintContext &ctx) const;
    // The opacity of the tint on screen.
    double tintAlpha(const Node &node) const;
    QString name;
    double size;
    Weight weight;
    std::optional<Color> tint;
};

class ImageSpec final : public Spec {
public:
    ImageSpec(QImage image, ImageOptions options) : image(std::move(image)), options(options) {}
    const char *kind() const override { return "Image"; }
    bool sameProperties(const Spec &other) const override;
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    bool containsPoint(const Node &node, QPointF local) const override;
    QImage image;
    ImageOptions options;
};

class PainterSpec final : public Spec {
public:
    PainterSpec(AnyValue key, std::vector<double> values, PainterFn fn, std::optional<QSizeF> idealSize)
        : key(std::move(key)), values(std::move(values)), fn(std::move(fn)), idealSize(idealSize)
    {
    }
    const char *kind() const override { return "Painter"; }
    bool overlapsItself(const Node &) const override { return true; }  // what it draws may overlap
    bool sameProperties(const Spec &other) const override;
    void apply(Node &node, const Spec *previous, ReconcileContext &ctx) const override;
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    bool containsPoint(const Node &node, QPointF local) const override;
    AnyValue key;
    std::vector<double> values;
    PainterFn fn;
    std::optional<QSizeF> idealSize;
};

}  // namespace kit
