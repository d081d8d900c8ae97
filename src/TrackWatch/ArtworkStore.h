#pragma once

// Artwork bytes for a player's `mpris:artUrl`: a file URL is read when asked for, a web URL is
// fetched once in the background and its result kept. Either is capped at kMaxBytes and kept only
// when its first bytes say PNG, JPEG, GIF or WebP.

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class QNetworkAccessManager;

namespace trackwatch {

class ArtworkStore : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    static constexpr int kFetchTimeoutMs = 5000;
    // Fetches run one per URL and at most this many at once; a URL asked for while that many run
    // waits its turn (only the latest few wait: older ones belong to tracks long gone).
    static constexpr int kMaxFetches = 2;

    explicit ArtworkStore(QObject *parent = nullptr);

    // The image bytes for `url` as far as known now; empty when there is none (yet). A web URL
    // not asked for before starts its fetch.
    QByteArray artwork(const QString &url);

    // Called on this object's thread when a fetch has ended with an image.
    std::function<void(const QString &url)> onFetched;

    int fetchesInFlight() const { return int(inFlight_.size()); }

    static bool looksLikeImage(const QByteArray &bytes);
    // The file's bytes when it is an image within the cap; empty otherwise.
    static QByteArray readImageFile(const QString &path);

private:
    void fetch(const QString &url);
    void remember(const QString &url, const QByteArray &bytes);

    QNetworkAccessManager *network_ = nullptr;
    QHash<QString, QByteArray> fetched_;  // web results, empty for a failure, so each URL is tried once
    QStringList fetchedOrder_;
    QSet<QString> inFlight_;
    QStringList waiting_;
};

}  // namespace trackwatch
