#include "Platform/AudioDevices.h"

#include "Platform/linux/PulseAudioOutputs.h"

namespace vesk {

namespace {
AudioDevices *installed = nullptr;

constexpr std::pair<AudioTransport, const char *> kTransportNames[] = {
    {AudioTransport::builtin, "builtin"}, {AudioTransport::bluetooth, "bluetooth"}, {AudioTransport::usb, "usb"},
    {AudioTransport::hdmi, "hdmi"},       {AudioTransport::network, "network"},     {AudioTransport::other, "other"},
};
}  // namespace

QString transportName(AudioTransport transport)
{
    for (auto &[t, name] : kTransportNames) {
        if (t == transport)
            return QString::fromLatin1(name);
    }
    return QStringLiteral("other");
}

std::optional<AudioTransport> transportNamed(const QString &name)
{
    for (auto &[t, n] : kTransportNames) {
        if (name == QLatin1String(n))
            return t;
    }
    return std::nullopt;
}

AudioDevices &audioDevices()
{
    if (installed)
        return *installed;
    static PulseAudioOutputs real;
    return real;
}

void setAudioDevices(AudioDevices *service) { installed = service; }

}  // namespace vesk
