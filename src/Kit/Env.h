#pragma once

#include "Kit/AnyValue.h"
#include "Kit/Color.h"
#include "Kit/Font.h"
#include "Kit/TextWrap.h"

#include <memory>

namespace kit {

// A key of an environment value, with the value seen where no ancestor set one. Declare keys as
// `inline const kit::EnvKey<bool> myKey{true};` so that each has one address.
template <typename T>
struct EnvKey {
    T defaultValue{};
};

// Values inherited down the node tree: a parent sets a value for everything inside it, the nearest
// setting wins. A persistent list, cheap to extend and to copy.
class Env {
public:
    template <typename T>
    const T &get(const EnvKey<T> &key) const
    {
        for (const Entry *e = head_.get(); e; e = e->next.get())
            if (e->key == &key)
                return *e->value.template get<T>();
        return key.defaultValue;
    }
    template <typename T>
    const T &operator[](const EnvKey<T> &key) const
    {
        return get(key);
    }

    template <typename T>
    Env with(const EnvKey<T> &key, T value) const
    {
        Env out;
        out.head_ = std::make_shared<const Entry>(Entry{&key, AnyValue::of(std::move(value)), head_});
        return out;
    }
    // Sets a value given type-erased (used by the environment modifier).
    Env withAny(const void *key, AnyValue value) const
    {
        Env out;
        out.head_ = std::make_shared<const Entry>(Entry{key, std::move(value), head_});
        return out;
    }

    // True when both environments are the same list (a cheap "nothing changed" test).
    bool isSameAs(const Env &other) const { return head_ == other.head_; }

private:
    struct Entry {
        const void *key;
        AnyValue value;
        std::shared_ptr<const Entry> next;
    };
    std::shared_ptr<const Entry> head_;
};

// How a text or a symbol changes its content in place when the change animates.
enum class ContentTransition { identity, opacity, numericText, symbolReplace };

// Environment values Kit itself reads.
namespace env {
inline const EnvKey<Font> font{Font::system(13)};
inline const EnvKey<Color> foreground{Color::white()};
inline const EnvKey<bool> isEnabled{true};
// Whether a glass material is really drawn (never on this platform).
inline const EnvKey<bool> glassUsed{false};
inline const EnvKey<ContentTransition> contentTransition{ContentTransition::opacity};
inline const EnvKey<double> minimumScaleFactor{1.0};
// Multi-line text: the most lines it may take (none: as many as it needs) and how they align.
inline const EnvKey<std::optional<int>> lineLimit{std::nullopt};
inline const EnvKey<TextAlignment> multilineTextAlignment{TextAlignment::leading};
}  // namespace env

}  // namespace kit
