// What the user is told when something cannot be played, and that nothing
// stays loaded afterwards.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "Player.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/tempo/TempoProcessor.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"

using namespace tavtest;

namespace {

struct FailureCase {
    const char* name;
    std::function<std::string(TempDir&)> location;
    std::string expectedText;
    tav::BoxIcon icon;
};

class OpenFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(OpenFailures, ShowTheirTextAndLeaveNothingLoaded) {
    const FailureCase& c = GetParam();
    TempDir dir;
    OfflinePlayer player;
    const std::string location = c.location(dir);
    EXPECT_FALSE(tav::OpenMedia(location));
    ASSERT_EQ(player.ui.boxes.size(), 1u) << c.name;
    EXPECT_EQ(player.ui.boxes[0].text, c.expectedText) << c.name;
    EXPECT_EQ(player.ui.boxes[0].caption, "Tavrolune");
    EXPECT_EQ(player.ui.boxes[0].icon, c.icon) << c.name;
    EXPECT_EQ(tav::Session().playStream, 0u);
    EXPECT_FALSE(tav::Session().loading);
}

std::string ClosedPortUrl() { return "http://127.0.0.1:" + std::to_string(FreePort()) + "/radio"; }

INSTANTIATE_TEST_SUITE_P(
    Engine, OpenFailures,
    ::testing::Values(
        FailureCase{"missing_file", [](TempDir& d) { return d.file("missing.mp3"); },
                    "Cannot play file:\nmissing.mp3\n\nCould not open the file.", tav::BoxIcon::Error},
        FailureCase{"random_bytes_flac",
                    [](TempDir& d) {
                        std::string junk;
                        uint32_t x = 12345;
                        for (int i = 0; i < 200000; ++i) {
                            x = x * 1103515245 + 12345;
                            junk += static_cast<char>(x >> 16);
                        }
                        WriteFile(d.file("noise.flac"), junk);
                        return d.file("noise.flac");
                    },
                    "Cannot play file:\nnoise.flac\n\nUnsupported file format.", tav::BoxIcon::Error},
        FailureCase{"ftp", [](TempDir&) { return std::string("ftp://example.org/song.mp3"); },
                    "Only http:// and https:// URLs are supported.", tav::BoxIcon::Warning},
        FailureCase{"closed_port", [](TempDir&) { return std::string("http://127.0.0.1:9/radio"); },
                    "Cannot play URL:\nhttp://127.0.0.1:9/radio\n\nError: Could not connect to URL. (code 2)",
                    tav::BoxIcon::Error},
        FailureCase{"video_without_engine",
                    [](TempDir& d) {
                        WriteFile(d.file("clip.MKV"), "not really a video");
                        return d.file("clip.MKV");
                    },
                    "Cannot play video file:\nclip.MKV\n\nTavrolune needs libmpv to play video files.\n\n"
                    "Download libmpv (libmpv.so.2) from:\nhttps://mpv.io/installation/\n\n"
                    "Then place libmpv.so.2 in the lib folder of Tavrolune.",
                    tav::BoxIcon::Information}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(OpenFailure, LongUrlIsShownCutToOneHundredCharacters) {
    OfflinePlayer player;
    const std::string base = ClosedPortUrl() + "/";
    const std::string url = base + std::string(130 - base.size(), 'a');
    ASSERT_EQ(url.size(), 130u);
    EXPECT_FALSE(tav::OpenUrlStream(url, false));
    ASSERT_EQ(player.ui.boxes.size(), 1u);
    const std::string expected = "Cannot play URL:\n" + url.substr(0, 100) + "...\n\nError: Could not connect to URL. (code 2)";
    EXPECT_EQ(player.ui.boxes[0].text, expected);
}

TEST(OpenFailure, QuietUrlFailureShowsNothing) {
    OfflinePlayer player;
    EXPECT_FALSE(tav::OpenUrlStream(ClosedPortUrl(), true));
    EXPECT_TRUE(player.ui.boxes.empty());
}

TEST(OpenFailure, InAPlaylistOfSeveralEntriesNothingIsShown) {
    TempDir dir;
    OfflinePlayer player;
    tav::ThePlaylist().entries = {dir.file("a.mp3"), dir.file("b.mp3")};
    EXPECT_FALSE(tav::OpenMedia(dir.file("a.mp3")));
    EXPECT_TRUE(player.ui.boxes.empty());
}

TEST(OpenSuccess, ExtensionsAreCaseInsensitiveAndMp4IsAudio) {
    TempDir dir;
    OfflinePlayer player;
    ASSERT_TRUE(MakeTone(dir.file("song.MP3"), 440, 0.5, {"-f", "mp3"}));
    ASSERT_TRUE(MakeTone(dir.file("clip.mp4"), 440, 0.5, {"-c:a", "aac"}));
    EXPECT_TRUE(tav::OpenMedia(dir.file("song.MP3")));
    EXPECT_EQ(tav::Session().mediaKind, tav::MediaKind::Audio);
    EXPECT_TRUE(tav::OpenMedia(dir.file("clip.mp4")));
    EXPECT_EQ(tav::Session().mediaKind, tav::MediaKind::Audio);
    EXPECT_TRUE(player.ui.boxes.empty());
}

TEST(OpenSuccess, OtherEngineChoiceStillPlaysThroughSoundTouch) {
    TempDir dir;
    OfflinePlayer player;
    tav::Settings().advanced.TempoAlgorithm = 2;
    ASSERT_TRUE(MakeTone(dir.file("t.flac"), 440, 0.5));
    EXPECT_TRUE(tav::OpenMedia(dir.file("t.flac")));
    EXPECT_EQ(tav::GetTempoProcessor()->getType(), 0);
    // The SoundTouch stream owns its source, so the session no longer does.
    EXPECT_EQ(tav::Session().sourceStream, 0u);
    EXPECT_NE(tav::Session().tagStream, 0u);
}

TEST(PluginReport, ListsTheDecoderComponents) {
    OfflinePlayer player;
    const std::string r = tav::PluginReport();
    EXPECT_EQ(r.rfind("Loaded: FFmpeg (libavformat ", 0), 0u) << r;
    EXPECT_NE(r.find("FluidSynth"), std::string::npos);
    EXPECT_NE(r.find("SoundTouch"), std::string::npos);
    EXPECT_NE(r.find("\nFailed: "), std::string::npos);
}

}  // namespace
