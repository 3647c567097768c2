// The transport over generated media on the "No sound" device: starting
// entries, skipping what cannot be played, pause with rewind, play, stop, and
// what live streams do instead.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "IcyServer.h"
#include "Player.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/Transport.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"

using namespace tavtest;
namespace eng = tav::engine;

namespace {

class Transport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        // Small and cheap: mono 8 kHz.
        ASSERT_TRUE(MakeTone(dir_->file("long.flac"), 440, 62, {"-ar", "8000"}, 8000, 1));
        ASSERT_TRUE(MakeTone(dir_->file("short.flac"), 440, 1, {}, 44100, 2));
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string File(const char* name) { return dir_->file(name); }
    static TempDir* dir_;
    OfflinePlayer player;
    tav::Playlist& pl = tav::ThePlaylist();
    const tav::PlaybackSession& s = tav::Session();
    double Position() { return tav::CurrentPosition(); }
};
TempDir* Transport::dir_ = nullptr;

TEST_F(Transport, MissingEntriesAreSkippedForTenAttemptsWithoutWrapping) {
    pl.entries.clear();
    for (int i = 0; i < 20; ++i) pl.entries.push_back(i < 5 ? File("short.flac") : dir_->file("gone" + std::to_string(i) + ".mp3"));
    tav::StartTrack(5, true);
    EXPECT_EQ(pl.current, 14);
    EXPECT_EQ(s.playStream, 0u);
    EXPECT_TRUE(player.ui.boxes.empty());
    EXPECT_FALSE(s.trackChanging);
}

TEST_F(Transport, SingleMissingEntryShowsOneBox) {
    pl.entries = {dir_->file("gone.mp3")};
    tav::StartTrack(0, true);
    EXPECT_EQ(player.ui.boxes.size(), 1u);
    EXPECT_EQ(pl.current, 0);
}

TEST_F(Transport, PauseRewindsByTheSetting) {
    tav::Settings().playback.RewindOnPauseMs = 2000;
    pl.entries = {File("long.flac")};
    tav::StartTrack(0, true);
    struct {
        double at, expected;
    } cases[] = {{1.5, 0.0}, {60.0, 58.0}};
    for (auto c : cases) {
        tav::GetTempoProcessor()->seek(c.at);
        tav::Play();
        tav::PausePlayback();
        EXPECT_EQ(eng::ChannelIsActive(s.playStream), eng::kPaused);
        EXPECT_NEAR(Position(), c.expected, 0.01) << "paused at " << c.at;
    }
}

TEST_F(Transport, PlayWhilePlayingRestartsAndPlayAfterPauseResumes) {
    pl.entries = {File("long.flac")};
    tav::StartTrack(0, true);
    player.render(2.0);
    EXPECT_NEAR(Position(), 2.0, 0.05);
    tav::Play();
    EXPECT_NEAR(Position(), 0.0, 0.01);
    player.render(1.0);
    tav::PausePlayback();
    const double paused = Position();
    EXPECT_EQ(player.render(0.5, 0.2).frames(), 0u);  // nothing is heard while paused
    tav::PlayPause();
    EXPECT_EQ(eng::ChannelIsActive(s.playStream), eng::kPlaying);
    EXPECT_NEAR(Position(), paused, 0.01);
}

TEST_F(Transport, StopKeepsAFileLoadedAtItsStart) {
    pl.entries = {File("long.flac")};
    tav::StartTrack(0, true);
    player.render(1.0);
    tav::StopPlayback();
    EXPECT_NE(s.playStream, 0u);
    EXPECT_EQ(eng::ChannelIsActive(s.playStream), eng::kStopped);
    EXPECT_NEAR(Position(), 0.0, 0.01);
    tav::PlayPause();
    EXPECT_EQ(eng::ChannelIsActive(s.playStream), eng::kPlaying);
}

TEST_F(Transport, PlayWithNothingLoadedStartsTheFirstEntry) {
    pl.entries = {File("short.flac")};
    tav::Play();
    EXPECT_EQ(pl.current, 0);
    EXPECT_EQ(eng::ChannelIsActive(s.playStream), eng::kPlaying);
}

TEST_F(Transport, StartPausedLeavesTheTrackLoadedAtItsStart) {
    pl.entries = {File("short.flac")};
    tav::StartTrack(0, false);
    EXPECT_EQ(eng::ChannelIsActive(s.playStream), eng::kPaused);
    EXPECT_NEAR(Position(), 0.0, 0.001);
}

TEST_F(Transport, TrackChangeAnnouncesTagsOrTheFileName) {
    tav::Settings().speech.TrackChange = true;
    ASSERT_TRUE(MakeTone(dir_->file("tagged.mp3"), 440, 0.5,
                         {"-c:a", "libmp3lame", "-metadata", "title=Song", "-metadata", "artist=Band"}));
    ASSERT_TRUE(MakeTone(dir_->file("artist only.mp3"), 440, 0.5, {"-c:a", "libmp3lame", "-metadata", "artist=Band"}));
    pl.entries = {dir_->file("tagged.mp3"), dir_->file("artist only.mp3")};
    tav::StartTrack(0, true);
    EXPECT_EQ(player.spoken(), (std::vector<std::string>{"Band - Song"}));
    tav::StartTrack(1, true);
    EXPECT_EQ(player.spoken(), (std::vector<std::string>{"artist only.mp3"}));
}

TEST_F(Transport, LiveStreamRefusesPauseStopsOnSpaceAndReconnects) {
    ASSERT_TRUE(MakeTone(dir_->file("radio.mp3"), 440, 10, {"-c:a", "libmp3lame", "-b:a", "128k"}));
    IcyServer server(dir_->file("radio.mp3"));
    ASSERT_TRUE(server.ready());
    pl.entries = {server.url()};
    tav::StartTrack(0, true);
    ASSERT_TRUE(s.isLive);
    player.spoken();
    tav::PausePlayback();
    EXPECT_EQ(player.spoken(), (std::vector<std::string>{"Cannot pause live stream"}));
    EXPECT_EQ(eng::ChannelIsActive(s.playStream), eng::kPlaying);
    const eng::Handle before = s.playStream;
    tav::PlayPause();  // Space
    EXPECT_EQ(s.playStream, 0u);
    EXPECT_EQ(eng::ChannelIsActive(before), eng::kStopped);
    EXPECT_EQ(eng::ErrorGetCode(), eng::kErrHandle);  // freed, not paused
    tav::PlayPause();  // Space again
    ASSERT_NE(s.playStream, 0u);
    EXPECT_TRUE(s.isLive);
    EXPECT_GT(player.render(0.5).frames(), 0u);
}

}  // namespace
