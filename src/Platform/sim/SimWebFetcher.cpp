#include "Platform/sim/SimWebFetcher.h"

#include "Base/MainQueue.h"

namespace vesk {

void SimWebFetcher::get(const Request &request, Answer answer)
{
    requests_.push_back(request);
    if (onRequest)
        onRequest(request);
    std::optional<QByteArray> body;
    double delay = 0;
    if (auto it = pages_.find(request.url); it != pages_.end()) {
        body = it->second.body;
        delay = it->second.delay;
    }
    if (body && body->size() > request.maxBytes)
        body.reset();
    if (delay > request.timeout) {
        body.reset();
        delay = request.timeout;
    }
    auto deliver = [answer = std::move(answer), body] { answer(body); };
    if (delay > 0)
        mainQueue().after(delay, std::move(deliver)).detach();
    else
        mainQueue().post(std::move(deliver));
}

}  // namespace vesk
