#pragma once

#include <memory>

namespace vesk::test {

// A factory for a window controller's services that makes a new simulated `T` each time and
// points `latest` at it, so that the test can drive what the controller made.
template <typename T>
auto makingInto(T *&latest)
{
    return [&latest] {
        auto made = std::make_unique<T>();
        latest = made.get();
        return made;
    };
}

}  // namespace vesk::test
