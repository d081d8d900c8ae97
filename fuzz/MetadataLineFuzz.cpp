// Fuzzes TrackWatch's report side from the player's D-Bus properties to the line it writes, and
// reads that line back with the application's decoder: a round trip. The bytes build a metadata map
// of any keys and D-Bus value types and the player's other properties; the snapshot made from them
// is published twice (the second time the artwork is the same). Every line must decode, carry the
// player's values exactly (text cut to the field limit on a character boundary), and stay within
// the limits the application relies on.
#include "NowPlaying/NowPlayingPayload.h"
#include "TrackWatch/LineBuilder.h"
#include "TrackWatch/MprisPlayer.h"
#include "TrackWatch/NowPlayingSnapshot.h"

#include <QDBusObjectPath>
#include <QStringList>

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

QString text(FuzzedDataProvider &provider)
{
    const std::string bytes = provider.ConsumeRandomLengthString(64);
    if (provider.ConsumeBool())
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    // Raw UTF-16, lone surrogates and all.
    return QString(reinterpret_cast<const QChar *>(bytes.data()), qsizetype(bytes.size() / 2));
}

// A long text now and then, to reach the field limit.
QString longText(FuzzedDataProvider &provider)
{
    QString value = text(provider);
    if (provider.ConsumeIntegralInRange<int>(0, 15) == 0 && !value.isEmpty())
        value = value.repeated(int(trackwatch::kTextFieldLimit / std::size_t(value.size())) + 1);
    return value;
}

QVariant anyValue(FuzzedDataProvider &provider)
{
    switch (provider.ConsumeIntegralInRange<int>(0, 11)) {
    case 0:
        return longText(provider);
    case 1: {
        QStringList list;
        for (int n = provider.ConsumeIntegralInRange<int>(0, 4); n > 0; --n)
            list << longText(provider);
        return list;
    }
    case 2:
        return QVariant::fromValue(provider.ConsumeIntegral<qlonglong>());
    case 3:
        return QVariant::fromValue(provider.ConsumeIntegral<qulonglong>());
    case 4:
        return QVariant::fromValue(provider.ConsumeIntegral<int>());
    case 5:
        return QVariant::fromValue(provider.ConsumeIntegral<uint>());
    case 6:
        return QVariant::fromValue(provider.ConsumeIntegral<short>());
    case 7:
        return QVariant::fromValue(provider.ConsumeIntegral<uchar>());
    case 8:
        return provider.ConsumeFloatingPoint<double>();
    case 9:
        return provider.ConsumeBool();
    case 10:
        return QVariant::fromValue(QDBusObjectPath(text(provider)));
    default:
        return QByteArray::fromStdString(provider.ConsumeRandomLengthString(32));
    }
}

const QString kKeys[] = {"xesam:title", "xesam:artist", "xesam:album", "mpris:length",
                         "mpris:artUrl", "mpris:trackid", "xesam:url", "xesam:genre"};
const QString kProperties[] = {"PlaybackStatus", "Rate", "Shuffle", "LoopStatus", "Volume"};

// What a text field must read as: the UTF-8 the snapshot hands on, up to its first NUL, cut.
std::string expectedText(const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    return std::string(trackwatch::capText(std::string(utf8.constData())));
}

void sameText(const std::optional<std::string> &decoded, const std::optional<QString> &source)
{
    check(decoded.has_value() == source.has_value());
    if (source)
        check(*decoded == expectedText(*source));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Qt's warnings about the invalid object paths this builds would drown the fuzzer's output.
    static const auto quiet = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    (void)quiet;
    FuzzedDataProvider provider(data, size);
    QVariantMap metadata;
    for (int n = provider.ConsumeIntegralInRange<int>(0, 8); n > 0; --n) {
        const QString key = provider.ConsumeBool() ? kKeys[provider.ConsumeIntegralInRange<int>(0, 7)] : text(provider);
        metadata.insert(key, anyValue(provider));
    }
    trackwatch::MprisPlayer player;
    player.busName = QStringLiteral("org.mpris.MediaPlayer2.fuzz");
    player.apply(QStringLiteral("Metadata"), metadata);
    for (int n = provider.ConsumeIntegralInRange<int>(0, 5); n > 0; --n) {
        const QString &name = kProperties[provider.ConsumeIntegralInRange<int>(0, 4)];
        QVariant value = provider.ConsumeBool() ? anyValue(provider) : QVariant();
        if (name == QLatin1String("PlaybackStatus") && provider.ConsumeBool())
            value = provider.ConsumeBool() ? QStringLiteral("Playing") : QStringLiteral("Paused");
        player.apply(name, value);
    }
    std::optional<std::int64_t> position;
    if (provider.ConsumeBool())
        position = provider.ConsumeIntegral<std::int64_t>();
    const double readAt = provider.ConsumeFloatingPoint<double>();
    std::optional<std::string> bundleID;
    if (provider.ConsumeBool())
        bundleID = expectedText(longText(provider));
    const QByteArray artwork = QByteArray::fromStdString(provider.ConsumeRandomLengthString(4096));

    const trackwatch::NowPlayingSnapshot snapshot(player, position, readAt, artwork);
    const trackwatch::NowPlayingInfo info = trackwatch::copyInfo(*snapshot.dictionary());
    trackwatch::LineBuilder builder;
    const bool playing = player.isPlaying();
    const trackwatch::MprisTrack &track = player.track;
    const bool reported = track.title && !expectedText(*track.title).empty();

    for (int round = 0; round < 2; ++round) {
        const auto line = builder.publish(&info, playing, bundleID);
        check(line.has_value());
        check(line->find('\n') == std::string::npos);
        const auto payload = vesk::NowPlayingPayload::decode(*line);
        check(payload.has_value());
        if (!reported) {
            check(payload->empty == true && !payload->title);
            continue;
        }
        check(!payload->empty);
        sameText(payload->title, track.title);
        sameText(payload->artist, track.artist);
        sameText(payload->album, track.album);
        check(payload->bundleID == (bundleID ? std::optional(std::string(trackwatch::capText(*bundleID))) : std::nullopt));
        for (const auto *field : {&payload->title, &payload->artist, &payload->album, &payload->bundleID})
            check(!*field || (*field)->size() <= trackwatch::kTextFieldLimit);
        check(payload->playing == playing);
        check(payload->duration == track.lengthSeconds);
        if (position) {
            check(payload->elapsed == double(*position) / 1e6);
            check(payload->timestamp == (std::isfinite(readAt) ? std::optional(readAt) : std::nullopt));
        } else {
            check(!payload->elapsed && !payload->timestamp);
        }
        check(payload->rate == (playing ? player.rate.value_or(1.0) : 0.0));
        check(payload->shuffle == trackwatch::shuffleModeNumber(player.shuffle));
        check(payload->repeat == trackwatch::repeatModeNumber(player.loopStatus));
        if (artwork.isEmpty()) {
            check(!payload->artwork && !payload->artworkSame);
        } else if (round == 0) {
            check(payload->artwork == trackwatch::base64Encode(reinterpret_cast<const std::uint8_t *>(artwork.constData()),
                                                               std::size_t(artwork.size())));
            check(!payload->artworkSame);
        } else {
            check(!payload->artwork && payload->artworkSame == true);
        }
    }
    return 0;
}
