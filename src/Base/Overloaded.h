#pragma once

namespace vesk {

// One callable made of several lambdas, for std::visit: each alternative goes to the lambda that
// takes it, and an alternative that none takes does not compile.
template <typename... Fs>
struct Overloaded : Fs... {
    using Fs::operator()...;
};
template <typename... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

}  // namespace vesk
