#include "Base/VirtualTime.h"
#include "Platform/sim/SimFileProgress.h"
#include "Readouts/DownloadMonitor.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vesk;

namespace {

FileProgress sized(int64_t total, int64_t completed, std::optional<std::string> kind = FileProgress::downloading)
{
    FileProgress progress;
    progress.total = total;
    progress.completed = completed;
    progress.indeterminate = false;
    progress.kind = std::move(kind);
    return progress;
}

class DownloadMonitorTest : public ::testing::Test {
protected:
    DownloadMonitorTest()
    {
        monitor.onProgress = [this](std::optional<double> fraction) { reports.push_back(fraction); };
        monitor.onEnd = [this](bool completed) { ends.push_back(completed); };
        monitor.start();
    }
    VirtualTime time;
    SimFileProgress files;
    DownloadMonitor monitor{files};
    std::vector<std::optional<double>> reports;
    std::vector<bool> ends;
};

}  // namespace

TEST_F(DownloadMonitorTest, FractionsAddUpOverEveryRunningDownload)
{
    files.start("a", sized(100, 25));
    time.flush();
    EXPECT_EQ(reports.back(), 0.25);
    files.start("b", sized(300, 0));
    time.flush();
    EXPECT_EQ(reports.back(), 0.0625);
    files.running("a")->completed = 100;
    time.advance(0.5);  // the timer re-reads: progress is not observed
    EXPECT_EQ(reports.back(), 0.25);
}

TEST_F(DownloadMonitorTest, AboveItsTotalReadsOneAndOneUnknownSizeMakesAllUnknown)
{
    files.start("a", sized(100, 250));
    time.flush();
    EXPECT_EQ(reports.back(), 1.0);
    FileProgress unknown;
    unknown.kind = FileProgress::downloading;
    files.start("b", unknown);
    time.flush();
    EXPECT_EQ(reports.back(), std::nullopt);
    files.start("c", sized(0, 0));
    files.end("b", false);
    time.flush();
    EXPECT_EQ(reports.back(), std::nullopt) << "a total of 0 is not a known size either";
}

TEST_F(DownloadMonitorTest, TheLastEndSaysWhetherItCompleted)
{
    files.start("a", sized(10, 1));
    files.start("b", sized(10, 1));
    time.flush();
    files.end("a", true);
    time.flush();
    EXPECT_TRUE(ends.empty()) << "the first of two ends: a report only";
    EXPECT_EQ(reports.back(), 0.1);
    files.end("b", true);
    time.flush();
    EXPECT_EQ(ends, std::vector<bool>{false});
    files.start("c", sized(10, 1));
    files.end("c", false);
    time.flush();
    EXPECT_EQ(ends, (std::vector<bool>{false, true}));
    const size_t count = reports.size();
    time.advance(5);
    EXPECT_EQ(reports.size(), count) << "idle: no timer";
}

TEST_F(DownloadMonitorTest, StoppingForgetsEverythingWithoutAnEnd)
{
    files.start("a", sized(10, 1));
    time.flush();
    monitor.stop();
    EXPECT_EQ(monitor.activeCount(), 0u);
    files.end("a", false);
    time.flush();
    EXPECT_TRUE(ends.empty());
    files.start("b", sized(10, 1));  // published while stopped
    monitor.start();
    files.end("b", false);
    time.flush();
    EXPECT_TRUE(ends.empty()) << "never taken, so its end is ignored";
}

TEST_F(DownloadMonitorTest, OtherKindsAreIgnoredAtBothEndsAndNoKindIsTaken)
{
    files.start("copy", sized(10, 5, "copying"));
    time.flush();
    EXPECT_TRUE(reports.empty());
    files.end("copy", false);
    time.flush();
    EXPECT_TRUE(ends.empty());
    files.start("plain", sized(10, 5, std::nullopt));
    time.flush();
    EXPECT_EQ(reports.back(), 0.5);
}

TEST_F(DownloadMonitorTest, NoFolderMeansStoppedUntilTheNextStart)
{
    monitor.stop();
    files.folder.reset();
    monitor.start();
    EXPECT_FALSE(monitor.isSubscribed());
    files.folder = "/home/user/Downloads";
    monitor.start();
    EXPECT_TRUE(monitor.isSubscribed());
}

TEST(DownloadFractionTest, CountsBeyondSixtyFourBitsDoNotWrap)
{
    auto huge = std::make_shared<FileProgress>(sized(INT64_MAX, INT64_MAX));
    EXPECT_EQ(DownloadMonitor::fraction({huge, huge}), 1.0);
}
