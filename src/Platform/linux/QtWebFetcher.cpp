#include "Platform/linux/QtWebFetcher.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <memory>

namespace vesk {

QtWebFetcher::QtWebFetcher() : network_(std::make_unique<QNetworkAccessManager>()) {}

QtWebFetcher::~QtWebFetcher() = default;

void QtWebFetcher::get(const Request &request, Answer answer)
{
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
        if (!state->tooLarge)
            state->body += reply->readAll();
        const bool failed = state->tooLarge || reply->error() != QNetworkReply::NoError || state->body.size() > cap;
        if (state->answer)
            state->answer(failed ? std::nullopt : std::optional(state->body));
    });
}

}  // namespace vesk
