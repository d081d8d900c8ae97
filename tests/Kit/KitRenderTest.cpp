// The kit-render tool, run as a program: exit codes and the images it writes.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode;
    QString out;
};

ToolRun kitRender(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(VESK_BUILD_DIR "/kit-render"), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput())};
}

}  // namespace

TEST(KitRender, ShapeFillsTheWholeImageAtItsScale)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("island.png"));
    ASSERT_EQ(kitRender({"shape", "island", "--size", "200.5x32", "--top-radius", "6", "--bottom-radius", "10", "--scale", "2",
                         "--out", out})
                  .exitCode,
              0);
    const QImage image(out);
    EXPECT_EQ(image.size(), QSize(401, 64));
    EXPECT_EQ(image.pixel(200, 32), qRgba(0, 0, 0, 255));  // opaque black inside
    EXPECT_EQ(qAlpha(image.pixel(200, 0)), 255);            // the outline touches the top edge
    EXPECT_EQ(qAlpha(image.pixel(6, 40)), 0);               // beside the side, below the ear: transparent
    EXPECT_EQ(qAlpha(image.pixel(1, 63)), 0);
}

TEST(KitRender, EdgeIsAThinStroke)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("edge.png"));
    ASSERT_EQ(kitRender({"shape", "edge", "--size", "100x40", "--top-radius", "6", "--bottom-radius", "12", "--inset", "2",
                         "--style", "notch", "--scale", "1", "--out", out})
                  .exitCode,
              0);
    const QImage image(out);
    EXPECT_EQ(image.size(), QSize(100, 40));
    EXPECT_EQ(qAlpha(image.pixel(50, 20)), 0);   // an open line, not a fill
    EXPECT_GT(qAlpha(image.pixel(50, 37)), 100); // the bottom run, 2 points in
}

TEST(KitRender, WrongCombinationsExitTwo)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("x.png"));
    const QStringList base = {"--size", "100x40", "--top-radius", "6", "--bottom-radius", "12", "--scale", "1", "--out", out};
    EXPECT_EQ(kitRender(QStringList{"shape", "notch", "--top-corner", "3"} + base).exitCode, 2);
    EXPECT_EQ(kitRender(QStringList{"shape", "island", "--inset", "3"} + base).exitCode, 2);
    EXPECT_EQ(kitRender(QStringList{"shape", "island", "--style", "pill"} + base).exitCode, 2);
    EXPECT_EQ(kitRender(QStringList{"shape", "edge", "--style", "round"} + base).exitCode, 2);
    EXPECT_EQ(kitRender(QStringList{"shape", "circle"} + base).exitCode, 2);
    EXPECT_EQ(kitRender({"shape", "island", "--size", "100x40", "--scale", "1", "--out", out}).exitCode, 2);
    EXPECT_EQ(kitRender({"shape", "island", "--size", "0x40", "--top-radius", "6", "--bottom-radius", "12", "--scale", "1",
                         "--out", out})
                  .exitCode,
              2);
    EXPECT_EQ(kitRender({"scene", "nope", "--time", "0", "--scale", "1", "--out", out}).exitCode, 2);
    EXPECT_FALSE(QFile::exists(out));
}

TEST(KitRender, ScenesListAndRenderAtAnInstant)
{
    const ToolRun list = kitRender({"scene", "--list"});
    ASSERT_EQ(list.exitCode, 0);
    const QStringList lines = list.out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_GE(lines.size(), 6);
    for (const QString &line : lines)
        EXPECT_EQ(line.split(u'\t').size(), 2) << line.toStdString();

    QTemporaryDir dir;
    const QString early = dir.filePath(QStringLiteral("a.png")), late = dir.filePath(QStringLiteral("b.png")),
                  again = dir.filePath(QStringLiteral("c.png"));
    ASSERT_EQ(kitRender({"scene", "spring", "--time", "0.1", "--scale", "2", "--out", early}).exitCode, 0);
    ASSERT_EQ(kitRender({"scene", "spring", "--time", "2", "--scale", "2", "--out", late}).exitCode, 0);
    ASSERT_EQ(kitRender({"scene", "spring", "--time", "0.1", "--scale", "2", "--out", again}).exitCode, 0);
    EXPECT_EQ(QImage(early).size(), QSize(720, 280));
    EXPECT_NE(QImage(early), QImage(late));   // time moves the scene
    EXPECT_EQ(QImage(early), QImage(again));  // and the same instant draws the same
}
