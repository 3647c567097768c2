// Chapter navigation on a file with chapters: where Next and Previous go,
// the three-second rule, and what is announced.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Fixtures.h"
#include "Player.h"
#include "SpeechLog.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/Seeking.h"
#include "playback/tempo/TempoProcessor.h"
#include "storage/AppSettings.h"

using namespace tavtest;

namespace {

const std::vector<tav::Chapter> kFileChapters = {{0, "Intro"}, {10, "Middle"}, {20, "Outro"}};

class Chapters : public ::testing::Test {
protected:
    // 35 s of tone with three titled ID3v2 chapters.
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        path_ = dir_->file("chapters.mp3");
        const std::string meta = dir_->file("meta.txt");
        WriteFile(meta,
                  ";FFMETADATA1\n"
                  "[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=10000\ntitle=Intro\n"
                  "[CHAPTER]\nTIMEBASE=1/1000\nSTART=10000\nEND=20000\ntitle=Middle\n"
                  "[CHAPTER]\nTIMEBASE=1/1000\nSTART=20000\nEND=35000\ntitle=Outro\n");
        ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i", "sine=f=440:d=35", "-i", meta, "-map", "0:a", "-map_chapters", "1",
                            "-ac", "2", "-c:a", "libmp3lame", path_}));
    }
    static void TearDownTestSuite() { delete dir_; }

    void Open() {
        ASSERT_TRUE(tav::OpenMedia(path_));
        // Chapters as the file's tags give them, once they are read at open.
        if (tav::Session().chapters.empty()) tav::Session().chapters = kFileChapters;
        ASSERT_EQ(tav::Session().chapters.size(), kFileChapters.size());
        for (size_t i = 0; i < kFileChapters.size(); ++i) {
            EXPECT_NEAR(tav::Session().chapters[i].start, kFileChapters[i].start, 0.001);
            EXPECT_EQ(tav::Session().chapters[i].title, kFileChapters[i].title);
        }
    }

    static TempDir* dir_;
    static std::string path_;
};
TempDir* Chapters::dir_ = nullptr;
std::string Chapters::path_;

enum class Op { Next, Previous, Right, Left };

struct ChapterCase {
    const char* name;
    std::optional<std::vector<tav::Chapter>> chapters;  // instead of the file's
    double from;
    Op op;
    bool acted;
    double expected;
    const char* spoken;
};

class ChapterMoves : public Chapters, public ::testing::WithParamInterface<ChapterCase> {};

TEST_P(ChapterMoves, GoWhereExpectedAndAnnounce) {
    const ChapterCase& c = GetParam();
    OfflinePlayer player;
    SpeechLog speech;
    Open();
    if (c.chapters) tav::Session().chapters = *c.chapters;
    tav::GetTempoProcessor()->seek(c.from);
    tav::Settings().movement.CurrentSeek = 12;
    bool acted = true;
    switch (c.op) {
        case Op::Next: acted = tav::NextChapter(); break;
        case Op::Previous: acted = tav::PreviousChapter(); break;
        case Op::Right: tav::SeekForward(); break;
        case Op::Left: tav::SeekBackward(); break;
    }
    EXPECT_EQ(acted, c.acted);
    EXPECT_NEAR(tav::CurrentPosition(), c.expected, 0.001);
    EXPECT_EQ(speech.said(), c.spoken);
    EXPECT_TRUE(speech.allInterrupting());
}

const std::vector<tav::Chapter> kLateStart = {{5, ""}, {15, "Later"}};

INSTANTIATE_TEST_SUITE_P(
    Chapters, ChapterMoves,
    ::testing::Values(
        ChapterCase{"next_from_start", std::nullopt, 0, Op::Next, true, 10, "Chapter 2: Middle"},
        ChapterCase{"next_skips_a_chapter_just_ahead", std::nullopt, 9.7, Op::Next, true, 20, "Chapter 3: Outro"},
        ChapterCase{"next_in_last_chapter_is_silent", std::nullopt, 25, Op::Next, false, 25, ""},
        ChapterCase{"previous_early_in_chapter_goes_back_one", std::nullopt, 22, Op::Previous, true, 10,
                    "Chapter 2: Middle"},
        ChapterCase{"previous_late_in_chapter_restarts_it", std::nullopt, 30, Op::Previous, true, 20,
                    "Chapter 3: Outro"},
        ChapterCase{"previous_early_in_second_goes_to_first", std::nullopt, 12, Op::Previous, true, 0,
                    "Chapter 1: Intro"},
        ChapterCase{"previous_early_in_first_says_beginning", std::nullopt, 2, Op::Previous, true, 0, "Beginning"},
        ChapterCase{"right_with_chapter_unit", std::nullopt, 0, Op::Right, true, 10, "Chapter 2: Middle"},
        ChapterCase{"left_with_chapter_unit", std::nullopt, 22, Op::Left, true, 10, "Chapter 2: Middle"},
        ChapterCase{"untitled_chapter_has_no_colon", kLateStart, 0, Op::Next, true, 5, "Chapter 1"},
        ChapterCase{"previous_into_untitled_chapter", kLateStart, 17, Op::Previous, true, 5, "Chapter 1"},
        ChapterCase{"previous_before_first_chapter_is_silent", kLateStart, 2, Op::Previous, true, 0, ""},
        ChapterCase{"no_chapters_next", std::vector<tav::Chapter>{}, 12, Op::Next, false, 12, ""},
        ChapterCase{"no_chapters_previous", std::vector<tav::Chapter>{}, 12, Op::Previous, false, 12, ""},
        ChapterCase{"no_chapters_right", std::vector<tav::Chapter>{}, 12, Op::Right, true, 12, ""}),
    [](const auto& p) { return std::string(p.param.name); });

// The chapter unit is offered by comma and period once the file has chapters.
TEST_F(Chapters, UnitBecomesAvailableWithChapters) {
    OfflinePlayer player;
    SpeechLog speech;
    EXPECT_FALSE(tav::IsMovementUnitAvailable(tav::kChapterUnit));
    Open();
    EXPECT_TRUE(tav::IsMovementUnitAvailable(tav::kChapterUnit));
    tav::CycleMovementUnit(+1);
    EXPECT_EQ(tav::Settings().movement.CurrentSeek, tav::kChapterUnit);
    EXPECT_EQ(speech.said(), "1 chapter");
}

}  // namespace
