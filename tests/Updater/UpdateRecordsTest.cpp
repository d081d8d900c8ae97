#include "UpdaterTestSupport.h"

#include "Platform/BundleInfo.h"
#include "Platform/linux/ProcBundleInfo.h"
#include "Updater/UpdateManifest.h"

#include "VeskVersion.h"

#include <QFile>

using namespace vesk;
using namespace vesk::test;

namespace {

const nlohmann::json baseManifest = {{"version", "1.2"},
                                     {"build", 6},
                                     {"url", "https://vesk.example/Vesk-6.tar.gz"},
                                     {"sha256", std::string(64, 'a')},
                                     {"signature", "c2ln"},
                                     {"size", 10},
                                     {"notes", {"A", "B"}}};

std::optional<UpdateManifest> decodeWith(const char *key, std::optional<nlohmann::json> value)
{
    nlohmann::json m = baseManifest;
    if (value)
        m[key] = *value;
    else
        m.erase(key);
    return UpdateManifest::decode(m.dump());
}

TEST(UpdateManifestTest, DecodesTheFullForm)
{
    auto m = UpdateManifest::decode(baseManifest.dump());
    ASSERT_TRUE(m);
    EXPECT_EQ(m->version, "1.2");
    EXPECT_EQ(m->build, 6);
    EXPECT_EQ(m->size, 10);
    EXPECT_EQ(m->notes, (std::vector<std::string>{"A", "B"}));
}

TEST(UpdateManifestTest, OptionalKeysMayBeMissingOrNull)
{
    for (const char *key : {"size", "notes"}) {
        SCOPED_TRACE(key);
        auto missing = decodeWith(key, std::nullopt);
        auto null = decodeWith(key, nlohmann::json());
        ASSERT_TRUE(missing && null);
        EXPECT_EQ(null->size, missing->size);
        EXPECT_EQ(null->notes, missing->notes);
    }
    EXPECT_EQ(decodeWith("size", std::nullopt)->size, std::nullopt);
    EXPECT_TRUE(decodeWith("notes", std::nullopt)->notes.empty());
    EXPECT_TRUE(decodeWith("extra", nlohmann::json{{"x", 1}}));
}

TEST(UpdateManifestTest, WrongShapesFail)
{
    using J = nlohmann::json;
    const std::vector<std::pair<const char *, std::optional<J>>> bad = {
        {"signature", std::nullopt},
        {"version", std::nullopt},
        {"version", J()},
        {"version", J(1.2)},
        {"build", J("6")},
        {"build", J(6.0)},
        {"build", J(18446744073709551615ULL)},  // beyond int64
        {"build", J()},
        {"size", J("10")},
        {"size", J(10.5)},
        {"notes", J("A")},
        {"notes", J::array({"A", 1})},
        {"url", J("file:///etc/passwd")},
        {"url", J("http://vesk.example/Vesk-6.tar.gz")},
        {"url", J("ftp://127.0.0.1/a")},
        {"url", J("not a url")},
    };
    for (const auto &[key, value] : bad) {
        SCOPED_TRACE(std::string(key) + " = " + (value ? value->dump() : "missing"));
        EXPECT_FALSE(decodeWith(key, value));
    }
    EXPECT_FALSE(UpdateManifest::decode("[]"));
    EXPECT_FALSE(UpdateManifest::decode("{\"version\":"));
    EXPECT_FALSE(UpdateManifest::decode(std::string(UpdateManifest::maxBytes + 1, ' ')));
    EXPECT_EQ(decodeWith("build", -9223372036854775807LL - 1)->build, std::numeric_limits<std::int64_t>::min());
}

TEST(UpdateManifestTest, OnlyHttpsOrLoopbackHttpIsFetched)
{
    for (const char *url : {"https://vesk.example/a", "http://127.0.0.1:8080/a", "http://127.9.9.9/a",
                            "http://[::1]:9/a", "http://LOCALHOST/a"})
        EXPECT_TRUE(isAllowedUpdateUrl(QUrl(QString::fromLatin1(url)))) << url;
    for (const char *url : {"http://vesk.example/a", "http://128.0.0.1/a", "file:///tmp/a", "https:///a", "data:,x",
                            "http://localhost.vesk.example/a"})
        EXPECT_FALSE(isAllowedUpdateUrl(QUrl(QString::fromLatin1(url)))) << url;
}

TEST(UpdateVerifierTest, StrictBase64)
{
    const std::vector<std::pair<const char *, const char *>> good = {
        {"", ""}, {"Zg==", "f"}, {"Zm8=", "fo"}, {"Zm9v", "foo"}, {"Zm9vYmFy", "foobar"}, {"+/+/", "\xfb\xff\xbf"}};
    for (const auto &[text, bytes] : good) {
        auto decoded = decodeStrictBase64(text);
        ASSERT_TRUE(decoded) << text;
        EXPECT_EQ(std::string(decoded->begin(), decoded->end()), bytes) << text;
    }
    for (const char *text : {"Zg", "Zg=", "Zm9", "Z===", "====", "Zg==Zg==", "Zm9v\n", "Zm 9v", "Zm9v YmFy", "Zm-_",
                             "Z=g=", "=Zg="})
        EXPECT_FALSE(decodeStrictBase64(text)) << text;
}

TEST(UpdateVerifierTest, DigestAndSignatureMustBothMatch)
{
    SigningKey key;
    const QByteArray archive("a release archive");
    const std::string bytes = archive.toStdString();
    const std::string hex = hexOf(archive);
    const std::string signature = key.signDigestOf(archive);
    EXPECT_TRUE(verifyUpdate(bytes, hex, signature, key.publicBase64()));
    EXPECT_FALSE(verifyUpdate(bytes + "x", hex, signature, key.publicBase64()));
    EXPECT_FALSE(verifyUpdate(bytes, QByteArray::fromStdString(hex).toUpper().toStdString(), signature, key.publicBase64()));
    EXPECT_FALSE(verifyUpdate(bytes, hex, key.sign(QByteArray::fromStdString(hex)), key.publicBase64()));
    std::string broken = signature;
    broken.insert(40, "\n");
    EXPECT_FALSE(verifyUpdate(bytes, hex, broken, key.publicBase64()));
    EXPECT_FALSE(verifyUpdate(bytes, hex, signature, SigningKey().publicBase64()));
    EXPECT_FALSE(verifyUpdate(bytes, hex, signature, "c2hvcnQ="));  // not 32 bytes
    EXPECT_FALSE(verifyUpdate(bytes, hex, "c2hvcnQ=", key.publicBase64()));
    EXPECT_EQ(hexOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(BundleInfoTest, RecordsAndBuildNumbers)
{
    EXPECT_TRUE(readBundleRecord(R"({"identifier":"example.vesk.Vesk","version":"0.1.0","build":"7"})"));
    EXPECT_FALSE(readBundleRecord(R"({"identifier":"other","version":"0.1.0","build":"7"})"));
    EXPECT_FALSE(readBundleRecord(R"({"version":"0.1.0"})"));
    EXPECT_FALSE(readBundleRecord("[\"example.vesk.Vesk\"]"));
    EXPECT_FALSE(readBundleRecord("{"));
    const auto bare = readBundleRecord(R"({"identifier":"example.vesk.Vesk"})");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bundleVersion(bare->version), "1.0");
    EXPECT_EQ(bundleBuild(bare->build), 0);

    const std::vector<std::pair<nlohmann::json, std::int64_t>> builds = {
        {"7", 7}, {"+7", 7}, {"-7", -7}, {"007", 7}, {"", 0}, {"+", 0}, {"7a", 0}, {" 7", 0}, {"7.0", 0}, {7, 0},
        {"9223372036854775807", 9223372036854775807LL}, {"9223372036854775808", 0},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()}};
    for (const auto &[value, build] : builds)
        EXPECT_EQ(bundleBuild(value), build) << value.dump();
}

TEST(BundleInfoTest, TheBundleIsTheFolderAboveBinWithOurInfo)
{
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString() + "/Vesk";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root + "/bin")));
    const std::string exe = root + "/bin/vesk";
    const ProcBundleInfo without(exe);
    EXPECT_EQ(without.bundlePath(), std::nullopt);
    EXPECT_EQ(without.build(), nlohmann::json(std::to_string(VESK_BUILD)));

    QFile info(QString::fromStdString(root + "/Info.json"));
    ASSERT_TRUE(info.open(QIODevice::WriteOnly));
    info.write(R"({"identifier":"example.vesk.Vesk","version":"2.0","build":"9"})");
    info.close();
    const ProcBundleInfo with(exe);
    EXPECT_EQ(with.bundlePath(), root);
    EXPECT_EQ(with.version(), "2.0");
    EXPECT_EQ(with.build(), "9");
    const ProcBundleInfo elsewhere(root + "/libexec/vesk");
    EXPECT_EQ(elsewhere.bundlePath(), std::nullopt);
}

}  // namespace
