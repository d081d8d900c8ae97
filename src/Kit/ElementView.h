#pragma once

// Template part of Element.h: the component spec that wraps a view value.

namespace kit {

// A readable name of a view type for the dump ("PeekView").
QString demangledTypeName(const std::type_info &type);

template <typename V>
class ViewSpec final : public Spec {
public:
    explicit ViewSpec(V value) : value_(std::move(value)) {}
    const char *kind() const override { return "View"; }
    bool changesPainterState() const override { return false; }
    bool sameProperties(const Spec &other) const override
    {
        if constexpr (std::equality_comparable<V>)
            return value_ == static_cast<const ViewSpec &>(other).value_;
        else
            return false;
    }
    bool isComponent() const override { return true; }
    Element evaluate(const Env &env) const override { return value_.body(env); }
    const std::type_info &matchType() const override { return typeid(V); }
    void describe(const Node &, QString &out) const override
    {
        out += QStringLiteral(" ");
        out += demangledTypeName(typeid(V));
    }

private:
    V value_;
};

template <ViewType V>
Element view(V value)
{
    return Element(std::make_shared<const ViewSpec<V>>(std::move(value)));
}

}  // namespace kit
