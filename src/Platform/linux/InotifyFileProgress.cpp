#include "Platform/linux/InotifyFileProgress.h"

#include "Platform/InstalledService.h"
#include "Platform/SysfsValue.h"
#include "Platform/linux/DownloadFolder.h"

#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <map>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {

// One watched folder and the progress published for each of its downloads.
class FolderWatch {
public:
    FolderWatch(std::string folder, FileProgressSource::Handler published, FileProgressSource::Handler unpublished)
        : folder_(std::move(folder)), published_(std::move(published)), unpublished_(std::move(unpublished))
    {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ < 0)
            return;
        const uint32_t mask = IN_CREATE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF
            | IN_ONLYDIR | IN_EXCL_UNLINK;
        if (::inotify_add_watch(fd_, folder_.c_str(), mask) < 0) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        state_.ignoreExisting(listing(), lookup());
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    }
    ~FolderWatch()
    {
        notifier_.reset();
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool isWatching() const { return fd_ >= 0; }

private:
    DownloadFolder::Lookup lookup() const
    {
        return [this](const std::string &name) -> std::optional<uint64_t> {
            struct stat info {};
            if (name.find('/') != std::string::npos || ::lstat((folder_ + "/" + name).c_str(), &info) != 0
                || !S_ISREG(info.st_mode))
                return std::nullopt;
            return uint64_t(info.st_ino);
        };
    }
    DownloadFolder::Listing listing() const
    {
        return [this] { return listFolder(folder_); };
    }

    void readEvents()
    {
        alignas(inotify_event) char buffer[16 * 1024];
        for (;;) {
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            for (const auto &change : state_.apply(parseInotifyBuffer(buffer, size_t(got)), lookup(), listing()))
                publish(change);
        }
        if (state_.isGone())
            notifier_->setEnabled(false);
    }

    void publish(const DownloadFolder::Change &change)
    {
        if (change.kind == DownloadFolder::Change::Kind::started) {
            auto progress = std::make_shared<FileProgress>();
            progress->kind = FileProgress::downloading;
            progress_[change.inode] = progress;
            if (published_)
                published_(progress);
            return;
        }
        auto it = progress_.find(change.inode);
        if (it == progress_.end())
            return;
        auto progress = it->second;
        progress_.erase(it);
        progress->cancelled = change.kind == DownloadFolder::Change::Kind::cancelled;
        if (unpublished_)
            unpublished_(progress);
    }

    std::string folder_;
    FileProgressSource::Handler published_;
    FileProgressSource::Handler unpublished_;
    int fd_ = -1;
    DownloadFolder state_;
    std::map<uint64_t, std::shared_ptr<FileProgress>> progress_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

std::optional<std::string> InotifyFileProgress::downloadsFolder() const
{
    const QString folder = folder_ ? QString::fromStdString(*folder_)
                                   : QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        return std::nullopt;
    return folder.toStdString();
}

Connection InotifyFileProgress::subscribe(const std::string &folder, Handler published, Handler unpublished)
{
    auto watch = std::make_shared<FolderWatch>(folder, std::move(published), std::move(unpublished));
    if (!watch->isWatching())
        return {};
    return Connection([watch]() mutable { watch.reset(); });
}

namespace {
InstalledService<FileProgressSource, InotifyFileProgress> installed;
}

FileProgressSource &fileProgress() { return installed.get(); }
void setFileProgress(FileProgressSource *service) { installed.install(service); }

}  // namespace vesk
