#include "Platform/linux/QtWebFetcher.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace vesk {

namespace {

// The managers still alive. The shared fetcher lives until the exit handlers, after the
// application has gone; a manager torn down then still has its worker thread running and can
// crash the process on its way out. The application's end takes them down first instead.
std::vector<QNetworkAccessManager *> &liveManagers()
{
    static std::vector<QNetworkAccessManager *> managers;
    return managers;
}

void endManagers()
{
    for (QNetworkAccessManager *manager : std::exchange(liveManagers(), {}))
        delete manager;
}

}  // namespace

QtWebFetcher::QtWebFetcher() : network_(new QNetworkAccessManager)
{
    static const bool registered = (qAddPostRoutine(endManagers), true);
    (void)registered;
    liveManagers().push_back(network_);
}

QtWebFetcher::~QtWebFetcher()
{
    std::erase(liveManagers(), network_.data());
    delete network_.data();  // null once the application's end took it
}

void QtWebFetcher::get(const Request &request, Answer answer)
{
    if (!network_) {  // the application has ended
        if (answer)
            answer(std::nullopt);
        return;
    }
    QNetworkRequest http{QUrl(request.url)};
    for (const auto &[name, value] : request.headers)
        http.setRawHeader(name, value);
    http.setTransferTimeout(int(std::lround(request.timeout * 1000)));
    QNetworkReply *reply = network_->get(http);
    // The transfer timeout only notices a stalled transfer; a body that trickles in is cut off
    // when the whole request has taken its time.
    QTimer::singleShot(int(std::lround(request.timeout * 1000)), reply, [reply] { reply->abort(); });
    struct State {
        QByteArray body;
        bool tooLarge = false;
        Answer answer;
    };
    auto state = std::make_shared<State>();
    state->answer = std::move(answer);
    const qint64 cap = request.maxBytes;
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, state, cap] {
        state->body += reply->readAll();
        if (state->body.size() > cap) {
            state->tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, state, cap] {
        reply->deleteLater();
        if (!state->tooLarge && reply->isOpen())  // an aborted reply is closed and has nothing left
            state->body += reply->readAll();
        const bool failed = state->tooLarge || reply->error() != QNetworkReply::NoError || state->body.size() > cap;
        if (state->answer)
            state->answer(failed ? std::nullopt : std::optional(state->body));
    });
}

}  // namespace vesk

// The network module's entry: the application makes its fetcher through it.
extern "C" __attribute__((visibility("default"))) vesk::WebFetcher *vesk_make_web_fetcher()
{
    return new vesk::QtWebFetcher;
}
