// The inotify watch on a real folder, with the names browsers write.
#include "Platform/linux/DownloadFolder.h"
#include "Platform/linux/InotifyFileProgress.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

using namespace vesk;

namespace {

class DownloadFolderIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        source = std::make_unique<InotifyFileProgress>(dir.path().toStdString());
    }
    void subscribe()
    {
        subscription = source->subscribe(
            *source->downloadsFolder(), [this](std::shared_ptr<const FileProgress> p) { started.push_back(p); },
            [this](std::shared_ptr<const FileProgress> p) { ended.push_back(p); });
        ASSERT_TRUE(subscription.connected());
    }
    void write(const QString &name)
    {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write("x");
    }
    // As browsers rename: over a file already there.
    bool rename(const QString &from, const QString &to)
    {
        return std::rename(dir.filePath(from).toLocal8Bit().constData(), dir.filePath(to).toLocal8Bit().constData()) == 0;
    }

    QTemporaryDir dir;
    std::unique_ptr<InotifyFileProgress> source;
    Connection subscription;
    std::vector<std::shared_ptr<const FileProgress>> started, ended;
};

}  // namespace

TEST_F(DownloadFolderIntegrationTest, FirefoxWritesAPartFileAndRenamesIt)
{
    subscribe();
    write("report.pdf");  // Firefox's placeholder
    write("report.pdf.part");
    ASSERT_TRUE(test::waitFor([&] { return started.size() == 1; }));
    EXPECT_TRUE(started[0]->indeterminate) << "browsers publish no sizes";
    EXPECT_EQ(started[0]->kind, FileProgress::downloading);
    ASSERT_TRUE(rename("report.pdf.part", "report.pdf"));
    ASSERT_TRUE(test::waitFor([&] { return ended.size() == 1; }));
    EXPECT_EQ(ended[0], started[0]);
    EXPECT_FALSE(ended[0]->cancelled);
}

TEST_F(DownloadFolderIntegrationTest, ChromiumsUnconfirmedNameIsTheSameDownload)
{
    subscribe();
    write("Unconfirmed 123.crdownload");
    ASSERT_TRUE(test::waitFor([&] { return started.size() == 1; }));
    ASSERT_TRUE(rename("Unconfirmed 123.crdownload", "movie.mkv.crdownload"));
    test::waitFor([] { return false; }, 100);
    EXPECT_EQ(started.size(), 1u);
    EXPECT_TRUE(ended.empty());
    ASSERT_TRUE(rename("movie.mkv.crdownload", "movie.mkv"));
    ASSERT_TRUE(test::waitFor([&] { return ended.size() == 1; }));
    EXPECT_FALSE(ended[0]->cancelled);
}

TEST_F(DownloadFolderIntegrationTest, DeletedOrMovedOutIsCancelled)
{
    QTemporaryDir elsewhere;
    subscribe();
    write("a.part");
    write("b.crdownload");
    ASSERT_TRUE(test::waitFor([&] { return started.size() == 2; }));
    ASSERT_TRUE(QFile::remove(dir.filePath("a.part")));
    ASSERT_TRUE(QFile::rename(dir.filePath("b.crdownload"), elsewhere.filePath("b.crdownload")));
    ASSERT_TRUE(test::waitFor([&] { return ended.size() == 2; }));
    EXPECT_TRUE(ended[0]->cancelled);
    EXPECT_TRUE(ended[1]->cancelled);
}

TEST_F(DownloadFolderIntegrationTest, LeftoversFoldersAndOtherFilesAreNoDownloads)
{
    write("crashed.part");  // there before the watch: a leftover
    subscribe();
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.part"));
    write("notes.txt");
    ASSERT_TRUE(rename("crashed.part", "crashed"));
    write("real.part");
    ASSERT_TRUE(test::waitFor([&] { return started.size() == 1; }));
    test::waitFor([] { return false; }, 100);
    EXPECT_EQ(started.size(), 1u);
    EXPECT_TRUE(ended.empty()) << "the leftover's rename is not an end";
}

TEST_F(DownloadFolderIntegrationTest, TheFolderRemovedEndsEveryDownloadCancelled)
{
    subscribe();
    write("a.part");
    ASSERT_TRUE(test::waitFor([&] { return started.size() == 1; }));
    ASSERT_TRUE(QDir(dir.path()).removeRecursively());
    ASSERT_TRUE(test::waitFor([&] { return ended.size() == 1; }));
    EXPECT_TRUE(ended[0]->cancelled);
}

TEST(DownloadFolderSourceTest, AMissingFolderHasNoUrlAndCannotBeWatched)
{
    InotifyFileProgress source(std::string("/nonexistent/Downloads"));
    EXPECT_FALSE(source.downloadsFolder());
    EXPECT_FALSE(source.subscribe("/nonexistent/Downloads", nullptr, nullptr).connected());
}
