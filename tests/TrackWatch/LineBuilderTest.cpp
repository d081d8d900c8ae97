#include "TrackWatch/LineBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace trackwatch;
using Json = nlohmann::json;

namespace {

InfoNumber real(double v)
{
    return {v, 0, false};
}
InfoNumber whole(std::int64_t v)
{
    return {double(v), v, true};
}

NowPlayingInfo track(const std::string &title)
{
    return {{"kMRMediaRemoteNowPlayingInfoTitle", title}};
}

class LineBuilderTest : public ::testing::Test {
protected:
    Json line(const NowPlayingInfo *info, bool playing = true, std::optional<std::string> bundleID = std::nullopt)
    {
        auto text = builder.publish(info, playing, bundleID);
        EXPECT_TRUE(text);
        return text ? Json::parse(*text) : Json();
    }
    LineBuilder builder;
};

TEST_F(LineBuilderTest, NoTitleIsTheEmptyForm)
{
    EXPECT_EQ(builder.publish(nullptr, true, "x"), R"({"empty":true})");
    NowPlayingInfo emptyTitle = track("");
    EXPECT_EQ(builder.publish(&emptyTitle, true, std::nullopt), R"({"empty":true})");
    NowPlayingInfo numberTitle{{"kMRMediaRemoteNowPlayingInfoTitle", whole(5)}};
    EXPECT_EQ(builder.publish(&numberTitle, true, std::nullopt), R"({"empty":true})");
    NowPlayingInfo space = track(" ");
    EXPECT_EQ(line(&space)["title"], " ");
}

TEST_F(LineBuilderTest, KeysOfTheTrackForm)
{
    NowPlayingInfo info = track("Song");
    info["kMRMediaRemoteNowPlayingInfoArtist"] = std::string("");
    info["kMRMediaRemoteNowPlayingInfoAlbum"] = whole(3);  // not a string: left out
    info["kMRMediaRemoteNowPlayingInfoDuration"] = whole(180);
    info["kMRMediaRemoteNowPlayingInfoElapsedTime"] = real(12.25);
    info["kMRMediaRemoteNowPlayingInfoPlaybackRate"] = std::string("1");  // not a number: left out
    info["kMRMediaRemoteNowPlayingInfoIsExplicitTrack"] = real(0.5);
    info["kMRMediaRemoteNowPlayingInfoIsLiked"] = whole(0);
    info["kMRMediaRemoteNowPlayingInfoTimestamp"] = InfoDate{1700000000.5};
    const std::string text = *builder.publish(&info, false, std::string("org.example.Player"));
    const Json j = Json::parse(text);
    EXPECT_EQ(j["title"], "Song");
    EXPECT_EQ(j["playing"], false);
    EXPECT_EQ(j["bundleID"], "org.example.Player");
    EXPECT_EQ(j["artist"], "");
    EXPECT_FALSE(j.contains("album"));
    EXPECT_NE(text.find(R"("duration":180,)"), std::string::npos) << "an integer stays an integer: " << text;
    EXPECT_EQ(j["elapsed"], 12.25);
    EXPECT_FALSE(j.contains("rate"));
    EXPECT_EQ(j["explicit"], true);
    EXPECT_EQ(j["liked"], false);
    EXPECT_EQ(j["timestamp"], 1700000000.5);
    EXPECT_FALSE(j.contains("shuffle"));
    EXPECT_FALSE(j.contains("artwork"));
    EXPECT_FALSE(j.contains("empty"));
}

TEST_F(LineBuilderTest, NonFiniteNumbersAreLeftOutAndTheLineStillWritten)
{
    NowPlayingInfo info = track("Song");
    info["kMRMediaRemoteNowPlayingInfoDuration"] = real(std::numeric_limits<double>::infinity());
    info["kMRMediaRemoteNowPlayingInfoElapsedTime"] = real(std::nan(""));
    info["kMRMediaRemoteNowPlayingInfoPlaybackRate"] = real(-std::numeric_limits<double>::infinity());
    info["kMRMediaRemoteNowPlayingInfoTimestamp"] = InfoDate{std::nan("")};
    const Json j = line(&info);
    EXPECT_EQ(j["title"], "Song");
    for (const char *key : {"duration", "elapsed", "rate", "timestamp"})
        EXPECT_FALSE(j.contains(key)) << key;
}

TEST_F(LineBuilderTest, ArtworkIsSentOnceThenSameUntilALineWithoutIt)
{
    NowPlayingInfo info = track("Song");
    const InfoBytes art{0xFF, 0xD8, 0xFF, 0xE0, 0x3F, 0xFF};
    info["kMRMediaRemoteNowPlayingInfoArtworkData"] = art;
    EXPECT_EQ(line(&info)["artwork"], "/9j/4D//");
    Json same = line(&info);
    EXPECT_EQ(same["artworkSame"], true);
    EXPECT_FALSE(same.contains("artwork"));

    // A nothing-playing line forgets it.
    builder.publish(nullptr, false, std::nullopt);
    EXPECT_TRUE(line(&info).contains("artwork"));

    // So does a track line whose artwork is empty or of another type.
    for (InfoValue none : {InfoValue(InfoBytes{}), InfoValue(std::string("art"))}) {
        NowPlayingInfo without = track("Other");
        without["kMRMediaRemoteNowPlayingInfoArtworkData"] = none;
        Json j = line(&without);
        EXPECT_FALSE(j.contains("artwork") || j.contains("artworkSame"));
        EXPECT_TRUE(line(&info).contains("artwork"));
    }

    // Different bytes replace the memory.
    NowPlayingInfo changed = info;
    changed["kMRMediaRemoteNowPlayingInfoArtworkData"] = InfoBytes{1, 2, 3};
    EXPECT_EQ(line(&changed)["artwork"], "AQID");
    EXPECT_EQ(line(&info)["artwork"], "/9j/4D//");
}

TEST_F(LineBuilderTest, ModesAreRememberedAcrossTracksUntilReportedZero)
{
    NowPlayingInfo info = track("Song");
    info["kMRMediaRemoteNowPlayingInfoShuffleMode"] = real(3.9);  // fraction dropped
    info["kMRMediaRemoteNowPlayingInfoRepeatMode"] = whole(2);
    Json j = line(&info);
    EXPECT_EQ(j["shuffle"], 3);
    EXPECT_EQ(j["repeat"], 2);

    builder.publish(nullptr, false, std::nullopt);
    NowPlayingInfo other = track("Other");
    j = line(&other);
    EXPECT_EQ(j["shuffle"], 3);
    EXPECT_EQ(j["repeat"], 2);

    other["kMRMediaRemoteNowPlayingInfoShuffleMode"] = whole(0);
    j = line(&other);
    EXPECT_FALSE(j.contains("shuffle"));
    EXPECT_EQ(j["repeat"], 2);
    NowPlayingInfo third = track("Third");
    EXPECT_FALSE(line(&third).contains("shuffle"));
}

TEST_F(LineBuilderTest, TogglesWriteThreeBelowTwoElseOne)
{
    EXPECT_EQ(builder.toggleShuffle(), 3);  // from 0
    EXPECT_EQ(builder.toggleShuffle(), 1);  // from 3
    EXPECT_EQ(builder.toggleShuffle(), 3);  // from 1
    builder.repeatMode = 2;
    EXPECT_EQ(builder.toggleRepeat(), 1);
    builder.repeatMode = -4;
    EXPECT_EQ(builder.toggleRepeat(), 3);
    NowPlayingInfo info = track("Song");
    EXPECT_EQ(line(&info)["repeat"], 3);
}

TEST_F(LineBuilderTest, HugeModeNumbersSaturateInsteadOfOverflowing)
{
    NowPlayingInfo info = track("Song");
    info["kMRMediaRemoteNowPlayingInfoShuffleMode"] = real(1e300);
    info["kMRMediaRemoteNowPlayingInfoRepeatMode"] = whole(std::numeric_limits<std::int64_t>::min());
    Json j = line(&info);
    EXPECT_EQ(j["shuffle"], std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(j["repeat"], std::numeric_limits<std::int32_t>::min());
}

TEST(SerializeLineTest, EscapesSlashesAndDropsWhatCannotBeWritten)
{
    EXPECT_EQ(serializeLine(Json{{"a", "AC/DC"}}), R"({"a":"AC\/DC"})");
    EXPECT_FALSE(serializeLine(Json{{"title", "\xff\xfe"}}));
    LineBuilder builder;
    NowPlayingInfo info{{"kMRMediaRemoteNowPlayingInfoTitle", std::string("bad \xc3")}};
    EXPECT_FALSE(builder.publish(&info, true, std::nullopt));
}

TEST(Base64Test, StandardAlphabetWithPadding)
{
    auto encode = [](const std::string &s) {
        return base64Encode(reinterpret_cast<const std::uint8_t *>(s.data()), s.size());
    };
    EXPECT_EQ(encode(""), "");
    EXPECT_EQ(encode("f"), "Zg==");
    EXPECT_EQ(encode("fo"), "Zm8=");
    EXPECT_EQ(encode("foo"), "Zm9v");
    EXPECT_EQ(encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(encode("\xfb\xff"), "+/8=");
}

TEST(CopyInfoTest, CopiesEveryTypedValue)
{
    const std::uint8_t bytes[] = {9, 8};
    MRDictionaryEntry entries[4] = {};
    entries[0].key = "s";
    entries[0].value.type = MRValueTypeString;
    entries[0].value.string = "text";
    entries[1].key = "n";
    entries[1].value.type = MRValueTypeNumber;
    entries[1].value.number = 4;
    entries[1].value.integer = 4;
    entries[1].value.isInteger = 1;
    entries[2].key = "d";
    entries[2].value.type = MRValueTypeData;
    entries[2].value.bytes = bytes;
    entries[2].value.length = 2;
    entries[3].key = nullptr;  // ignored
    MRDictionary dictionary{4, entries};
    NowPlayingInfo info = copyInfo(dictionary);
    ASSERT_EQ(info.size(), 3u);
    EXPECT_EQ(std::get<std::string>(info["s"]), "text");
    EXPECT_TRUE(std::get<InfoNumber>(info["n"]).isInteger);
    EXPECT_EQ(std::get<InfoBytes>(info["d"]), (InfoBytes{9, 8}));
}

}  // namespace

namespace {

TEST_F(LineBuilderTest, TextFieldsAreCutAt16KiBOnACharacterBoundary)
{
    // 20 MB titles once became 20 MB lines. "é" is two bytes, "€" three: the cut never splits one.
    const std::string title = "a" + [] {
        std::string s;
        while (s.size() < 20'000'000)
            s += "\xE2\x82\xAC";
        return s;
    }();
    NowPlayingInfo info = track(title);
    info["kMRMediaRemoteNowPlayingInfoArtist"] = std::string(kTextFieldLimit, 'x') + "\xC3\xA9";
    info["kMRMediaRemoteNowPlayingInfoAlbum"] = std::string(kTextFieldLimit - 1, 'y') + "\xC3\xA9";
    const Json j = line(&info, true, std::string(kTextFieldLimit + 5, 'b'));
    const std::string cutTitle = j["title"];
    EXPECT_LE(cutTitle.size(), kTextFieldLimit);
    EXPECT_GE(cutTitle.size(), kTextFieldLimit - 2);
    EXPECT_EQ((cutTitle.size() - 1) % 3, 0u) << "whole euro signs only";
    EXPECT_EQ(j["artist"], std::string(kTextFieldLimit, 'x'));
    EXPECT_EQ(j["album"], std::string(kTextFieldLimit - 1, 'y'));  // the two-byte letter would not fit
    EXPECT_EQ(j["bundleID"].get<std::string>().size(), kTextFieldLimit);
    EXPECT_EQ(capText("short"), "short");
}

}  // namespace
