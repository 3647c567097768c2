// Which movement units are available, how comma and period step through
// them, and what is spoken. No media is needed: availability depends on the
// settings, the playlist size and the chapter list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SpeechLog.h"
#include "playback/PlaybackSession.h"
#include "playback/Seeking.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"

using namespace tavtest;

namespace {

using Movement = tav::AppSettings::Movement;

class Units : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        tav::Settings() = tav::AppSettings{};
        tav::ThePlaylist() = tav::Playlist{};
        tav::Session() = tav::PlaybackSession{};
    }
    SpeechLog speech;
};

TEST_F(Units, TableMatchesTheSettingsKeysAndOptionsIds) {
    const auto units = tav::MovementUnits();
    const std::vector<double> amounts = {1, 5, 10, 30, 60, 300, 600, 1800, 3600, 1, 5, 10};
    const std::vector<int> ids = {510, 511, 512, 513, 514, 515, 516, 545, 546, 517, 518, 519};
    for (int i = 0; i < tav::kMovementUnitRows; ++i) {
        const auto& u = units[static_cast<size_t>(i)];
        EXPECT_EQ(u.amount, amounts[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(u.checkBoxId, ids[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(u.countsTracks, i >= 9) << i;
        // Each row is switched by its own key and by no other.
        tav::Settings().movement = Movement{};
        const bool before = tav::Settings().movement.*u.enabled;
        tav::Settings().movement.*u.enabled = !before;
        for (int j = 0; j < tav::kMovementUnitRows; ++j)
            EXPECT_EQ(tav::IsMovementUnitEnabled(j), j == i ? !before : Movement{}.*units[static_cast<size_t>(j)].enabled)
                << u.key << " row " << j;
    }
    tav::Settings().movement = Movement{};
    EXPECT_EQ(tav::MovementUnitAmount(12), 5);
    EXPECT_EQ(tav::MovementUnitAmount(-1), 5);
}

struct CycleCase {
    const char* name;
    std::vector<int> enabled;  // units switched on; 12 = ChapterSeek
    int entries;               // playlist size
    bool chapters;
    int current;
    int direction;
    int expected;
    const char* spoken;
};

class Cycle : public Units, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(Cycle, StepsToTheNextAvailableUnitWithoutWrapping) {
    const CycleCase& c = GetParam();
    Movement& m = tav::Settings().movement;
    m = Movement{};
    for (const auto& u : tav::MovementUnits()) m.*u.enabled = false;
    m.ChapterSeek = false;
    for (int u : c.enabled) {
        if (u == 12)
            m.ChapterSeek = true;
        else
            m.*tav::MovementUnits()[static_cast<size_t>(u)].enabled = true;
    }
    tav::ThePlaylist().entries.assign(static_cast<size_t>(c.entries), "/tmp/x.flac");
    if (c.chapters) tav::Session().chapters = {{0, "One"}, {60, "Two"}};
    m.CurrentSeek = c.current;
    tav::CycleMovementUnit(c.direction);
    EXPECT_EQ(m.CurrentSeek, c.expected);
    EXPECT_EQ(speech.said(), c.spoken);
    EXPECT_TRUE(speech.allInterrupting());
}

INSTANTIATE_TEST_SUITE_P(
    Units, Cycle,
    ::testing::Values(
        CycleCase{"defaults_no_chapters_period", {1, 12}, 1, false, 1, +1, 1, "5 seconds"},
        CycleCase{"defaults_no_chapters_comma", {1, 12}, 1, false, 1, -1, 1, "5 seconds"},
        CycleCase{"defaults_with_chapters_period", {1, 12}, 1, true, 1, +1, 12, "1 chapter"},
        CycleCase{"defaults_with_chapters_comma_from_chapter", {1, 12}, 1, true, 12, -1, 1, "5 seconds"},
        CycleCase{"no_wrap_past_the_last", {0, 4, 9}, 1, false, 4, +1, 4, "1 minute"},
        CycleCase{"back_from_minute", {0, 4, 9}, 1, false, 4, -1, 0, "1 second"},
        CycleCase{"no_wrap_past_the_first", {0, 4, 9}, 1, false, 0, -1, 0, "1 second"},
        CycleCase{"track_unit_with_two_entries", {1, 9}, 2, false, 1, +1, 9, "1 track"},
        CycleCase{"skips_disabled_units", {1, 8}, 1, false, 1, +1, 8, "1 hour"},
        CycleCase{"unavailable_current_restarts_from_first", {1, 4, 9}, 1, false, 9, +1, 4, "1 minute"},
        CycleCase{"single_available_unit_becomes_current", {2, 10}, 1, false, 1, +1, 2, "10 seconds"},
        CycleCase{"chapters_without_the_setting", {1}, 1, true, 1, +1, 1, "5 seconds"},
        CycleCase{"nothing_available", {9}, 1, false, 9, +1, 1, "5 seconds"},
        CycleCase{"nothing_enabled", {}, 3, true, 6, -1, 1, "5 seconds"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(Units, SpeaksTheCurrentUnit) {
    const std::vector<std::pair<int, std::string>> cases = {
        {0, "1 second"}, {3, "30 seconds"}, {7, "30 minutes"}, {11, "10 tracks"},
        {12, "1 chapter"}, {13, ""}, {-1, ""}};
    for (const auto& [unit, text] : cases) {
        tav::Settings().movement.CurrentSeek = unit;
        tav::SpeakMovementUnit();
        EXPECT_EQ(speech.said(), text) << unit;
    }
}

TEST_F(Units, NothingLoadedMeansNoChapterMovesAndNoSeeks) {
    tav::Session().chapters = {{0, "One"}, {60, "Two"}};
    EXPECT_FALSE(tav::NextChapter());
    EXPECT_FALSE(tav::PreviousChapter());
    tav::Settings().movement.CurrentSeek = 12;
    tav::SeekForward();
    tav::SeekBy(5);
    tav::SeekTo(5);
    tav::JumpToTime("1:00");
    EXPECT_EQ(speech.said(), "");
}

}  // namespace
