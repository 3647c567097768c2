// Seeking through the real opening path: where playback goes on after a
// seek, clamping at both ends, the movement units on Left and Right, and the
// cases where a seek must do nothing.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "Fixtures.h"
#include "Player.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/Seeking.h"
#include "playback/Transport.h"
#include "playback/engine/Engine.h"
#include "playback/tempo/TempoProcessor.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"

using namespace tavtest;

namespace {

constexpr double kGapStart = 4.0;  // the fixture is silent from 4.0 to 4.3 s
constexpr double kLength = 10.0;
constexpr double kAtEnd = -1.0;

// Counts status-bar refreshes: a seek that is made refreshes it, a refused one
// leaves it alone.
class CountingUi final : public tav::UiServices {
public:
    explicit CountingUi(tav::UiServices* next) : next_(next) { tav::SetUiServices(this); }
    ~CountingUi() override { tav::SetUiServices(next_); }
    int messageBox(const std::string& text, const std::string& caption, tav::BoxIcon icon,
                   tav::BoxButtons buttons) override {
        return next_->messageBox(text, caption, icon, buttons);
    }
    void refreshStatusBar() override { ++refreshes; }
    int refreshes = 0;

private:
    tav::UiServices* next_;
};

// A 10 s tone with a gap of silence: where the gap begins in what is heard
// tells where playback went on.
class Seeks : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        path_ = dir_->file("gap.flac");
        ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i",
                            "aevalsrc='if(between(t,4.0,4.3),0,0.4*sin(2*PI*440*t))':s=44100:d=10", "-ac", "2",
                            path_}));
    }
    static void TearDownTestSuite() { delete dir_; }
    static double Length() { return tav::GetTempoProcessor()->getLength(); }
    static TempDir* dir_;
    static std::string path_;
};
TempDir* Seeks::dir_ = nullptr;
std::string Seeks::path_;

struct SeekCase {
    const char* name;
    std::function<void(tav::AppSettings::Movement&)> settings;
    double from;
    std::function<void()> action;
    double expected;  // kAtEnd: the length
};

class SeekLands : public Seeks, public ::testing::WithParamInterface<SeekCase> {};

TEST_P(SeekLands, WhereAskedAndIsHeardThere) {
    const SeekCase& c = GetParam();
    OfflinePlayer player;
    if (c.settings) c.settings(tav::Settings().movement);
    tav::ThePlaylist().entries = {path_};
    tav::StartTrack(0, true);
    ASSERT_NE(tav::Session().playStream, 0u);
    ASSERT_NEAR(Length(), kLength, 0.001);
    tav::GetTempoProcessor()->seek(c.from);
    CountingUi ui(&player.ui);
    c.action();
    const double expected = c.expected == kAtEnd ? Length() : c.expected;
    EXPECT_NEAR(tav::CurrentPosition(), expected, 0.001);
    if (expected != c.from) {
        EXPECT_GT(ui.refreshes, 0);
    }

    Audio a = player.render(1.2);
    if (c.expected == kAtEnd) {
        EXPECT_LT(a.seconds(), 0.05);
        EXPECT_TRUE(player.ended());
    } else if (expected < kGapStart && expected > kGapStart - 1.1) {
        EXPECT_GT(Rms(a.channel(0, 0, 4410)), 0.05);
        EXPECT_NEAR(static_cast<double>(FirstQuietFrame(a, 0.01)) / a.rate, kGapStart - expected, 0.02);
    } else {
        // Tone from the first frame and no gap in what was heard.
        EXPECT_GT(Rms(a.channel(0, 0, 4410)), 0.05);
        EXPECT_EQ(FirstQuietFrame(a, 0.01), a.frames());
    }
}

void Only(tav::AppSettings::Movement& m, std::initializer_list<bool tav::AppSettings::Movement::*> on) {
    for (const auto& u : tav::MovementUnits()) m.*u.enabled = false;
    for (auto k : on) m.*k = true;
}

using M = tav::AppSettings::Movement;

