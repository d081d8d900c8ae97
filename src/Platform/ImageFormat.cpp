#include "Platform/ImageFormat.h"

#include <QImageReader>
#include <QIODevice>

namespace vesk {

QByteArray imageFormatOf(const QByteArray &head)
{
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (head.startsWith("\xff\xd8\xff"))
        return "jpeg";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return "gif";
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return "webp";
    if (head.startsWith("BM"))
        return "bmp";
    if (head.startsWith("/* XPM */"))
        return "xpm";
    return {};
}

void nameImageFormat(QImageReader &reader, const QByteArray &suffix)
{
    QByteArray format;
    if (QIODevice *device = reader.device(); device && (device->isOpen() || device->open(QIODevice::ReadOnly)))
        format = imageFormatOf(device->peek(16));
    const QByteArray lower = suffix.toLower();
    if (format.isEmpty() && (lower == "svg" || lower == "svgz"))
        format = lower;
    if (format.isEmpty())
        return;
    reader.setFormat(format);
    reader.setAutoDetectImageFormat(false);
}

}  // namespace vesk
