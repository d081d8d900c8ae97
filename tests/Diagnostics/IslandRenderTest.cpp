// The island as island-script renders and dumps it: the whole path from a model on the simulated
// platform through the island view to the PNG and the layer text.
#include "Island/IslandImageSupport.h"
#include "TestSupport.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class IslandRender : public ::testing::Test {
protected:
    // Runs `script` in the temporary folder; true when island-script succeeded.
    bool run(const QString &script)
    {
        QFile file(dir.filePath(QStringLiteral("test.script")));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(script.toUtf8());
        file.close();
        QProcess process;
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(ISLAND_SCRIPT), {QStringLiteral("test.script")});
        if (!process.waitForFinished(60000))
            return false;
        errors = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
    QImage image(const char *name) const { return QImage(dir.filePath(QString::fromLatin1(name))); }

    QTemporaryDir dir;
    QString errors;
    const QString screen = QStringLiteral("screen eDP-1 1512x982 scale 2 notch 185x32 menubar 37\n");
};

}  // namespace

TEST_F(IslandRender, ClosedIslandIsOpaqueBlackInsideItsOutlineOnly)
{
    ASSERT_TRUE(run(screen + "start\nadvance 1\nexpect size 185x33\nrender closed.png\nrender small.png 1\n")) << errors.toStdString();
    const QImage closed = image("closed.png");
    ASSERT_EQ(closed.size(), QSize(1520, 600));
    EXPECT_EQ(image("small.png").size(), QSize(760, 300));

    // 185 x 33 points at the top centre, at 2 pixels per point: x 575...945, y 0...66.
    for (QPoint inside : {QPoint(760, 2), QPoint(760, 60), QPoint(590, 30), QPoint(930, 30), QPoint(580, 2)})
        EXPECT_EQ(closed.pixelColor(inside), QColor(Qt::black)) << inside.x() << "," << inside.y();
    // The concave top corners and the rounded bottom corners are outside; so is all below.
    for (QPoint outside : {QPoint(570, 30), QPoint(950, 30), QPoint(577, 64), QPoint(943, 64), QPoint(760, 70),
                           QPoint(760, 300), QPoint(5, 5)})
        EXPECT_EQ(closed.pixelColor(outside).alpha(), 0) << outside.x() << "," << outside.y();
}

TEST_F(IslandRender, OpeningIslandMidSpringIsBetweenClosedAndOpen)
{
    ASSERT_TRUE(run(screen + "start\nadvance 1\nrender closed.png\nopen\nadvance 0.1\nrender mid.png\n"
                             "advance 2\nexpect size 345x175\nrender open.png\n"))
        << errors.toStdString();
    const QImage closed = image("closed.png"), mid = image("mid.png"), open = image("open.png");
    const auto [c0, c1] = vesk::test::opaqueSpan(closed, 20);
    const auto [m0, m1] = vesk::test::opaqueSpan(mid, 20);
    const auto [o0, o1] = vesk::test::opaqueSpan(open, 20);
    EXPECT_GT(m1 - m0, c1 - c0);
    EXPECT_LT(m1 - m0, o1 - o0);
    // Below its concave top corners the open island is 345 points wide.
    const auto [w0, w1] = vesk::test::opaqueSpan(open, 100);
    EXPECT_NEAR(w1 - w0 + 1, 345 * 2, 1);
    EXPECT_NEAR((w0 + w1 + 1) / 2.0, 760, 1);

    // Height at the centre column: closed < mid < open (the open one is 175 points high).
    auto height = [](const QImage &image) {
        int y = 0;
        while (y < image.height() && image.pixelColor(760, y).alpha() == 255)
            ++y;
        return y;
    };
    EXPECT_EQ(height(closed), 66);
    EXPECT_GT(height(mid), 66);
    EXPECT_LT(height(mid), 350);
    EXPECT_EQ(height(open), 350);
}

TEST_F(IslandRender, DumpOfTheClosedIslandListsItsNodesInPreOrder)
{
    ASSERT_TRUE(run(screen + "start\nadvance 1\ndump closed.txt\n")) << errors.toStdString();
    QFile file(dir.filePath(QStringLiteral("closed.txt")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_FALSE(text.endsWith(u'\n'));
    const QStringList lines = text.split(u'\n');
    ASSERT_GT(lines.size(), 20);

    static const QRegularExpression format(
        QStringLiteral("^( *)([A-Za-z0-9]+) (-?\\d+),(-?\\d+) (\\d+)x(\\d+) hidden=(true|false) "
                       "opacity=(\\d+\\.\\d+) filters=(\\d+)$"));
    int previousDepth = -1;
    for (const QString &line : lines) {
        const auto m = format.match(line);
        ASSERT_TRUE(m.hasMatch()) << line.toStdString();
        const int depth = m.captured(1).size() / 2;
        EXPECT_EQ(m.captured(1).size() % 2, 0);
        // Pre-order: a line is at most one level deeper than the one before it.
        EXPECT_LE(depth, previousDepth + 1) << line.toStdString();
        previousDepth = depth;
        // Not painted exactly when fully transparent.
        EXPECT_EQ(m.captured(7) == QStringLiteral("true"), m.captured(8) == QStringLiteral("0.0")) << line.toStdString();
    }
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("View 0,0 760x300 ")));
    // The island itself: 185 + 2 x 6 points wide around the notch, centred in the panel.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\n +Padding 281,0 197x33 "))));
    // The hidden layers are there, transparent and blurred.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Opacity 0,0 185x\\d+ hidden=true opacity=0.0 filters=0\\n +Blur 0,0 185x\\d+ hidden=false opacity=1.0 filters=1"))));
}
