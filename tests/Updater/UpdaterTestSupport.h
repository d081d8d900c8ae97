#pragma once

// Key pairs, signed archives and an updater on the virtual clock for the updater's tests.

#include "Base/VirtualTime.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimBundleInfo.h"
#include "Updater/SimUpdater.h"
#include "Updater/Updater.h"
#include "Updater/UpdateVerifier.h"

#include "SigningKeySupport.h"

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace vesk::test {

inline std::string hexOf(const QByteArray &bytes)
{
    return hexDigest(sha256Digest(std::string_view(bytes.constData(), size_t(bytes.size()))));
}

// A manifest for `archive` served at `archiveUrl`, signed by `key`; `extra` entries replace or add.
inline nlohmann::json manifestFor(const QByteArray &archive, const SigningKey &key, long long build = 6,
                                  const std::string &archiveUrl = "https://vesk.example/Vesk-6.tar.gz")
{
    return {{"version", "1.2"},         {"build", build},
            {"url", archiveUrl},        {"sha256", hexOf(archive)},
            {"signature", key.signDigestOf(archive)}, {"size", archive.size()},
            {"notes", {"Faster start", "Fixes"}}};
}

// An updater at version 1.0, build 5, on the virtual clock, with a simulated server, inline
// background work and an install environment that records instead of acting.
class UpdaterFixture : public ::testing::Test {
protected:
    static inline const QUrl manifestUrl{QStringLiteral("https://vesk.example/update.json")};
    static inline const QUrl archiveUrl{QStringLiteral("https://vesk.example/Vesk-6.tar.gz")};

    UpdaterFixture()
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        bundle.setBuild("5");
    }
    ~UpdaterFixture() override { updater_.reset(); }

    Updater::Config config()
    {
        Updater::Config c = world.config(home.path().toStdString() + "/updates");
        c.manifestUrl = manifestUrl;
        c.publicKey = key.publicBase64();
        c.debugSwitch = debugSwitch;
        return c;
    }
    Updater &updater()
    {
        if (!updater_) {
            updater_ = std::make_unique<Updater>(config());
            updater_->quitGracefully = [this] { ++quits; };
        }
        return *updater_;
    }
    void serveManifest(const nlohmann::json &manifest)
    {
        transport->serve(manifestUrl, {SimUpdateTransport::Reply::Kind::body, QByteArray::fromStdString(manifest.dump())});
    }
    void serveArchive(const QByteArray &archive, SimUpdateTransport::Reply::Kind kind = SimUpdateTransport::Reply::Kind::body)
    {
        transport->serve(archiveUrl, {kind, archive, 1000});
    }
    // A manifest for a signed archive of 4000 bytes, both served.
    QByteArray serveRelease(long long build = 6)
    {
        const QByteArray archive(4000, 'v');
        serveManifest(manifestFor(archive, key, build));
        serveArchive(archive);
        return archive;
    }
    std::string archivePath(long long build = 6) const
    {
        return home.path().toStdString() + "/updates/Vesk-" + std::to_string(build) + ".tar.gz";
    }
    QStringList updateFiles() const { return QDir(home.path() + "/updates").entryList(QDir::Files | QDir::Hidden); }

    VirtualTime time;
    SigningKey key;
    SimUpdaterWorld world;
    SimBundleInfo &bundle = world.bundle;
    std::shared_ptr<SimUpdateTransport> &transport = world.transport;
    Signal<> &wake = world.wake;
    std::vector<std::vector<std::string>> &swaps = world.swaps;
    std::vector<std::string> &opened = world.opened;
    QTemporaryDir home;
    std::optional<std::string> debugSwitch;
    int quits = 0;

private:
    std::unique_ptr<Updater> updater_;
};

}  // namespace vesk::test
