// The command table: dispatch by id and range, the video guards, hotkeys.
#include <gtest/gtest.h>

#include "AppTestUtil.h"
#include "app/Commands.h"
#include "app/ShellMessages.h"
#include "playback/PlaybackSession.h"

namespace {

struct Call {
    int id;
    intptr_t lParam;
};
std::vector<Call> gCalls;
void Record(int id, intptr_t lParam) { gCalls.push_back({id, lParam}); }

class Commands : public ::testing::Test {
protected:
    // The operations the tests replace, by one of their ids.
    static constexpr std::pair<const char*, int> kReplaced[] = {
        {"NextTrack", 204}, {"ToggleStreamEffect", 240}, {"CycleSubtitles", 1201}, {"ToggleFullscreen", 1200}};

    void SetUp() override {
        gCalls.clear();
        tav::Session() = tav::PlaybackSession{};
        for (const auto& [op, id] : kReplaced) saved_.push_back(tav::FindCommand(id)->handler);
    }
    void TearDown() override {
        for (size_t i = 0; i < saved_.size(); ++i) tav::BindCommandHandler(kReplaced[i].first, saved_[i]);
        tav::Session() = tav::PlaybackSession{};
    }

private:
    std::vector<tav::CommandHandler> saved_;
};

TEST_F(Commands, RangesAndSingleIdsFindTheirOperation) {
    struct Case {
        int id;
        const char* operation;
    };
    const Case cases[] = {
        {101, "OpenFilesCommand"},  {102, "DestroyMainWindow"}, {701, "DestroyMainWindow"},
        {204, "NextTrack"},         {240, "ToggleStreamEffect"}, {243, "ToggleStreamEffect"},
        {244, "NextReverbChoice"},  {249, "ToggleDspEffect"},    {261, "SpeakTagField"},
        {279, "ShowTagDialog"},     {5099, "SwitchToDevice"},    {6000, "OpenRecentEntry"},
        {6009, "OpenRecentEntry"},  {7100, "DeletePreset"},      {7200, "SavePresetAsNew"},
    };
    for (const Case& c : cases) {
        const tav::CommandEntry* e = tav::FindCommand(c.id);
        ASSERT_NE(e, nullptr) << c.id;
        EXPECT_STREQ(e->operation, c.operation) << c.id;
    }
    for (int id : {0, 100, 115, 239, 253, 280, 6010, 7201, 9999}) EXPECT_EQ(tav::FindCommand(id), nullptr) << id;
}

TEST_F(Commands, RangesDoNotOverlap) {
    const auto table = tav::CommandTable();
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_LE(table[i].first, table[i].last);
        for (size_t j = i + 1; j < table.size(); ++j)
            EXPECT_TRUE(table[i].last < table[j].first || table[j].last < table[i].first)
                << table[i].first << " and " << table[j].first;
    }
}

TEST_F(Commands, DispatchPassesIdAndLParamToTheBoundOperation) {
    ASSERT_TRUE(tav::BindCommandHandler("NextTrack", &Record));
    ASSERT_TRUE(tav::BindCommandHandler("ToggleStreamEffect", &Record));
    EXPECT_FALSE(tav::BindCommandHandler("NoSuchOperation", &Record));
    tav::DispatchCommand(204, 1);
    tav::DispatchCommand(242, 0);
    tav::DispatchCommand(4242, 0);  // unknown
    ASSERT_EQ(gCalls.size(), 2u);
    EXPECT_EQ(gCalls[0].id, 204);
    EXPECT_EQ(gCalls[0].lParam, 1);
    EXPECT_EQ(gCalls[1].id, 242);
}

TEST_F(Commands, VideoCommandsActOnlyWithAVideo) {
    tav::BindCommandHandler("CycleSubtitles", &Record);
    tav::BindCommandHandler("ToggleFullscreen", &Record);
    tav::DispatchCommand(1201, 0);
    tav::DispatchCommand(1200, 0);
    EXPECT_TRUE(gCalls.empty());
    tav::Session().mediaKind = tav::MediaKind::Video;
    tav::DispatchCommand(1201, 0);
    tav::DispatchCommand(1200, 0);  // kind alone is not enough for full screen
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].id, 1201);
    tav::Session().videoLoaded = true;
    tav::DispatchCommand(1200, 0);
    EXPECT_EQ(gCalls.size(), 2u);
}

TEST_F(Commands, EveryDispatchIsNotedInTheTestLog) {
    tavtest::TempDir dir;
    tavtest::TestLogCapture log(dir);
    tav::DispatchCommand(232, 0);
    tav::DispatchCommand(204, 1);
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"command\t232\t0", "command\t204\t1"}));
}

TEST_F(Commands, MediaHotkeysPostTransportCommands) {
    tavtest::RecordingPoster poster;
    tavtest::ScopedPoster scoped(&poster);
    tav::HandleHotkey(tav::kHotkeyMediaPlayPause);
    tav::HandleHotkey(tav::kHotkeyMediaStop);
    tav::HandleHotkey(tav::kHotkeyMediaPrevious);
    tav::HandleHotkey(tav::kHotkeyMediaNext);
    tav::HandleHotkey(77);  // no assignment
    const auto posted = poster.take();
    ASSERT_EQ(posted.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(posted[i].id, tav::kMsgCommand);
        EXPECT_EQ(posted[i].wParam, 201u + i);
        EXPECT_EQ(posted[i].lParam, 0);
    }
}

}  // namespace

namespace {

TEST(DialogMessages, AnOpenDialogGetsItsMessageUntilItCloses) {
    int calls = 0;
    tav::RouteToDialog(tav::kMsgPlaylistChanged, [&calls](const tav::PostedMessage& m) {
        ++calls;
        EXPECT_EQ(m.lParam, 7);
        tav::RouteToDialog(tav::kMsgPlaylistChanged, nullptr);  // closes while handling it
    });
    EXPECT_FALSE(tav::DeliverToDialog({tav::kMsgCountryList, 0, 0, {}}));
    EXPECT_TRUE(tav::DeliverToDialog({tav::kMsgPlaylistChanged, 0, 7, {}}));
    EXPECT_FALSE(tav::DeliverToDialog({tav::kMsgPlaylistChanged, 0, 7, {}}));
    EXPECT_EQ(calls, 1);
}

}  // namespace
