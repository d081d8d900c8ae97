#pragma once

#include "Base/Signal.h"

#include <functional>
#include <utility>
#include <vector>

namespace vesk {

// Something whose reads can be tracked and whose changes can be observed. Models keep their
// observed fields as Observed<T>; views and controllers learn what they read through
// trackObservation() and are told once when any of it changes.
class Observable {
public:
    Observable() = default;
    Observable(const Observable &) = delete;
    Observable &operator=(const Observable &) = delete;

    [[nodiscard]] Connection observe(std::function<void()> onChange) const
    {
        return changed_.connect(std::move(onChange));
    }

protected:
    void noteRead() const;
    void notifyChanged() const { changed_(); }

private:
    mutable Signal<> changed_;
};

// An observed value: a write of a value equal to the stored one notifies nobody.
template <typename T>
class Observed : public Observable {
public:
    Observed() = default;
    explicit Observed(T initial) : value_(std::move(initial)) {}

    // Reads through get() are recorded by an active observation tracking scope.
    const T &get() const
    {
        noteRead();
        return value_;
    }
    operator const T &() const { return get(); }

    // Returns whether the value changed (and observers were notified).
    bool set(T value)
    {
        if (value_ == value)
            return false;
        value_ = std::move(value);
        notifyChanged();
        return true;
    }
    Observed &operator=(T value)
    {
        set(std::move(value));
        return *this;
    }

    // Reads without recording, for code that must not subscribe (the model's own logic).
    const T &peek() const { return value_; }

private:
    T value_{};
};

// A running observation: fires `onChange` once, at the first change of anything that `apply`
// read, then stays quiet until it is re-armed (by calling trackObservation again).
class ObservationTracking {
public:
    ObservationTracking() = default;
    ObservationTracking(ObservationTracking &&) = default;
    ObservationTracking &operator=(ObservationTracking &&) = default;
    void cancel() { connections_.clear(); }
    bool active() const { return !connections_.empty(); }
    size_t observedCount() const { return connections_.size(); }

private:
    friend ObservationTracking trackObservation(const std::function<void()> &, std::function<void()>);
    std::vector<Connection> connections_;
};

ObservationTracking trackObservation(const std::function<void()> &apply, std::function<void()> onChange);

}  // namespace vesk
