#include "Diagnostics/DebugFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vesk;

TEST(DebugFiles, PngKeepsEveryPixelAndItsAlpha)
{
    // Colours, translucency and width that is no multiple of anything, so that the row filter meets
    // every kind of neighbour.
    QImage image(37, 11, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor((x * 7) % 256, (y * 23) % 256, (x * y) % 256, x % 3 == 0 ? 255 : (x * 40) % 256));
    const QByteArray bytes = debugfiles::png(image);
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(bytes, "PNG"));
    const QImage expected = image.convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(decoded.size(), expected.size());
    decoded = decoded.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(decoded.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
    EXPECT_TRUE(debugfiles::png(QImage()).isEmpty());
}

TEST(DebugFiles, ReplaceMakesTheFoldersAndLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("a/b/file.txt").toStdString();
    ASSERT_TRUE(debugfiles::replace(path, "first"));
    ASSERT_TRUE(debugfiles::replace(path, "second"));
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "second");
    EXPECT_EQ(QDir(dir.filePath("a/b")).entryList(QDir::Files), QStringList{"file.txt"});
    // Under a plain file no folder can be made: nothing, and no error escapes.
    EXPECT_FALSE(debugfiles::replace(dir.filePath("a/b/file.txt/inner.png").toStdString(), "x"));
}

TEST(DebugFiles, JoinLeavesAnEmptyFolderAsTheWorkingDirectory)
{
    EXPECT_EQ(debugfiles::join("", "snapshot.png"), "snapshot.png");
    EXPECT_EQ(debugfiles::join("shots", "snapshot.png"), "shots/snapshot.png");
    EXPECT_EQ(debugfiles::join("shots/", "snapshot.png"), "shots/snapshot.png");
}
