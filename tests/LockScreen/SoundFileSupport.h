#pragma once

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstdint>
#include <string>

namespace vesk::test {

// A PCM WAV file of `frames` frames of a quiet tone, with any channel count and rate.
inline QByteArray toneWav(int channels, uint32_t rate, int frames)
{
    QByteArray out;
    auto u16 = [&](uint16_t v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    auto u32 = [&](uint32_t v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    const uint32_t data = uint32_t(frames) * uint32_t(channels) * 2;
    out.append("RIFF", 4);
    u32(36 + data);
    out.append("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(uint16_t(channels));
    u32(rate);
    u32(rate * uint32_t(channels) * 2);
    u16(uint16_t(channels * 2));
    u16(16);
    out.append("data", 4);
    u32(data);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            u16(uint16_t(int16_t(3000 * std::sin(i * 0.05))));
    return out;
}

inline std::string writeFile(const std::string &path, const QByteArray &bytes)
{
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
    return path;
}

}  // namespace vesk::test
