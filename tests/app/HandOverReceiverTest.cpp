// What the running instance does with handed-over files, on a clock the test
// moves by hand.
#include <gtest/gtest.h>

#include "AppTestUtil.h"
#include "app/HandOverReceiver.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"

namespace {

class HandOver : public ::testing::Test {
protected:
    void SetUp() override {
        tav::ThePlaylist() = tav::Playlist{};
        tav::Settings() = tav::AppSettings{};
        for (const char* n : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}) tavtest::WriteFile(dir.file(n), "x");
    }
    void TearDown() override {
        tav::ThePlaylist() = tav::Playlist{};
        tav::Settings() = tav::AppSettings{};
    }

    tav::HandOverReceiver::Hooks hooks() {
        return {
            [this] { return now; },
            [this](int ms) { timer.push_back(ms); timerRunning = true; },
            [this] { timerRunning = false; },
            [this](int index) { started.push_back({index, tav::ThePlaylist().entries}); },
            [this] { ++broughtToFront; },
        };
    }

    // The batch timer fires (when it runs).
    void expire(tav::HandOverReceiver& r) {
        if (timerRunning) r.applyBatch();
    }

    std::string f(const char* name) const { return dir.file(name); }

    struct Start {
        int index;
        std::vector<std::string> playlist;
    };

    tavtest::TempDir dir;
    uint32_t now = 5000;
    std::vector<int> timer;
    bool timerRunning = false;
    std::vector<Start> started;
    int broughtToFront = 0;
};

TEST_F(HandOver, FilesRightAfterStartJoinTheCommandLinePlaylist) {
    tav::ThePlaylist().entries = {f("a.mp3")};
    tav::ThePlaylist().current = 0;
    tav::HandOverReceiver r(hooks());
    r.markStart();
    now += 200;
    EXPECT_EQ(r.receive(1, f("b.mp3")), 1);
    now += 99;  // still inside the 300 ms
    r.receive(2, f("c.mp3"));
    EXPECT_EQ(tav::ThePlaylist().entries, (std::vector<std::string>{f("a.mp3"), f("b.mp3"), f("c.mp3")}));
    EXPECT_EQ(tav::ThePlaylist().current, 0);
    EXPECT_TRUE(timer.empty());
    EXPECT_TRUE(started.empty());  // playback is not restarted
    EXPECT_EQ(broughtToFront, 0);
}

TEST_F(HandOver, LaterFilesFormOneBatchThatReplacesThePlaylist) {
    tav::ThePlaylist().entries = {f("a.mp3")};
    tav::HandOverReceiver r(hooks());
    r.markStart();
    now += 10000;
    r.receive(1, f("b.mp3"));
    now += 100;
    r.receive(2, f("c.mp3"));
    now += 100;
    r.receive(2, f("d.mp3"));
    // Each file restarts the 300 ms; nothing changes before it expires.
    EXPECT_EQ(timer, (std::vector<int>{300, 300, 300}));
    EXPECT_EQ(tav::ThePlaylist().entries, (std::vector<std::string>{f("a.mp3")}));
    EXPECT_EQ(r.pendingBatch().size(), 3u);
    expire(r);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].index, 0);
    EXPECT_EQ(started[0].playlist, (std::vector<std::string>{f("b.mp3"), f("c.mp3"), f("d.mp3")}));
    EXPECT_FALSE(timerRunning);
    EXPECT_TRUE(r.pendingBatch().empty());
    EXPECT_EQ(broughtToFront, 1);
}

TEST_F(HandOver, AnEmptyPlaylistAtStartWaitsForTheBatch) {
    tav::HandOverReceiver r(hooks());
    r.markStart();
    now += 50;
    r.receive(1, f("a.mp3"));
    EXPECT_TRUE(tav::ThePlaylist().entries.empty());
    expire(r);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].playlist, (std::vector<std::string>{f("a.mp3")}));
}

TEST_F(HandOver, WithoutBatchDelayEachFileReplacesThePlaylist) {
    tav::Settings().advanced.DisableBatchDelay = true;
    tav::ThePlaylist().entries = {f("a.mp3")};
    tav::HandOverReceiver r(hooks());
    r.markStart();
    now += 10;  // even right after start
    for (const char* name : {"b.mp3", "c.mp3", "d.mp3"}) {
        r.receive(2, f(name));
        expire(r);
        now += 5;
    }
    EXPECT_EQ(timer, (std::vector<int>{0, 0, 0}));
    ASSERT_EQ(started.size(), 3u);
    EXPECT_EQ(started[0].playlist, (std::vector<std::string>{f("b.mp3")}));
    EXPECT_EQ(started[2].playlist, (std::vector<std::string>{f("d.mp3")}));
    EXPECT_EQ(tav::ThePlaylist().entries, (std::vector<std::string>{f("d.mp3")}));
}

TEST_F(HandOver, UnusableMessagesAreIgnored) {
    tav::HandOverReceiver r(hooks());
    r.markStart();
    now += 1000;
    EXPECT_EQ(r.receive(0, f("a.mp3")), 1);
    EXPECT_EQ(r.receive(3, f("a.mp3")), 1);
    EXPECT_EQ(r.receive(1, f("missing.mp3")), 1);
    EXPECT_EQ(r.receive(1, ""), 1);
    EXPECT_TRUE(timer.empty());
    EXPECT_TRUE(r.pendingBatch().empty());
    r.applyBatch();  // an empty batch starts nothing
    EXPECT_TRUE(started.empty());
}

TEST_F(HandOver, OneFileWithLoadFolderStillPlaysThatFile) {
    // Folder loading is not available yet: the file alone becomes the playlist.
    tav::Settings().playback.LoadFolder = true;
    tav::HandOverReceiver r(hooks());
    r.markStart();
    now += 1000;
    r.receive(1, f("b.mp3"));
    expire(r);
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].index, 0);
    EXPECT_EQ(started[0].playlist, (std::vector<std::string>{f("b.mp3")}));
}

TEST_F(HandOver, BringToFrontOnlyWhenSet) {
    tav::Settings().playback.BringToFront = false;
    tav::HandOverReceiver r(hooks());
    r.markStart();
    now += 1000;
    r.receive(1, f("a.mp3"));
    expire(r);
    EXPECT_EQ(started.size(), 1u);
    EXPECT_EQ(broughtToFront, 0);
}

TEST_F(HandOver, TheTickCountMayWrapAround) {
    now = 0xFFFFFF00u;
    tav::ThePlaylist().entries = {f("a.mp3")};
    tav::HandOverReceiver r(hooks());
    r.markStart();
    now = 0x40;  // 320 ms later across the wrap
    r.receive(1, f("b.mp3"));
    EXPECT_EQ(timer, (std::vector<int>{300}));
    tav::HandOverReceiver early(hooks());
    now = 0xFFFFFF00u;
    early.markStart();
    now = 0x10;  // 272 ms later
    early.receive(1, f("c.mp3"));
    EXPECT_EQ(tav::ThePlaylist().entries, (std::vector<std::string>{f("a.mp3"), f("c.mp3")}));
}

}  // namespace
