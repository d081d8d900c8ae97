#pragma once

#include "Base/MainQueue.h"

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace vesk {

// The lifetime of the object that holds it as a member: a callback that may come after the object
// is gone (a post, a store's answer, a signal hook, a background task's result, a timer nobody
// cancels) is wrapped in guard() and then does nothing. Make the guarded function on the main
// thread; it may travel through another thread and back, and is called on the main thread.
class Lifetime {
public:
    Lifetime() = default;
    // A copied or assigned owner is another owner: its callbacks never answer for the first's.
    Lifetime(const Lifetime &) : Lifetime() {}
    Lifetime &operator=(const Lifetime &) { return *this; }

    // `fn`, called with whatever arguments it takes, while this lifetime lasts; afterwards a call
    // does nothing and returns a value-initialised result.
    template <typename F>
    auto guard(F fn) const
    {
        return [alive = std::weak_ptr<const int>(alive_), fn = std::move(fn)](auto &&...args) mutable {
            using Result = decltype(fn(std::forward<decltype(args)>(args)...));
            if (alive.expired()) {
                if constexpr (std::is_void_v<Result>)
                    return;
                else
                    return Result{};
            }
            return fn(std::forward<decltype(args)>(args)...);
        };
    }

    // Posts `fn` on the installed main queue, guarded.
    void post(std::function<void()> fn) const { mainQueue().post(guard(std::move(fn))); }

private:
    std::shared_ptr<const int> alive_ = std::make_shared<const int>(0);
};

}  // namespace vesk
