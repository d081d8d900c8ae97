#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vesk {

// A connection to a Signal. Disconnects when destroyed or reset, so an owner that keeps its
// connections as members can never be called after it is gone.
class Connection {
public:
    Connection() = default;
    explicit Connection(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
    Connection(Connection &&other) noexcept : disconnect_(std::exchange(other.disconnect_, {})) {}
    Connection &operator=(Connection &&other) noexcept
    {
        if (this != &other) {
            reset();
            disconnect_ = std::exchange(other.disconnect_, {});
        }
        return *this;
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    ~Connection() { reset(); }

    void reset()
    {
        if (disconnect_)
            std::exchange(disconnect_, {})();
    }
    bool connected() const { return bool(disconnect_); }

private:
    std::function<void()> disconnect_;
};

// A main-thread signal with any number of slots. Slots connected or disconnected while the signal
// is being emitted take effect from the next emission; a slot disconnected mid-emission is skipped.
template <typename... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    Signal() : slots_(std::make_shared<std::vector<Entry>>()) {}
    Signal(const Signal &) = delete;
    Signal &operator=(const Signal &) = delete;

    [[nodiscard]] Connection connect(Slot slot)
    {
        auto id = ++nextId_;
        slots_->push_back({id, std::make_shared<Slot>(std::move(slot))});
        std::weak_ptr<std::vector<Entry>> weak = slots_;
        return Connection([weak, id] {
            if (auto list = weak.lock()) {
                for (auto it = list->begin(); it != list->end(); ++it) {
                    if (it->id == id) {
                        *it->slot = nullptr;
                        list->erase(it);
                        break;
                    }
                }
            }
        });
    }

    void operator()(Args... args) const
    {
        if (slots_->empty())
            return;
        auto snapshot = *slots_;
        for (auto &entry : snapshot) {
            if (*entry.slot)
                (*entry.slot)(args...);
        }
    }

    bool empty() const { return slots_->empty(); }

private:
    struct Entry {
        unsigned long id;
        std::shared_ptr<Slot> slot;
    };
    std::shared_ptr<std::vector<Entry>> slots_;
    unsigned long nextId_ = 0;
};

}  // namespace vesk
