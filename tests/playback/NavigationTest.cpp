// Next, previous, jumps, shuffle and repeat over a playlist of generated
// files, including what happens at the end of a track.
#include <gtest/gtest.h>

#include <set>

#include "Fixtures.h"
#include "Player.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/Transport.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "playlist/Navigation.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"
#include "storage/IniFile.h"

using namespace tavtest;
namespace eng = tav::engine;

namespace {

class Navigation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        ASSERT_TRUE(MakeTone(dir_->file("a.flac"), 440, 6, {"-ar", "8000"}, 8000, 1));
        ASSERT_TRUE(MakeTone(dir_->file("b.flac"), 660, 0.3, {"-ar", "8000"}, 8000, 1));
    }
    static void TearDownTestSuite() { delete dir_; }
    static TempDir* dir_;

    void Fill(int n, const char* file = "a.flac") { pl.entries.assign(static_cast<size_t>(n), dir_->file(file)); }
    // Plays to the end and runs the end-of-track command as the main window does.
    void PlayToEnd() {
        player.render(60);
        for (auto& m : player.poster.take())
            if (m.id == tav::kMsgCommand && m.wParam == 204) tav::NextTrack(m.lParam == 0);
    }
    int Active() { return eng::ChannelIsActive(tav::Session().playStream); }

    OfflinePlayer player;
    tav::Playlist& pl = tav::ThePlaylist();
    tav::AppSettings::Playback& p = tav::Settings().playback;
};
TempDir* Navigation::dir_ = nullptr;

TEST_F(Navigation, EndOfTrackFollowsRepeatAndAutoAdvance) {
    struct Case {
        const char* name;
        int repeat;
        bool autoAdvance;
        int startAt, expectIndex, expectActivity;
    } cases[] = {
        {"advance", 0, true, 0, 1, eng::kPlaying},
        {"no auto-advance loads the next paused", 0, false, 0, 1, eng::kPaused},
        {"repeat track restarts it", 1, true, 1, 1, eng::kPlaying},
        {"repeat all wraps", 2, true, 2, 0, eng::kPlaying},
        {"the end of the list stops", 0, true, 2, 2, eng::kStopped},
    };
    for (const Case& c : cases) {
        pl.entries = {dir_->file("b.flac"), dir_->file("b.flac"), dir_->file("b.flac")};
        p.RepeatMode = c.repeat;
        p.AutoAdvance = c.autoAdvance;
        tav::StartTrack(c.startAt, true);
        PlayToEnd();
        EXPECT_EQ(pl.current, c.expectIndex) << c.name;
        EXPECT_EQ(Active(), c.expectActivity) << c.name;
    }
}

TEST_F(Navigation, NextKeyWithRepeatTrackRestartsTheSameEntry) {
    Fill(3);
    p.RepeatMode = 1;
    tav::StartTrack(1, true);
    player.render(1);
    tav::NextTrack(true);
    EXPECT_EQ(pl.current, 1);
    EXPECT_NEAR(tav::CurrentPosition(), 0.0, 0.01);
}

TEST_F(Navigation, ShuffleWithTwoEntriesAlternates) {
    Fill(2);
    p.Shuffle = true;
    tav::SeedShuffle(7);
    tav::StartTrack(0, true);
    for (int i = 1; i <= 6; ++i) {
        tav::NextTrack(true);
        EXPECT_EQ(pl.current, i % 2);
    }
}

TEST_F(Navigation, ShufflePicksAnotherEntryEachTime) {
    Fill(5);
    p.Shuffle = true;
    tav::SeedShuffle(1);
    tav::StartTrack(2, true);
    std::set<int> seen;
    for (int i = 0; i < 40; ++i) {
        const int before = pl.current;
        tav::NextTrack(true);
        EXPECT_NE(pl.current, before);
        seen.insert(pl.current);
    }
    EXPECT_EQ(seen.size(), 5u);
}

TEST_F(Navigation, PreviousRestartsAfterThreeSecondsElseGoesBack) {
    Fill(6);
    tav::StartTrack(5, true);
    tav::GetTempoProcessor()->seek(2.0);
    tav::PreviousTrack();
    EXPECT_EQ(pl.current, 4);
    tav::GetTempoProcessor()->seek(4.0);
    tav::PreviousTrack();
    EXPECT_EQ(pl.current, 4);
    EXPECT_NEAR(tav::CurrentPosition(), 0.0, 0.01);
    tav::StartTrack(0, true);
    tav::PreviousTrack();  // never wraps
    EXPECT_EQ(pl.current, 0);
}

TEST_F(Navigation, MoveByTracksClampsAndDoesNothingAtTheEnd) {
    Fill(100, "b.flac");
    tav::StartTrack(95, true);
    tav::MoveByTracks(10);
    EXPECT_EQ(pl.current, 99);
    const eng::Handle stream = tav::Session().playStream;
    tav::MoveByTracks(10);
    EXPECT_EQ(tav::Session().playStream, stream);  // not restarted
    tav::MoveByTracks(-1000);
    EXPECT_EQ(pl.current, 0);
}

TEST_F(Navigation, ShuffleAndRepeatAreSpokenCheckedAndSaved) {
    tav::ToggleShuffle();
    tav::CycleRepeatMode();
    tav::CycleRepeatMode();
    tav::CycleRepeatMode();
    tav::ToggleShuffle();
    EXPECT_EQ(player.spoken(),
              (std::vector<std::string>{"Shuffle on, Repeat track, Repeat all, Repeat off, Shuffle off"}));
    tav::ToggleShuffle();
    tav::IniFile ini;
    ASSERT_TRUE(ini.load(player.home.file("Tavrolune.ini")));
    EXPECT_EQ(ini.getInt("Playback", "Shuffle", -1), 1);
    EXPECT_EQ(ini.getInt("Playback", "RepeatMode", -1), 0);
}

TEST_F(Navigation, RecentFilesNewestFirstAtMostTenLocalOnly) {
    tav::AddRecentFile("/m/a.mp3");
    tav::AddRecentFile("/m/b.mp3");
    tav::AddRecentFile("/m/a.mp3");
    tav::AddRecentFile("http://radio.example/stream");
    tav::AddRecentFile("/m/A.MP3");  // another file on Linux
    EXPECT_EQ(tav::TheRecentFiles().entries, (std::vector<std::string>{"/m/A.MP3", "/m/a.mp3", "/m/b.mp3"}));
    for (int i = 0; i < 12; ++i) tav::AddRecentFile("/m/" + std::to_string(i) + ".mp3");
    ASSERT_EQ(tav::TheRecentFiles().entries.size(), 10u);
    EXPECT_EQ(tav::TheRecentFiles().entries.front(), "/m/11.mp3");
    EXPECT_EQ(tav::TheRecentFiles().entries.back(), "/m/2.mp3");
}

TEST_F(Navigation, StartTrackAddsTheFileToTheRecentList) {
    pl.entries = {dir_->file("b.flac")};
    tav::StartTrack(0, true);
    EXPECT_EQ(tav::TheRecentFiles().entries, (std::vector<std::string>{dir_->file("b.flac")}));
}

}  // namespace
