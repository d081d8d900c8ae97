#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace vesk {

// What an island shows at a moment, in the order views and stored states number them.
enum class NotchState { closed, live, trackPreview, eventPreview, peek, open, onboarding, update };

// The states that show a page (the open island, the tour, the update card) rather than a strip
// around the notch.
constexpr bool isExpanded(NotchState s)
{
    return s == NotchState::open || s == NotchState::onboarding || s == NotchState::update;
}
constexpr bool isPreview(NotchState s) { return s == NotchState::trackPreview || s == NotchState::eventPreview; }

// notch: drawn around the physical notch; pill: a floating capsule below the top edge, with a
// second activity in a bubble beside it.
enum class IslandStyle { notch, pill };

const char *name(NotchState state);
const char *name(IslandStyle style);
std::optional<NotchState> notchStateNamed(const std::string &name);

// A page of the open island. The order on screen is the model's `pages`. Code that tells pages
// apart visits them, so a new kind of page does not compile until every such place handles it.
class IslandPage {
public:
    // The built-in pages, each named by its description.
    struct Media {
        static constexpr const char *name = "media";
        bool operator==(const Media &) const = default;
    };
    struct Calendar {
        static constexpr const char *name = "calendar";
        bool operator==(const Calendar &) const = default;
    };
    struct Timer {
        static constexpr const char *name = "timer";
        bool operator==(const Timer &) const = default;
    };
    // A running extension's page.
    struct Ext {
        std::string id;
        bool operator==(const Ext &) const = default;
    };
    using Value = std::variant<Media, Calendar, Timer, Ext>;

    static IslandPage media() { return IslandPage(Media{}); }
    static IslandPage calendar() { return IslandPage(Calendar{}); }
    static IslandPage timer() { return IslandPage(Timer{}); }
    static IslandPage ext(std::string id) { return IslandPage(Ext{std::move(id)}); }

    // Calls the one of `visitor`'s overloads (see Base/Overloaded.h) that takes this page's kind.
    template <typename Visitor>
    decltype(auto) visit(Visitor &&visitor) const
    {
        return std::visit(std::forward<Visitor>(visitor), value_);
    }

    // The built-in pages in their order on screen, every one of them.
    static std::vector<IslandPage> builtIns();
    // The built-in page of that name ("media", "calendar", "timer"), else absent.
    static std::optional<IslandPage> builtIn(const std::string &name);

    // "media", "calendar", "timer" or "ext:<id>".
    std::string description() const;
    static std::optional<IslandPage> fromDescription(const std::string &text);

    bool operator==(const IslandPage &) const = default;

private:
    explicit IslandPage(Value value) : value_(std::move(value)) {}
    Value value_;
};

}  // namespace vesk

namespace vesk {

// A size in points, compared exactly (a write of an equal size notifies nobody).
struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size &) const = default;
};

}  // namespace vesk
