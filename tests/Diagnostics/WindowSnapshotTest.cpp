#include "Diagnostics/WindowSnapshot.h"

#include "Kit/Kit.h"
#include "Base/VirtualTime.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kit;
using namespace vesk;

namespace {

class WindowSnapshotTest : public ::testing::Test {
protected:
    WindowSnapshotTest()
    {
        // A white square in the middle of a transparent 40 x 20 window.
        tree.setRoot(Fill(Color::white()).frame(10, 10));
    }
    ~WindowSnapshotTest() override { WindowSnapshot::setGrabber({}); }
    std::string path() const { return dir.filePath(QStringLiteral("shot.png")).toStdString(); }
    QImage written() const { return QImage(QString::fromStdString(path())); }

    VirtualTime time;
    QTemporaryDir dir;
    Tree tree{QSizeF(40, 20)};
    WindowSnapshot::Window window{&tree, true, QRect(100, 0, 40, 20), 2};
};

}  // namespace

TEST_F(WindowSnapshotTest, WithoutBackgroundOnlyTheWindowsPixels)
{
    WindowSnapshot::write(window, path(), false);
    const QImage image = written();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(80, 40));
    EXPECT_EQ(image.pixelColor(40, 20), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(2, 2).alpha(), 0);
}

TEST_F(WindowSnapshotTest, WithBackgroundTheScreenBeneathShowsAround)
{
    QRect asked;
    WindowSnapshot::setGrabber([&](const QRect &frame, double scale) {
        asked = frame;
        QImage screen(int(frame.width() * scale), int(frame.height() * scale), QImage::Format_RGB32);
        screen.fill(QColor(Qt::blue));
        return screen;
    });
    WindowSnapshot::write(window, path(), true);
    const QImage image = written();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(asked, window.frame);
    EXPECT_EQ(image.pixelColor(40, 20), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::blue));
}

TEST_F(WindowSnapshotTest, NothingIsWrittenWhenNothingCanBeShown)
{
    window.isVisible = false;
    WindowSnapshot::write(window, path(), false);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path())));

    window.isVisible = true;
    WindowSnapshot::setGrabber([](const QRect &, double) { return QImage(); });
    WindowSnapshot::write(window, path(), true);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path())));

    // An unwritable place is not an error either.
    WindowSnapshot::write(window, "/proc/no/such/place.png", false);
}

TEST_F(WindowSnapshotTest, ALinkAtTheNameIsReplacedNotWrittenThrough)
{
    const QString target = dir.filePath(QStringLiteral("precious.png"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    ASSERT_TRUE(QFile::link(target, QString::fromStdString(path())));
    WindowSnapshot::write(window, path(), false);
    EXPECT_FALSE(QFileInfo(QString::fromStdString(path())).isSymLink());
    EXPECT_EQ(written().size(), QSize(80, 40));
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep me");
}
