#pragma once

#include "Kit/Element.h"
#include "Kit/Node.h"

namespace kit {

enum class Axis { z, horizontal, vertical };

// Alignment point of a laid-out child of `size`, honouring its custom guides.
double guideX(const Node &node, HAlign alignment, QSizeF size);
double guideY(const Node &node, VAlign alignment, QSizeF size);

// Layout of a node whose first live child (its content) decides its size, with every other child
// offered that size and placed over the content by `alignment`.
QSizeF sizeOfContent(Node &node, const Proposal &proposal, LayoutContext &ctx);
void placeOverContent(Node &node, QSizeF size, Alignment alignment, LayoutContext &ctx);

class StackSpec final : public Spec {
public:
    StackSpec(Axis axis, StackOptions options, Elements children);
    const char *kind() const override;
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override;
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const override;
    Axis axis;
    StackOptions options;
};

class SpacerSpec final : public Spec {
public:
    explicit SpacerSpec(double minLength) : minLength(minLength) {}
    const char *kind() const override { return "Spacer"; }
    bool changesPainterState() const override { return false; }
    bool drawsNothing(const Node &) const override { return true; }
    bool sameProperties(const Spec &other) const override
    {
        return minLength == static_cast<const SpacerSpec &>(other).minLength;
    }
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    bool isSpacer() const override { return true; }
    double minLength;
};

class FrameSpec final : public Spec {
public:
    FrameSpec(Element child, std::optional<double> width, std::optional<double> height, Alignment alignment)
        : width(width), height(height), alignment(alignment)
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "Frame"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override;
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const override;
    void describe(const Node &node, QString &out) const override;
    std::optional<double> width, height;
    Alignment alignment;
};

class FlexFrameSpec final : public Spec {
public:
    FlexFrameSpec(Element child, Element::Limits limits) : limits(limits) { children = {std::move(child)}; }
    const char *kind() const override { return "FlexFrame"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override;
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const override;
    Element::Limits limits;
};

class PaddingSpec final : public Spec {
public:
    PaddingSpec(Element child, Edges edges) : edges(edges) { children = {std::move(child)}; }
    const char *kind() const override { return "Padding"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override { return edges == static_cast<const PaddingSpec &>(other).edges; }
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const override;
    Edges edges;
};

class FixedSizeSpec final : public Spec {
public:
    FixedSizeSpec(Element child, bool h, bool v) : horizontal(h), vertical(v) { children = {std::move(child)}; }
    const char *kind() const override { return "FixedSize"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override
    {
        const auto &o = static_cast<const FixedSizeSpec &>(other);
        return horizontal == o.horizontal && vertical == o.vertical;
    }
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const override;
    bool horizontal, vertical;
};

// Content first, then the decoration; a background paints the decoration underneath.
class OverlaySpec final : public Spec {
public:
    OverlaySpec(Element content, Element decoration, Alignment alignment, bool background)
        : alignment(alignment), isBackground(background)
    {
        children = {std::move(content), std::move(decoration)};
    }
    const char *kind() const override { return isBackground ? "Background" : "Overlay"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override
    {
        const auto &o = static_cast<const OverlaySpec &>(other);
        return alignment == o.alignment && isBackground == o.isBackground;
    }
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const override;
    void paint(const Node &node, PaintContext &ctx) const override;
    Alignment alignment;
    bool isBackground;
};

class AlignmentGuideSpec final : public Spec {
public:
    AlignmentGuideSpec(Element child, std::optional<HAlign> h, std::optional<VAlign> v, std::function<double(QSizeF)> guide)
        : horizontal(h), vertical(v), guide(std::move(guide))
    {
        children = {std::move(child)};
    }
    const char *kind() const override { return "AlignmentGuide"; }
    bool changesPainterState() const override { return false; }
    // Guides are closures: they cannot be compared, so a new one always counts as a change.
    bool sameProperties(const Spec &) const override { return false; }
    bool isTransparent() const override { return true; }
    std::optional<HAlign> horizontal;
    std::optional<VAlign> vertical;
    std::function<double(QSizeF)> guide;
};

class GeometryReaderSpec final : public Spec {
public:
    explicit GeometryReaderSpec(std::function<Element(QSizeF)> content) : content(std::move(content)) {}
    const char *kind() const override { return "GeometryReader"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &) const override { return false; }
    bool reconcilesChildrenInLayout() const override { return true; }
    QSizeF sizeThatFits(Node &node, const Proposal &proposal, LayoutContext &ctx) const override;
    void placeChildren(Node &node, QSizeF size, LayoutContext &ctx) const override;
    std::function<Element(QSizeF)> content;
};

}  // namespace kit
