#include "TrackWatch/ArtworkStore.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trackwatch {

namespace {
// Web artwork kept at once; older results are dropped, and asked for again if needed.
constexpr int kRememberedUrls = 4;
}

ArtworkStore::ArtworkStore(QObject *parent) : QObject(parent) {}

bool ArtworkStore::looksLikeImage(const QByteArray &bytes)
{
    static const QByteArray png("\x89PNG\r\n\x1a\n", 8);
    static const QByteArray jpeg("\xFF\xD8\xFF", 3);
    if (bytes.startsWith(png) || bytes.startsWith(jpeg) || bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return true;
    return bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP";
}

QByteArray ArtworkStore::readImageFile(const QString &path)
{
    // Opened without blocking and taken only when it is a regular file: a player's URL may name a
    // pipe or a device, which must not stall the loop.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QFile file;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !file.open(fd, QIODevice::ReadOnly, QFile::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    // Read one byte past the cap rather than trusting the size: the file may be growing.
    QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes || !looksLikeImage(bytes))
        return {};
    return bytes;
}

QByteArray ArtworkStore::artwork(const QString &text)
{
    const QUrl url(text);
    if (url.isLocalFile())
        return readImageFile(url.toLocalFile());
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return {};
    if (auto it = fetched_.constFind(text); it != fetched_.constEnd())
        return *it;
    if (inFlight_.contains(text) || waiting_.contains(text))
        return {};
    if (inFlight_.size() < kMaxFetches) {
        fetch(text);
    } else {
        waiting_.append(text);
        while (waiting_.size() > kMaxFetches)
            waiting_.removeFirst();
    }
    return {};
}

void ArtworkStore::fetch(const QString &url)
{
    if (!network_)
        network_ = new QNetworkAccessManager(this);
    inFlight_.insert(url);
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(kFetchTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply *reply = network_->get(request);
    // The transfer timeout only catches a stall; a server that trickles is cut off here.
    QTimer::singleShot(kFetchTimeoutMs, reply, &QNetworkReply::abort);
    auto tooLarge = [reply] { return reply->bytesAvailable() > kMaxBytes; };
    connect(reply, &QNetworkReply::readyRead, reply, [reply, tooLarge] {
        if (tooLarge())
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, url, tooLarge] {
        reply->deleteLater();
        inFlight_.remove(url);
        QByteArray bytes;
        if (reply->error() == QNetworkReply::NoError && !tooLarge()) {
            bytes = reply->readAll();
            if (!looksLikeImage(bytes))
                bytes.clear();
        }
        remember(url, bytes);
        if (!waiting_.isEmpty())
            fetch(waiting_.takeLast());
        if (!bytes.isEmpty() && onFetched)
            onFetched(url);
    });
}

void ArtworkStore::remember(const QString &url, const QByteArray &bytes)
{
    fetched_.insert(url, bytes);
    fetchedOrder_.removeAll(url);
    fetchedOrder_.append(url);
    while (fetchedOrder_.size() > kRememberedUrls)
        fetched_.remove(fetchedOrder_.takeFirst());
}

}  // namespace trackwatch