INSTANTIATE_TEST_SUITE_P(
    Seeking, SeekLands,
    ::testing::Values(
        SeekCase{"seek_to", nullptr, 0, [] { tav::SeekTo(3.5); }, 3.5},
        SeekCase{"seek_by_forward", nullptr, 1, [] { tav::SeekBy(2.5); }, 3.5},
        SeekCase{"seek_by_back", nullptr, 5.5, [] { tav::SeekBy(-2); }, 3.5},
        SeekCase{"jump_seconds", nullptr, 0, [] { tav::JumpToTime("3.5"); }, 3.5},
        SeekCase{"jump_minutes", nullptr, 0, [] { tav::JumpToTime("0:03"); }, 3},
        SeekCase{"jump_letters_does_nothing", nullptr, 2, [] { tav::JumpToTime("abc"); }, 2},
        SeekCase{"jump_negative_does_nothing", nullptr, 2, [] { tav::JumpToTime("-1"); }, 2},
        SeekCase{"jump_past_the_end_clamps", nullptr, 2, [] { tav::JumpToTime("99:99:99"); }, kAtEnd},
        SeekCase{"seek_by_past_the_end_clamps", nullptr, 9, [] { tav::SeekBy(100); }, kAtEnd},
        SeekCase{"seek_by_before_the_start_clamps", nullptr, 2, [] { tav::SeekBy(-100); }, 0},
        SeekCase{"seek_to_negative_clamps", nullptr, 2, [] { tav::SeekTo(-3); }, 0},
        SeekCase{"seek_to_past_the_end_clamps", nullptr, 2, [] { tav::SeekTo(1e9); }, kAtEnd},
        SeekCase{"beginning", nullptr, 6, [] { tav::SeekToBeginning(); }, 0},
        SeekCase{"right_by_default_unit", nullptr, 0, [] { tav::SeekForward(); }, 5},
        SeekCase{"left_by_default_unit", nullptr, 8.5, [] { tav::SeekBackward(); }, 3.5},
        SeekCase{"right_near_the_end", nullptr, 7, [] { tav::SeekForward(); }, kAtEnd},
        SeekCase{"left_near_the_start", nullptr, 3, [] { tav::SeekBackward(); }, 0},
        SeekCase{"right_by_one_second",
                 [](M& m) { Only(m, {&M::Seek1s}); m.CurrentSeek = 0; }, 2.5, [] { tav::SeekForward(); }, 3.5},
        // One entry: a track unit seeks by the first enabled time unit.
        SeekCase{"track_unit_falls_back_to_five_seconds",
                 [](M& m) { Only(m, {&M::Seek5s, &M::Seek1t}); m.CurrentSeek = 9; }, 0, [] { tav::SeekForward(); }, 5},
        SeekCase{"track_unit_falls_back_to_the_first_time_row",
                 [](M& m) { Only(m, {&M::Seek1h, &M::Seek1s, &M::Seek5t}); m.CurrentSeek = 10; }, 4.5,
                 [] { tav::SeekBackward(); }, 3.5},
        SeekCase{"track_unit_without_time_units_does_nothing",
                 [](M& m) { Only(m, {&M::Seek1t}); m.CurrentSeek = 9; }, 2, [] { tav::SeekForward(); }, 2},
        // The chapter unit without chapters does nothing.
        SeekCase{"chapter_unit_without_chapters",
                 [](M& m) { m.CurrentSeek = 12; }, 2, [] { tav::SeekForward(); }, 2}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(Seeks, IgnoredWhileATrackChangeOrAnOpenIsInProgress) {
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenMedia(path_));
    CountingUi ui(&player.ui);
    for (bool tav::PlaybackSession::*flag : {&tav::PlaybackSession::trackChanging, &tav::PlaybackSession::loading}) {
        tav::GetTempoProcessor()->seek(2);
        tav::Session().*flag = true;
        tav::SeekBy(3);
        tav::SeekTo(6);
        tav::SeekForward();
        tav::JumpToTime("1");
        EXPECT_NEAR(tav::CurrentPosition(), 2, 0.001);
        EXPECT_EQ(ui.refreshes, 0);
        tav::Session().*flag = false;
    }
    tav::SeekBy(3);
    EXPECT_NEAR(tav::CurrentPosition(), 5, 0.001);
}

TEST_F(Seeks, StreamFreedBehindTheSessionIsForgotten) {
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenMedia(path_));
    ASSERT_TRUE(tav::engine::StreamFree(tav::Session().playStream));
    tav::SeekBy(3);
    EXPECT_EQ(tav::Session().playStream, 0u);
    EXPECT_EQ(tav::Session().sourceStream, 0u);
    // Nothing is loaded any more: later seeks return at once.
    tav::SeekTo(1);
    tav::SeekBy(1);
    EXPECT_EQ(tav::CurrentPosition(), 0.0);
}

TEST_F(Seeks, TrackUnitsMoveThroughThePlaylist) {
    OfflinePlayer player;
    const std::string other = dir_->file("other.flac");
    ASSERT_TRUE(MakeTone(other, 880, 2.0));
    auto& m = tav::Settings().movement;
    Only(m, {&M::Seek5s, &M::Seek1t});
    m.CurrentSeek = 9;
    tav::ThePlaylist().entries = {path_, other, path_};
    tav::StartTrack(0, true);
    tav::GetTempoProcessor()->seek(3);
    tav::SeekForward();
    EXPECT_EQ(tav::ThePlaylist().current, 1);
    EXPECT_NEAR(Length(), 2.0, 0.01);
    // Five tracks back from entry 1 stops at the first entry.
    m.Seek5t = true;
    m.CurrentSeek = 10;
    tav::SeekBackward();
    EXPECT_EQ(tav::ThePlaylist().current, 0);
    EXPECT_NEAR(Length(), kLength, 0.01);
}

// A local live stream: no length, so no seek may move it.
TEST(LiveStream, SeeksDoNothing) {
    TempDir dir;
    const std::string mp3 = dir.file("radio.mp3");
    ASSERT_TRUE(MakeTone(mp3, 440, 10, {"-c:a", "libmp3lame", "-b:a", "128k"}));
    const int port = FreePort();
    Child server({Python(), SupportFile("icy_server.py"), "--port", std::to_string(port), "--file", mp3});
    ASSERT_TRUE(WaitForPort(port, 10));
    OfflinePlayer player;
    ASSERT_TRUE(tav::OpenUrlStream("http://127.0.0.1:" + std::to_string(port) + "/stream", false));
    ASSERT_TRUE(tav::Session().isLive);
    player.render(1.0);
    const double p = tav::CurrentPosition();
    EXPECT_GT(p, 0.5);
    CountingUi ui(&player.ui);
    tav::SeekBy(-0.5);
    tav::SeekTo(0);
    tav::SeekToBeginning();
    tav::SeekForward();
    tav::JumpToTime("0:00");
    EXPECT_EQ(tav::CurrentPosition(), p);
    EXPECT_EQ(ui.refreshes, 0);
    EXPECT_NE(tav::Session().playStream, 0u);
    EXPECT_TRUE(player.ui.boxes.empty());
}

}  // namespace
