// What Open URL, Open and the recent files do to the playlist.
#include <gtest/gtest.h>

#include "AppTestUtil.h"
#include "app/ShellActions.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"

namespace {

class ShellActions : public ::testing::Test {
protected:
    void SetUp() override {
        tav::ThePlaylist() = tav::Playlist{};
        tav::TheRecentFiles() = tav::RecentFiles{};
        tav::Settings() = tav::AppSettings{};
    }
    void TearDown() override { SetUp(); }

    tavtest::TempDir dir;
    tavtest::TestLogCapture log{dir};
};

TEST_F(ShellActions, AnAddressBecomesTheOnlyEntryAndPlays) {
    tav::ThePlaylist().entries = {"/old/a.mp3", "/old/b.mp3"};
    tav::ThePlaylist().current = 1;
    tav::OpenUrlEntry("http://127.0.0.1:1/stream");
    EXPECT_EQ(tav::ThePlaylist().entries, (std::vector<std::string>{"http://127.0.0.1:1/stream"}));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"starttrack\t0\thttp://127.0.0.1:1/stream"}));
}

TEST_F(ShellActions, AnEmptyAddressChangesNothing) {
    tav::ThePlaylist().entries = {"/old/a.mp3"};
    tav::OpenUrlEntry("");
    EXPECT_EQ(tav::ThePlaylist().entries, (std::vector<std::string>{"/old/a.mp3"}));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ShellActions, ARecentEntryReplacesThePlaylist) {
    tav::TheRecentFiles().entries = {"/m/new.mp3", "/m/older.mp3"};
    tav::ThePlaylist().entries = {"/x.mp3"};
    tav::OpenRecentEntry(5);  // past the list
    tav::OpenRecentEntry(-1);
    EXPECT_EQ(tav::ThePlaylist().entries, (std::vector<std::string>{"/x.mp3"}));
    tav::OpenRecentEntry(1);
    EXPECT_EQ(tav::ThePlaylist().entries, (std::vector<std::string>{"/m/older.mp3"}));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"starttrack\t0\t/m/older.mp3"}));
}

TEST_F(ShellActions, ChosenFilesReplaceThePlaylistInOrder) {
    tav::ThePlaylist().entries = {"/x.mp3"};
    tav::OpenChosenFiles({"/m/1.mp3", "/m/2.ogg", "/m/3.flac"});
    EXPECT_EQ(tav::ThePlaylist().entries, (std::vector<std::string>{"/m/1.mp3", "/m/2.ogg", "/m/3.flac"}));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"starttrack\t0\t/m/1.mp3\t/m/2.ogg\t/m/3.flac"}));
    tav::OpenChosenFiles({});  // cancelled: nothing happens
    EXPECT_EQ(tav::ThePlaylist().size(), 3);
}

TEST_F(ShellActions, ClipboardTextPrefillsOnlyWebAddresses) {
    struct Case {
        const char* text;
        bool prefill;
    };
    const Case cases[] = {
        {"http://radio.example/stream", true}, {"HTTPS://Radio.Example/x", true}, {"https://", true},
        {"ftp://files.example/a.mp3", false},  {" http://x", false},             {"/home/me/a.mp3", false},
        {"", false},                           {"http:/x", false},
    };
    for (const Case& c : cases) EXPECT_EQ(tav::IsUrlPrefill(c.text), c.prefill) << c.text;
}

}  // namespace
