#include "NowPlaying/AudioOutput.h"

#include <QDir>
#include <QFile>

#include <initializer_list>

namespace vesk {

namespace {

std::function<bool(const QString &)> &symbolLookup()
{
    static std::function<bool(const QString &)> lookup;
    return lookup;
}

struct Observation {
    std::weak_ptr<const void> service;
    Connection outputs;
    Connection defaultOutput;
};

Observation &observation()
{
    static Observation o;
    return o;
}

QString firstKnown(std::initializer_list<const char *> candidates)
{
    const auto &exists = symbolLookup();
    for (const char *c : candidates) {
        const QString name = QString::fromLatin1(c);
        if (!exists || exists(name))
            return name;
    }
    return QStringLiteral("headphones");
}

bool holdsAny(const QString &name, std::initializer_list<const char *> keywords)
{
    for (const char *k : keywords) {
        if (name.contains(QString::fromUtf8(k)))
            return true;
    }
    return false;
}

QString readLine(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readLine()).trimmed();
}

}  // namespace

std::vector<AudioOutput::Device> AudioOutput::devices(AudioDevices &service)
{
    std::vector<Device> list;
    const bool laptop = isLaptop();
    for (const auto &d : service.outputs())
        list.push_back({d.id, d.name, symbol(d.name, d.transport, laptop), d.isWireless()});
    return list;
}

void AudioOutput::observe(AudioDevices &service, std::function<void()> onChange)
{
    auto &o = observation();
    if (!o.service.expired() && o.service.lock() == service.lifetime().lock())
        return;
    o.service = service.lifetime();
    auto shared = std::make_shared<std::function<void()>>(std::move(onChange));
    o.outputs = service.outputsChanged.connect([shared] { (*shared)(); });
    o.defaultOutput = service.defaultOutputChanged.connect([shared] { (*shared)(); });
}

QString AudioOutput::symbol(const QString &deviceName, AudioTransport transport, bool laptop)
{
    const QString name = deviceName.toLower();
    if (name.contains(QLatin1String("airpods max")))
        return firstKnown({"airpodsmax"});
    if (name.contains(QLatin1String("airpods pro")))
        return firstKnown({"airpodspro"});
    if (name.contains(QLatin1String("airpods")))
        return firstKnown({"airpods"});
    if (name.contains(QLatin1String("studio buds")))
        return firstKnown({"beats.studiobuds", "beats.earphones"});
    if (name.contains(QLatin1String("powerbeats")))
        return firstKnown({"beats.powerbeatspro", "beats.earphones"});
    if (name.contains(QLatin1String("beats fit")))
        return firstKnown({"beats.fitpro", "beats.earphones"});
    if (holdsAny(name, {"beats solo", "beats studio"}))
        return firstKnown({"beats.headphones"});
    if (name.contains(QLatin1String("beats")))
        return firstKnown({"beats.earphones"});
    if (name.contains(QLatin1String("homepod mini")))
        return firstKnown({"homepodmini.fill", "homepod.fill"});
    if (name.contains(QLatin1String("homepod")))
        return firstKnown({"homepod.fill"});

    switch (transport) {
    case AudioTransport::network:
        // A network output is the counterpart of an AirPlay receiver.
        return firstKnown({"airplayaudio"});
    case AudioTransport::builtin:
        if (holdsAny(name, {"phone", "hörer"}))
            return firstKnown({"headphones"});
        return laptop ? firstKnown({"macbook"}) : firstKnown({"desktopcomputer"});
    case AudioTransport::hdmi:
        return firstKnown({"display"});
    case AudioTransport::bluetooth:
        if (holdsAny(name, {"speaker", "boom", "soundlink"}))
            return firstKnown({"hifispeaker.fill"});
        return firstKnown({"headphones"});
    case AudioTransport::usb:
    case AudioTransport::other:
        break;
    }
    if (holdsAny(name, {"headset", "headphone", "kopfhörer"}))
        return firstKnown({"headphones"});
    return firstKnown({"hifispeaker.fill"});
}

bool AudioOutput::isLaptop()
{
    static const bool laptop = detectLaptop(QStringLiteral("/sys/class/power_supply"));
    return laptop;
}

bool AudioOutput::detectLaptop(const QString &powerSupplyDir)
{
    QDir dir(powerSupplyDir);
    for (const QString &entry : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
        const QString base = dir.filePath(entry);
        if (readLine(base + QStringLiteral("/type")) == QLatin1String("Battery")
            && readLine(base + QStringLiteral("/scope")) != QLatin1String("Device"))
            return true;
    }
    return false;
}

void AudioOutput::setSymbolLookup(std::function<bool(const QString &)> exists) { symbolLookup() = std::move(exists); }

}  // namespace vesk
