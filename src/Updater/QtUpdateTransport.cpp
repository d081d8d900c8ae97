#include "Updater/UpdateTransport.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace vesk {

namespace {

class QtTransfer final : public UpdateTransport::Transfer {
public:
    QtTransfer(QNetworkReply *reply, UpdateTransport::Events events) : reply_(reply), events_(std::move(events))
    {
        readyRead_ = QObject::connect(reply, &QNetworkReply::readyRead, reply, [this] { read(); });
        finished_ = QObject::connect(reply, &QNetworkReply::finished, reply, [this] { finish(); });
    }
    ~QtTransfer() override
    {
        if (reply_) {
            // Only our own connections go: the reply reaches its network thread through signals of
            // its own, and without them abort() would leave that thread reading the body to its end.
            forget();
            reply_->abort();
            reply_->deleteLater();
        }
    }

private:
    qint64 expected() const
    {
        const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
        return length.isValid() ? length.toLongLong() : -1;
    }
    void read()
    {
        const QByteArray chunk = reply_->readAll();
        received_ += chunk.size();
        if (!chunk.isEmpty() && events_.onData)
            events_.onData(chunk, expected());
    }
    void finish()
    {
        read();
        // Qt numbers its own failures (connection, timeout, proxy) below 200; above that it passes
        // on what the server answered, whose body counts.
        const auto error = reply_->error();
        const bool transportFailed = error != QNetworkReply::NoError && int(error) < 200;
        const qint64 length = expected();
        const bool cutOff = length >= 0 && received_ != length;
        QNetworkReply *reply = reply_;
        forget();
        reply_ = nullptr;
        reply->deleteLater();
        auto onEnd = events_.onEnd;  // may drop this transfer
        if (onEnd)
            onEnd(transportFailed || cutOff);
    }

    void forget()
    {
        QObject::disconnect(readyRead_);
        QObject::disconnect(finished_);
    }

    QPointer<QNetworkReply> reply_;
    QMetaObject::Connection readyRead_, finished_;
    UpdateTransport::Events events_;
    qint64 received_ = 0;
};

class QtUpdateTransport final : public UpdateTransport {
public:
    std::unique_ptr<Transfer> get(const Request &request, Events events) override
    {
        if (!manager_)
            manager_ = std::make_unique<QNetworkAccessManager>();
        QNetworkRequest r(request.url);
        r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        r.setTransferTimeout(int(request.timeout * 1000));
        r.setHeader(QNetworkRequest::UserAgentHeader, request.userAgent);
        return std::make_unique<QtTransfer>(manager_->get(r), std::move(events));
    }

private:
    std::unique_ptr<QNetworkAccessManager> manager_;
};

}  // namespace

std::unique_ptr<UpdateTransport> makeQtUpdateTransport() { return std::make_unique<QtUpdateTransport>(); }

}  // namespace vesk

// The network module's entry: the updater makes its transport through it.
extern "C" __attribute__((visibility("default"))) vesk::UpdateTransport *vesk_make_update_transport()
{
    return vesk::makeQtUpdateTransport().release();
}
