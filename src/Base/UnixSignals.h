#pragma once

#include <functional>
#include <initializer_list>

namespace vesk {

// Turns Unix signals into calls on the main thread's event loop (through a self-pipe), so a handler
// may touch application state. A signal that arrives before the loop runs is delivered once it does.
// Call after the QCoreApplication exists.
void onUnixSignals(std::initializer_list<int> signalNumbers, std::function<void(int)> handler);

}  // namespace vesk
