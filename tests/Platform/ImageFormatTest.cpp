#include "Platform/ImageFormat.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vesk;

namespace {

QByteArray encoded(const char *format)
{
    QImage image(8, 6, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Small images made beforehand: Qt's writers would load every image plugin themselves.
const QByteArray redPng = QByteArray::fromBase64(
    "iVBORw0KGgoAAAANSUhEUgAAAAgAAAAGAQMAAADEy024AAAAA1BMVEX/AAAZ4gk3AAAAC0lEQVQI12NgQAAAAAwAAeQ06mYAAAAASUVORK5CYII=");
const QByteArray redJpeg = QByteArray::fromBase64(
    "/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAMCAgICAgMCAgIDAwMDBAYEBAQEBAgGBgUGCQgKCgkICQkKDA8MCgsOCwkJDRENDg8QEBEQCgwSExIQEw8Q"
    "EBD/2wBDAQMDAwQDBAgEBAgQCwkLEBAQEBAQEBAQEBAQEBAQEBAQEBAQEBAQEBAQEBAQEBAQEBAQEBAQEBAQEBAQEBAQEBD/wAARCAAGAAgDAREAAhEB"
    "AxEB/8QAFAABAAAAAAAAAAAAAAAAAAAACP/EABQQAQAAAAAAAAAAAAAAAAAAAAD/xAAVAQEBAAAAAAAAAAAAAAAAAAAHCf/EABQRAQAAAAAAAAAAAAAA"
    "AAAAAAD/2gAMAwEAAhEDEQA/ADoDFU3/2Q==");

// The libraries this process has mapped.
QByteArray loadedLibraries()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    maps.open(QIODevice::ReadOnly);
    return maps.readAll();
}

}  // namespace

TEST(ImageFormatTest, TheFormatsOfArtworkAndIconsAreToldFromTheirFirstBytes)
{
    for (const char *format : {"png", "jpeg", "bmp", "xpm"})
        EXPECT_EQ(imageFormatOf(encoded(format)), QByteArray(format)) << format;
    if (QImageReader::supportedImageFormats().contains("webp")) {
        EXPECT_EQ(imageFormatOf(encoded("webp")), QByteArray("webp"));
    }
    EXPECT_EQ(imageFormatOf("GIF89a\x01\x00"), QByteArray("gif"));
    EXPECT_EQ(imageFormatOf("RIFF\x10\x00\x00\x00WAVEfmt "), QByteArray()) << "a RIFF that is no WebP";
    EXPECT_EQ(imageFormatOf({}), QByteArray());
    EXPECT_EQ(imageFormatOf("<svg xmlns"), QByteArray()) << "text is told by the file's suffix only";
}

// Each test runs in a process of its own under ctest: what the maps show was loaded by this test.
TEST(ImageFormatTest, ReadingANamedFormatLoadsNoOtherImagePlugin)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("icon.png")));
    file.open(QIODevice::WriteOnly);
    file.write(redPng);
    file.close();

    QImageReader fromFile(file.fileName());
    nameImageFormat(fromFile, "png");
    EXPECT_EQ(fromFile.read().size(), QSize(8, 6));

    QByteArray jpeg = redJpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader fromBytes(&buffer);
    nameImageFormat(fromBytes);
    EXPECT_EQ(fromBytes.format(), QByteArray("jpeg"));
    EXPECT_EQ(fromBytes.read().size(), QSize(8, 6));

    const QByteArray maps = loadedLibraries();
    for (const char *plugin : {"libqtiff", "libqmng", "libqico", "libqtga", "libqwbmp", "libqicns"})
        EXPECT_FALSE(maps.contains(plugin)) << plugin << " was loaded";
}

TEST(ImageFormatTest, UnknownBytesAreStillDetected)
{
    QByteArray bytes = encoded("png");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    nameImageFormat(reader, "dat");
    EXPECT_EQ(reader.read().size(), QSize(8, 6));

    QTemporaryDir dir;
    QFile svg(dir.filePath(QStringLiteral("icon.svg")));
    svg.open(QIODevice::WriteOnly);
    svg.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"4\"><rect width=\"10\" height=\"4\"/></svg>");
    svg.close();
    QImageReader icon(svg.fileName());
    nameImageFormat(icon, "svg");
    EXPECT_EQ(icon.read().size(), QSize(10, 4));
}
