// Volume and mute as heard, the status line and caption as they read, and
// switching the output device without losing the place.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "Fixtures.h"
#include "IcyServer.h"
#include "Player.h"
#include "app/StatusLine.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/Transport.h"
#include "playback/Volume.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"

using namespace tavtest;
namespace eng = tav::engine;

namespace {

class VolumeAndStatus : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        ASSERT_TRUE(MakeTone(dir_->file("tone.flac"), 440, 8));
        ASSERT_TRUE(MakeTone(dir_->file("tagged.mp3"), 440, 4,
                             {"-c:a", "libmp3lame", "-b:a", "128k", "-metadata", "title=Song", "-metadata", "artist=Band"}));
        ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono", "-t", "7200", dir_->file("two hours.flac")}));
    }
    static void TearDownTestSuite() { delete dir_; }
    static TempDir* dir_;
    void Open(const char* name) {
        pl.entries = {dir_->file(name)};
        tav::StartTrack(0, true);
        ASSERT_NE(tav::Session().playStream, 0u);
    }
    // What is heard once the buffer filled before a change has played out.
    double LevelAfterChange() {
        player.render(0.7);
        return Rms(player.render(0.5).channel(0));
    }

    OfflinePlayer player;
    tav::Playlist& pl = tav::ThePlaylist();
    tav::AppSettings::Playback& p = tav::Settings().playback;
};
TempDir* VolumeAndStatus::dir_ = nullptr;

TEST_F(VolumeAndStatus, LimitDependsOnAmplifyAndEveryChangeIsSpoken) {
    p.Volume = 0.99f;
    tav::VolumeUp();
    tav::VolumeUp();
    EXPECT_FLOAT_EQ(p.Volume, 1.0f);
    EXPECT_EQ(player.spoken(), (std::vector<std::string>{"Volume 100%, Volume 100%"}));
    p.AllowAmplify = true;
    for (int i = 0; i < 200; ++i) tav::VolumeUp();
    EXPECT_FLOAT_EQ(p.Volume, 4.0f);
    tav::SetVolume(-3);
    EXPECT_FLOAT_EQ(p.Volume, 0.0f);
}

TEST_F(VolumeAndStatus, HeardLevelFollowsTheSquaredVolumeAndMuteSilences) {
    Open("tone.flac");
    const double full = LevelAfterChange();
    tav::SetVolume(0.5f);
    EXPECT_NEAR(Db(LevelAfterChange() / full), -12.04, 0.1);
    tav::ToggleMute();
    tav::VolumeUp();  // changes and speaks, but stays silent
    EXPECT_FLOAT_EQ(p.Volume, 0.52f);
    EXPECT_EQ(LevelAfterChange(), 0.0);
    tav::ToggleMute();
    EXPECT_NEAR(LevelAfterChange() / full, 0.52 * 0.52, 0.01);
    EXPECT_EQ(player.spoken(), (std::vector<std::string>{"Volume 50%, Muted, Volume 52%, Unmuted"}));
}

TEST_F(VolumeAndStatus, LegacyVolumeUsesTheStreamAttribute) {
    tav::Settings().advanced.LegacyVolume = true;
    p.Volume = 0.5f;
    Open("tone.flac");
    float attr = 0;
    ASSERT_TRUE(eng::ChannelGetAttribute(tav::Session().playStream, eng::kAttribVol, &attr));
    EXPECT_FLOAT_EQ(attr, 0.25f);
    tav::ToggleMute();
    ASSERT_TRUE(eng::ChannelGetAttribute(tav::Session().playStream, eng::kAttribVol, &attr));
    EXPECT_FLOAT_EQ(attr, 0.0f);
}

TEST_F(VolumeAndStatus, StatusAndCaptionAsTheyRead) {
    EXPECT_EQ(tav::StatusTexts(), (std::array<std::string, 3>{"--:-- / --:--", "Vol: 100%", ""}));
    EXPECT_EQ(tav::WindowCaption(), "Tavrolune");

    Open("tagged.mp3");
    EXPECT_EQ(tav::StatusTexts()[0], "0:00 / 0:04");
    EXPECT_EQ(tav::StatusTexts()[2], "Playing | 128 kbps");
    EXPECT_EQ(tav::WindowCaption(), "Tavrolune - Band - Song");
    tav::PausePlayback();
    EXPECT_EQ(tav::StatusTexts()[2], "Paused | 128 kbps");
    p.ShowTitleInWindow = false;
    EXPECT_EQ(tav::WindowCaption(), "Tavrolune");
    p.ShowTitleInWindow = true;

    Open("two hours.flac");
    tav::GetTempoProcessor()->seek(3903);
    EXPECT_EQ(tav::StatusTexts()[0], "1:05:03 / 2:00:00");
    EXPECT_EQ(tav::StatusTexts()[2].rfind("Playing | ~", 0), 0u) << tav::StatusTexts()[2];
    EXPECT_EQ(tav::WindowCaption(), "Tavrolune - two hours.flac");
}

TEST_F(VolumeAndStatus, LiveStreamShowsNoTimeAndItsBitrate) {
    ASSERT_TRUE(MakeTone(dir_->file("radio.mp3"), 440, 10, {"-c:a", "libmp3lame", "-b:a", "128k"}));
    IcyServer server(dir_->file("radio.mp3"), {"--titles", "Band - Song"});
    ASSERT_TRUE(server.ready());
    pl.entries = {server.url()};
    tav::StartTrack(0, true);
    ASSERT_TRUE(tav::Session().isLive);
    EXPECT_EQ(tav::StatusTexts()[0], "--:-- / --:--");
    EXPECT_EQ(tav::StatusTexts()[2], "Playing | 128 kbps");
    EXPECT_EQ(tav::WindowCaption(), "Tavrolune - Band - Song");
}

TEST(DeviceSwitch, KeepsThePlaceAndThePausedState) {
    TempDir dir;
    ASSERT_TRUE(MakeTone(dir.file("long.flac"), 440, 200, {"-ar", "8000"}, 8000, 1));
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    OfflinePlayer player;  // settings, speech and boxes captured; its engine is replaced below
    tav::FreeAudioEngine();
    ASSERT_TRUE(tav::StartAudioEngine());
    tav::ThePlaylist().entries = {dir.file("long.flac")};
    tav::StartTrack(0, true);
    tav::GetTempoProcessor()->seek(180);
    tav::PausePlayback();
    const auto items = tav::DeviceMenuItems();
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(std::count_if(items.begin(), items.end(), [](auto& i) { return i.checked; }), 1);
    player.spoken();
    tav::SwitchToDevice(items[0].command - 5000);
    EXPECT_EQ(player.spoken(), (std::vector<std::string>{"Switched to " + items[0].name}));
    EXPECT_EQ(tav::Settings().playback.DeviceName, items[0].name);
    ASSERT_NE(tav::Session().playStream, 0u);
    EXPECT_EQ(eng::ChannelIsActive(tav::Session().playStream), eng::kPaused);
    EXPECT_NEAR(tav::CurrentPosition(), 180.0, 0.01);
    EXPECT_EQ(tav::CurrentDeviceIndex(), items[0].command - 5000);
}

}  // namespace
