#include "SigningKeySupport.h"

#include "Updater/UpdateManifest.h"
#include "Updater/UpdateVerifier.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace vesk;

namespace {

// A 50 MB archive of incompressible bytes with its digest and release signature.
struct Release {
    QByteArray bytes;
    std::string hex;
    std::string signature;
    std::string key;

    Release()
    {
        bytes.resize(50 * 1000 * 1000);
        std::uint64_t x = 88172645463325252ULL;
        for (char &c : bytes) {
            x ^= x << 13, x ^= x >> 7, x ^= x << 17;
            c = char(x);
        }
        test::SigningKey signer;
        hex = hexDigest(sha256Digest(std::string_view(bytes.constData(), size_t(bytes.size()))));
        signature = signer.signDigestOf(bytes);
        key = signer.publicBase64();
    }
};

const Release &release()
{
    static const Release r;
    return r;
}

}  // namespace

static void BM_VerifyArchiveInMemory(benchmark::State &state)
{
    const Release &r = release();
    const std::string_view bytes(r.bytes.constData(), size_t(r.bytes.size()));
    for (auto _ : state)
        if (!verifyUpdate(bytes, r.hex, r.signature, r.key))
            state.SkipWithError("the archive did not verify");
    state.SetBytesProcessed(state.iterations() * r.bytes.size());
}
BENCHMARK(BM_VerifyArchiveInMemory)->Unit(benchmark::kMillisecond);

// As the download's worker does it: the whole file read from the page cache, then verified.
static void BM_VerifyArchiveFile(benchmark::State &state)
{
    const Release &r = release();
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/Vesk-6.tar.gz";
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::WriteOnly);
    file.write(r.bytes);
    file.close();
    for (auto _ : state)
        if (!verifyArchiveFile(path, r.hex, r.signature, r.key, r.bytes.size()).ok)
            state.SkipWithError("the archive did not verify");
    state.SetBytesProcessed(state.iterations() * r.bytes.size());
}
BENCHMARK(BM_VerifyArchiveFile)->Unit(benchmark::kMillisecond);

static void BM_DecodeManifest(benchmark::State &state)
{
    const std::string body = R"({"version":"1.2","build":42,"url":"https://vesk.example/Vesk-42.tar.gz",)"
                             R"("sha256":"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",)"
                             R"("signature":"kQ0vGZxEoHiTaZ3kD8V8q1rMOn1Q0FZ7l1t3GQe4m3cU8b0n0Jx2lq3cQZ9sWw3v0O1pC8y5y3m6K7f2w8aJAg==",)"
                             R"("size":52428800,"notes":["The update button sits clear of the notch",)"
                             R"("Patch notes in the island","Smoother installs"]})";
    for (auto _ : state) {
        auto m = UpdateManifest::decode(body);
        if (!m)
            state.SkipWithError("the manifest did not decode");
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(BM_DecodeManifest)->Unit(benchmark::kMicrosecond);
