// Saving the playlist at exit and restoring it at start.
#include <optional>
#include <string>
#include <vector>

#include "StorageTestUtil.h"
#include "platform/Ui.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"

namespace {

class PlaylistState : public tavtest::StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        tav::PlaylistMedia m;
        m.open = [this](const std::string& location) {
            opened.push_back(location);
            return openSucceeds;
        };
        m.hasKnownLength = [this] { return knownLength; };
        m.seek = [this](double seconds) { seekedTo = seconds; };
        m.position = [this] { return position; };
        tav::SetPlaylistMedia(m);
    }

    std::vector<std::string> opened;
    std::optional<double> seekedTo;
    bool openSucceeds = true;
    bool knownLength = true;
    double position = 0.0;
};

TEST_F(PlaylistState, SaveWithRememberState) {
    writeIni("[Playlist]\nTrack0=/old/0.mp3\nTrack1=/old/1.mp3\nTrack2=/old/2.mp3\nTrack3=/old/3.mp3\n");
    tav::Settings().playback.RememberState = true;
    tav::ThePlaylist().entries = {"/m/a.mp3", "http://radio.example/stream", "/m/c.flac"};
    tav::ThePlaylist().current = 1;
    position = 12.5;
    ASSERT_TRUE(tav::SavePlaylistState());
    EXPECT_EQ(readIni(),
              "[Playlist]\n"
              "Track0=/m/a.mp3\n"
              "Track1=http://radio.example/stream\n"
              "Track2=/m/c.flac\n"
              "\n[State]\n"
              "TrackCount=3\n"
              "CurrentTrack=1\n"
              "LastFile=http://radio.example/stream\n"
              "LastPosition=12.50\n");
}

TEST_F(PlaylistState, SaveWithoutACurrentEntry) {
    tav::Settings().playback.RememberState = true;
    tav::ThePlaylist().entries = {"/m/a.mp3"};
    position = 40.0;
    ASSERT_TRUE(tav::SavePlaylistState());
    const tav::IniFile ini = loadIni();
    EXPECT_EQ(ini.getString("State", "CurrentTrack"), "-1");
    EXPECT_TRUE(ini.hasKey("State", "LastFile"));
    EXPECT_EQ(ini.getString("State", "LastFile", "missing"), "");
    EXPECT_EQ(ini.getString("State", "LastPosition"), "0");
}

TEST_F(PlaylistState, SaveWithoutRememberStateKeepsNothing) {
    writeIni("[State]\nTrackCount=2\nCurrentTrack=1\nLastFile=/m/b.mp3\nLastPosition=3.00\n"
             "[Playlist]\nTrack0=/m/a.mp3\nTrack1=/m/b.mp3\n");
    tav::ThePlaylist().entries = {"/m/a.mp3", "/m/b.mp3"};
    tav::ThePlaylist().current = 1;
    ASSERT_TRUE(tav::SavePlaylistState());
    EXPECT_EQ(readIni(), "[State]\nTrackCount=0\nCurrentTrack=0\nLastFile=\nLastPosition=0\n\n[Playlist]\n");
}

TEST_F(PlaylistState, RestoreChoosesEntries) {
    struct Case {
        const char* name;
        std::string ini;
        std::vector<std::string> entries;
        int current;
    };
    const Case cases[] = {
        {"current 1 of 3", "[State]\nTrackCount=3\nCurrentTrack=1\n[Playlist]\nTrack0=/a\nTrack1=/b\nTrack2=/c\n",
         {"/a", "/b", "/c"}, 1},
        {"current 7 of 3", "[State]\nTrackCount=3\nCurrentTrack=7\n[Playlist]\nTrack0=/a\nTrack1=/b\nTrack2=/c\n",
         {"/a", "/b", "/c"}, 0},
        {"current -1", "[State]\nTrackCount=2\nCurrentTrack=-1\n[Playlist]\nTrack0=/a\nTrack1=/b\n", {"/a", "/b"}, 0},
        {"empty values skipped, index into what is left",
         "[State]\nTrackCount=4\nCurrentTrack=2\n[Playlist]\nTrack0=/a\nTrack1=\nTrack2=/c\nTrack3=/d\n",
         {"/a", "/c", "/d"}, 2},
        {"only TrackCount keys", "[State]\nTrackCount=1\n[Playlist]\nTrack0=/a\nTrack1=/b\n", {"/a"}, 0},
        {"no count, only LastFile", "[State]\nTrackCount=0\nLastFile=/m/last.mp3\n[Playlist]\nTrack0=/a\n",
         {"/m/last.mp3"}, 0},
        {"keys out of order", "[State]\nTrackCount=3\nCurrentTrack=2\n[Playlist]\nTrack2=/c\nTrack0=/a\ntrack1=/b\n",
         {"/a", "/b", "/c"}, 2},
        {"a huge count", "[State]\nTrackCount=2147483647\n[Playlist]\nTrack0=/a\nTrack9=/j\nTrack09=/x\n",
         {"/a", "/j"}, 0},
    };
    tav::Settings().playback.RememberState = true;
    for (const Case& c : cases) {
        writeIni(c.ini);
        opened.clear();
        tav::LoadPlaylistState();
        EXPECT_EQ(tav::ThePlaylist().entries, c.entries) << c.name;
        EXPECT_EQ(tav::ThePlaylist().current, c.current) << c.name;
        EXPECT_EQ(opened, std::vector<std::string>{c.entries[static_cast<size_t>(c.current)]}) << c.name;
    }
}

