#include "Kit/Transaction.h"

#include "Base/MainQueue.h"

namespace kit {

namespace {
thread_local const Transaction *active = nullptr;
}

const Transaction &Transaction::current()
{
    static const Transaction none;
    return active ? *active : none;
}

void withTransaction(const Transaction &transaction, const std::function<void()> &body)
{
    const Transaction *outer = active;
    active = &transaction;
    struct Restore {
        const Transaction *outer;
        ~Restore() { active = outer; }
    } restore{outer};
    body();
}

void withAnimation(const Animation &animation, const std::function<void()> &body)
{
    withTransaction(Transaction{animation, false, nullptr}, body);
}

void withAnimation(const Animation &animation, const std::function<void()> &body, std::function<void()> completion)
{
    // The token's last owner posts the completion: the motions it was handed to have all ended.
    auto fn = std::make_shared<std::function<void()>>(std::move(completion));
    std::shared_ptr<void> token(static_cast<void *>(nullptr), [fn](void *) {
        vesk::mainQueue().post([fn] {
            if (*fn)
                (*fn)();
        });
    });
    withTransaction(Transaction{animation, false, std::move(token)}, body);
}

void withoutAnimation(const std::function<void()> &body) { withTransaction(Transaction{std::nullopt, true, nullptr}, body); }

}  // namespace kit
