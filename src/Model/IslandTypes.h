#pragma once

#include <optional>
#include <string>
#include <variant>

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

// A page of the open island. The order on screen is the model's `pages`.
class IslandPage {
public:
    struct Media {
        bool operator==(const Media &) const = default;
    };
    struct Calendar {
        bool operator==(const Calendar &) const = default;
    };
    struct Timer {
        bool operator==(const Timer &) const = default;
    };
    struct Ext {
        std::string id;
        bool operator==(const Ext &) const = default;
    };

    static IslandPage media() { return IslandPage(Media{}); }
    static IslandPage calendar() { return IslandPage(Calendar{}); }
    static IslandPage timer() { return IslandPage(Timer{}); }
    static IslandPage ext(std::string id) { return IslandPage(Ext{std::move(id)}); }

    bool isMedia() const { return std::holds_alternative<Media>(value_); }
    bool isCalendar() const { return std::holds_alternative<Calendar>(value_); }
    bool isTimer() const { return std::holds_alternative<Timer>(value_); }
    // The extension's identifier for an extension page, else absent.
    std::optional<std::string> extensionID() const;

    // "media", "calendar", "timer" or "ext:<id>".
    std::string description() const;
    static std::optional<IslandPage> fromDescription(const std::string &text);

    bool operator==(const IslandPage &) const = default;

private:
    using Value = std::variant<Media, Calendar, Timer, Ext>;
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