TEST_F(PlaylistState, NothingToRestore) {
    tav::Settings().playback.RememberState = true;
    tav::ThePlaylist().entries = {"/stale"};
    writeIni("[State]\nTrackCount=0\nLastFile=\n");
    tav::LoadPlaylistState();
    EXPECT_TRUE(tav::ThePlaylist().entries.empty());
    EXPECT_EQ(tav::ThePlaylist().current, -1);
    EXPECT_TRUE(opened.empty());
}

TEST_F(PlaylistState, RestoreNeedsRememberState) {
    writeIni("[State]\nTrackCount=1\nLastPosition=5\n[Playlist]\nTrack0=/a\n");
    tav::ThePlaylist().entries = {"/cmdline.mp3"};
    tav::LoadPlaylistState();
    EXPECT_EQ(tav::ThePlaylist().entries, std::vector<std::string>{"/cmdline.mp3"});
    EXPECT_TRUE(opened.empty());
}

TEST_F(PlaylistState, SeekAfterRestore) {
    struct Case {
        const char* name;
        const char* lastPosition;  // nullptr: no key
        bool openSucceeds, knownLength;
        std::optional<double> seek;
    };
    const Case cases[] = {
        {"position of a file", "12.5", true, true, 12.5},
        {"live stream", "12.5", true, false, std::nullopt},
        {"open failed", "12.5", false, true, std::nullopt},
        {"zero", "0", true, true, std::nullopt},
        {"negative", "-4", true, true, std::nullopt},
        {"missing", nullptr, true, true, std::nullopt},
        {"not a number", "soon", true, true, std::nullopt},
    };
    tav::Settings().playback.RememberState = true;
    for (const Case& c : cases) {
        std::string text = "[State]\nTrackCount=0\nLastFile=/m/last.mp3\n";
        if (c.lastPosition) text += std::string("LastPosition=") + c.lastPosition + "\n";
        writeIni(text);
        openSucceeds = c.openSucceeds;
        knownLength = c.knownLength;
        seekedTo.reset();
        tav::LoadPlaylistState();
        EXPECT_EQ(seekedTo, c.seek) << c.name;
    }
}

TEST_F(PlaylistState, SaveThenRestore) {
    tav::Settings().playback.RememberState = true;
    tav::ThePlaylist().entries = {"/m/a.mp3", "/m/b.mp3", "/m/c.mp3"};
    tav::ThePlaylist().current = 1;
    position = 12.5;
    ASSERT_TRUE(tav::SavePlaylistState());
    ASSERT_TRUE(tav::SaveSettings());

    tav::ThePlaylist() = tav::Playlist{};
    tav::Settings() = tav::AppSettings{};
    tav::LoadSettings();
    tav::LoadPlaylistState();
    EXPECT_EQ(tav::ThePlaylist().entries.size(), 3u);
    EXPECT_EQ(opened, std::vector<std::string>{"/m/b.mp3"});
    EXPECT_EQ(seekedTo, 12.5);
}

}  // namespace

namespace {

class SilentUi final : public tav::UiServices {
public:
    int boxes = 0;
    int messageBox(const std::string&, const std::string&, tav::BoxIcon, tav::BoxButtons) override {
        ++boxes;
        return tav::kBoxOk;
    }
};

// The real opening and seeking path, on the engine's "No sound" device (the
// position only moves when the mix is pulled, so it stays where the seek put it).
class PlaylistRestoreWithEngine : public tavtest::StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        tav::SetUiServices(&ui_);
        ASSERT_TRUE(tav::StartAudioEngineWithoutOutput());
    }
    void TearDown() override {
        tav::FreeAudioEngine();
        tav::SetUiServices(nullptr);
        StorageTest::TearDown();
    }
    SilentUi ui_;
};

TEST_F(PlaylistRestoreWithEngine, OpensTheSavedEntryAtTheSavedPosition) {
    const std::string a = dir_.file("a.wav"), b = dir_.file("b.wav");
    ASSERT_TRUE(tavtest::MakeTone(a, 440, 3));
    ASSERT_TRUE(tavtest::MakeTone(b, 660, 20));
    tav::Settings().playback.RememberState = true;
    writeIni("[State]\nTrackCount=2\nCurrentTrack=1\nLastPosition=12.5\n[Playlist]\nTrack0=" + a +
             "\nTrack1=" + b + "\n");
    tav::LoadPlaylistState();
    EXPECT_EQ(tav::ThePlaylist().current, 1);
    ASSERT_NE(tav::Session().playStream, 0u);
    EXPECT_NEAR(tav::CurrentPosition(), 12.5, 0.05);

    // And the exit writes that position back.
    ASSERT_TRUE(tav::SavePlaylistState());
    EXPECT_EQ(loadIni().getString("State", "LastPosition"), "12.50");
    EXPECT_EQ(loadIni().getString("State", "LastFile"), b);
}

TEST_F(PlaylistRestoreWithEngine, AMissingFileIsNotSeeked) {
    tav::Settings().playback.RememberState = true;
    writeIni("[State]\nTrackCount=0\nLastFile=" + dir_.file("gone.mp3") + "\nLastPosition=12.5\n");
    tav::LoadPlaylistState();
    EXPECT_EQ(tav::ThePlaylist().entries.size(), 1u);
    EXPECT_EQ(tav::Session().playStream, 0u);
    EXPECT_EQ(ui_.boxes, 1);  // the opening code's own report
}

}  // namespace
