#include "Diagnostics/LayerDump.h"

#include "Kit/Kit.h"
#include "Platform/AtomicFile.h"
#include "Base/VirtualTime.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kit;
using namespace vesk;

namespace {

QString read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<missing>");
    return QString::fromUtf8(file.readAll());
}

}  // namespace

TEST(LayerDumpOpacity, ShortestFloatFormWithAFraction)
{
    EXPECT_EQ(LayerDump::formatOpacity(1), QStringLiteral("1.0"));
    EXPECT_EQ(LayerDump::formatOpacity(0), QStringLiteral("0.0"));
    EXPECT_EQ(LayerDump::formatOpacity(0.35f), QStringLiteral("0.35"));
    EXPECT_EQ(LayerDump::formatOpacity(0.1f), QStringLiteral("0.1"));
    // A double's noise does not show: the value is the float's.
    EXPECT_EQ(LayerDump::formatOpacity(static_cast<float>(0.30000000000000004)), QStringLiteral("0.3"));
    EXPECT_EQ(LayerDump::formatOpacity(0.123456789f), QStringLiteral("0.12345679"));
}

TEST(LayerDumpText, OneLinePerNodeInPreOrder)
{
    VirtualTime time;
    Tree tree(QSizeF(100, 60));
    tree.setRoot(VStack({.spacing = 0},
                        Fill(Color::white()).frame(40.7, 10.9),
                        Fill(Color::black()).frame(20, 20).blur(3).opacity(0.35))
                     .offset(-1.5, 0));
    // 40.7 x 30.9 centred at 29.65, 14.55: every number truncated, not rounded.
    const QString text = LayerDump::text(tree);
    const QStringList expected = {
        "Offset 29,14 40x30 hidden=false opacity=1.0 filters=0",
        "  VStack 0,0 40x30 hidden=false opacity=1.0 filters=0",
        "    Frame 0,0 40x10 hidden=false opacity=1.0 filters=0",
        "      Shape 0,0 40x10 hidden=false opacity=1.0 filters=0",
        "    Opacity 10,10 20x20 hidden=false opacity=0.35 filters=0",
        "      Blur 0,0 20x20 hidden=false opacity=1.0 filters=1",
        "        Frame 0,0 20x20 hidden=false opacity=1.0 filters=0",
        "          Shape 0,0 20x20 hidden=false opacity=1.0 filters=0",
    };
    EXPECT_EQ(text.toStdString(), expected.join(u'\n').toStdString());
}

TEST(LayerDumpText, HiddenMeansNotPaintedAndLeftNodesAreAbsent)
{
    VirtualTime time;
    Tree tree(QSizeF(100, 60));
    tree.setRoot(ZStack({}, Fill(Color::white()).opacity(0), Fill(Color::black()).id(1)));
    EXPECT_TRUE(LayerDump::text(tree).contains(QStringLiteral("Opacity 0,0 100x60 hidden=true opacity=0.0")));

    // Removed under an animation: the node fades out but is no longer part of the island.
    withAnimation(Animation::easeOut(1), [&] { tree.setRoot(ZStack({}, Fill(Color::white()).opacity(0), Empty())); });
    time.advance(0.1);
    ASSERT_NE(tree.find(1), nullptr);
    EXPECT_TRUE(tree.find(1)->isLeaving());
    EXPECT_EQ(LayerDump::text(tree).count(QStringLiteral("Shape")), 1);
}

TEST(LayerDumpFile, ALinkAtTheNameIsReplacedNotWrittenThrough)
{
    VirtualTime time;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("layers.txt")), target = dir.filePath(QStringLiteral("notes.txt"));
    {
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    ASSERT_TRUE(QFile::link(target, path));
    Tree tree(QSizeF(10, 10));
    tree.setRoot(Fill(Color::white()));
    LayerDump::write(&tree, path.toStdString());
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(read(path), QStringLiteral("Shape 0,0 10x10 hidden=false opacity=1.0 filters=0"));
    EXPECT_EQ(read(target), QStringLiteral("keep me"));
}

TEST(LayerDumpFile, WrittenWholeOrNotAtAll)
{
    VirtualTime time;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("layers.txt"));
    Tree tree(QSizeF(10, 10));
    tree.setRoot(Fill(Color::white()));
    LayerDump::write(&tree, path.toStdString());
    EXPECT_EQ(read(path), QStringLiteral("Shape 0,0 10x10 hidden=false opacity=1.0 filters=0"));

    // No content: an empty file.
    Tree empty(QSizeF(10, 10));
    LayerDump::write(&empty, path.toStdString());
    EXPECT_EQ(read(path), QString());
    LayerDump::write(nullptr, path.toStdString());
    EXPECT_EQ(read(path), QString());

    // A write that fails leaves the previous file as it was.
    LayerDump::write(&tree, path.toStdString());
    setAtomicWriteFaultForTesting(5);
    LayerDump::write(&tree, path.toStdString());
    setAtomicWriteFaultForTesting(-1);
    EXPECT_EQ(read(path), QStringLiteral("Shape 0,0 10x10 hidden=false opacity=1.0 filters=0"));
}
