#include "Kit/Transaction.h"

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
    withTransaction(Transaction{animation, false}, body);
}

void withoutAnimation(const std::function<void()> &body) { withTransaction(Transaction{std::nullopt, true}, body); }

}  // namespace kit
