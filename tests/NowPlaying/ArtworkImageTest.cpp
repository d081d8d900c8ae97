#include "NowPlaying/ArtworkImage.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>

#include <gtest/gtest.h>

using namespace vesk;

namespace {

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage filled(int w, int h, QColor colour, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(w, h, format);
    image.fill(colour);
    return image;
}

std::string hex(const QColor &colour) { return colour.name(QColor::HexRgb).toUpper().toStdString(); }

}  // namespace

TEST(ArtworkImageTest, LargeArtworkIsReducedNeverEnlarged)
{
    auto wide = artwork::image(encode(filled(1000, 500, Qt::green), "PNG"));
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->size(), QSize(192, 96));
    auto jpeg = artwork::image(encode(filled(300, 600, Qt::blue, QImage::Format_RGB32), "JPEG"));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->size(), QSize(96, 192));
    auto small = artwork::image(encode(filled(50, 40, Qt::red), "PNG"));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->size(), QSize(50, 40));
}

TEST(ArtworkImageTest, BytesThatAreNoImageGiveNone)
{
    EXPECT_FALSE(artwork::image(QByteArray()));
    EXPECT_FALSE(artwork::image(QByteArray("definitely not an image")));
    QByteArray truncated = encode(filled(64, 64, Qt::red), "PNG");
    truncated.truncate(20);
    EXPECT_FALSE(artwork::image(truncated));
}

TEST(ArtworkImageTest, WebPDecodesWhenThePluginIsThere)
{
    if (!QImageWriter::supportedImageFormats().contains("webp"))
        GTEST_SKIP() << "no WebP plugin";
    auto webp = artwork::image(encode(filled(400, 400, Qt::red, QImage::Format_RGB32), "WEBP"));
    ASSERT_TRUE(webp);
    EXPECT_EQ(webp->size(), QSize(192, 192));
}

TEST(ArtworkImageTest, AccentRaisesSaturationAndBrightness)
{
    EXPECT_EQ(hex(artwork::accent(filled(10, 10, Qt::black))), "#D9D9D9");
    EXPECT_EQ(hex(artwork::accent(filled(10, 10, Qt::red))), "#FF3333");
    // Transparent pixels count as black: half transparent red averages to a darker red.
    QImage half = filled(10, 10, Qt::red);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 10; ++x)
            half.setPixelColor(x, y, Qt::transparent);
    const QColor mixed = artwork::accent(half);
    EXPECT_EQ(mixed.hue(), 0);
    EXPECT_NEAR(mixed.valueF(), 0.85, 0.01);
    // A grey stays grey.
    EXPECT_EQ(artwork::accent(filled(4, 4, QColor(128, 128, 128))).saturation(), 0);
    EXPECT_EQ(artwork::accent(QImage()), QColor(Qt::white));
}

TEST(ArtworkImageTest, EveryPixelFormatGivesTheSameAccent)
{
    QImage straight(3, 2, QImage::Format_ARGB32);
    const QRgb pixels[] = {qRgba(200, 40, 10, 255), qRgba(10, 200, 90, 128), qRgba(0, 0, 255, 0),
                           qRgba(90, 90, 90, 255), qRgba(255, 255, 0, 60), qRgba(30, 60, 200, 200)};
    for (int i = 0; i < 6; ++i)
        straight.setPixel(i % 3, i / 3, pixels[i]);
    const std::string expected = hex(artwork::accent(straight));
    EXPECT_EQ(hex(artwork::accent(straight.convertToFormat(QImage::Format_ARGB32_Premultiplied))), expected);
    EXPECT_EQ(hex(artwork::accent(straight.convertToFormat(QImage::Format_RGBA8888))), expected);
    // Opaque formats: the same as the image drawn over black.
    QImage opaque(3, 2, QImage::Format_RGB32);
    opaque.fill(Qt::black);
    QPainter(&opaque).drawImage(0, 0, straight);
    EXPECT_EQ(hex(artwork::accent(opaque)), hex(artwork::accent(opaque.convertToFormat(QImage::Format_RGB888))));
}
