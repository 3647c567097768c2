// Internet radio against a local ICY server: what the information keys say
// from the stream title and the station's headers, and the announcement of
// a new title (message 1027).
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "Fixtures.h"
#include "IcyServer.h"
#include "Player.h"
#include "SpeechCapture.h"
#include "playback/AudioEngine.h"
#include "playback/TrackInfo.h"
#include "playlist/Playlist.h"
#include "storage/AppSettings.h"

using namespace tavtest;
using namespace tagtest;

namespace {

// Counts the window-title refreshes the core asks for.
class CountingUi final : public tav::UiServices {
public:
    int messageBox(const std::string&, const std::string&, tav::BoxIcon, tav::BoxButtons) override { return tav::kBoxOk; }
    void refreshWindowTitle() override { ++titleRefreshes; }
    int titleRefreshes = 0;
};

class Radio : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        mp3_ = dir_->file("radio.mp3");
        ASSERT_TRUE(MakeTone(mp3_, 440, 20, {"-c:a", "libmp3lame", "-b:a", "128k"}));
    }
    static void TearDownTestSuite() { delete dir_; }

    // The station as the current playlist entry, opened as StartTrack opens it.
    void Tune(const IcyServer& server) {
        ASSERT_TRUE(server.ready());
        tav::ThePlaylist().entries = {server.url()};
        tav::ThePlaylist().current = 0;
        ASSERT_TRUE(tav::OpenUrlStream(server.url(), false));
    }

    static TempDir* dir_;
    static std::string mp3_;
    OfflinePlayer player_;
    SpeechCapture speech_;
};
TempDir* Radio::dir_ = nullptr;
std::string Radio::mp3_;

struct StationCase {
    const char* name;
    std::vector<std::string> server;    // icy_server.py options
    std::map<int, std::string> spoken;  // command -> what it says ("URL" stands for the address)
    std::map<int, std::string> shown;   // tag dialog command -> its value
};
void PrintTo(const StationCase& c, std::ostream* os) { *os << c.name; }


class StationCases : public Radio, public testing::WithParamInterface<StationCase> {};

TEST_P(StationCases, SpeaksAndShows) {
    const StationCase& c = GetParam();
    IcyServer server(mp3_, c.server);
    Tune(server);
    auto expand = [&](std::string s) { return s == "URL" ? server.url() : s.rfind("URL: ", 0) == 0 ? "URL: " + server.url() : s; };
    for (const auto& [command, text] : c.spoken)
        EXPECT_EQ(speech_.say(player_.poster, command), expand(text)) << command;
    for (const auto& [command, text] : c.shown) EXPECT_EQ(tav::TagDialogValue(command), expand(text)) << command;
}

INSTANTIATE_TEST_SUITE_P(
    Stations, StationCases,
    testing::Values(
        StationCase{"StreamTitle",
                    {},
                    {{261, "Band One - Song One"},
                     {214, "Band One - Song One"},
                     {262, "Artist: Band One"},
                     {263, "Station: Test Radio"},
                     {266, "Genre: Testing"},
                     {268, "128 kbps, 44100 Hz, stereo"},
                     {269, "Live stream"},
                     {260, "URL: "}},
                    {{270, "Band One - Song One"},
                     {271, "Band One"},
                     {272, "No album"},
                     {277, "128 kbps, 44100 Hz, Stereo"},
                     {278, "Unknown duration"},
                     {279, "URL"}}},
        // No titles at all: the station's name stands in for the title.
        StationCase{"NoMetadata",
                    {"--no-meta"},
                    {{261, "Test Radio"}, {262, "No artist"}, {263, "Station: Test Radio"}, {269, "Live stream"}},
                    {{270, "Test Radio"}}},
        StationCase{"MarkerForm",
                    {"--titles", "Band - text=\"Song\" song_spot=\"M\" MediaBaseId=\"123\""},
                    {{261, "Band - Song"}, {262, "Artist: Band"}},
                    {{271, "Band"}}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(Radio, NewTitleIsAnnouncedAndTheWindowTitleRefreshed) {
    CountingUi ui;
    tav::SetUiServices(&ui);
    // 128 kbit/s: the title changes after 4.1 s of audio.
    IcyServer server(mp3_, {"--title-every", "65536"});
    Tune(server);
    tav::Settings().speech.TrackChange = true;
    speech_.spoken.clear();
    ui.titleRefreshes = 0;
    int changes = 0;
    for (double heard = 0; heard < 6.0 && changes == 0;) {
        Audio a = player_.render(0.1);
        ASSERT_GT(a.frames(), 0u) << "the stream stalled";
        heard += a.seconds();
        changes = speech_.pump(player_.poster, true);
    }
    ASSERT_EQ(changes, 1);
    // The handler queued the title; its 1025 is pumped now.
    speech_.pump(player_.poster);
    EXPECT_EQ(speech_.spoken, std::vector<std::string>{"Band Two - Song Two"});
    EXPECT_EQ(speech_.interrupts, std::vector<bool>{true});
    EXPECT_EQ(ui.titleRefreshes, 1);

    // Without TrackChange the title is not spoken; the window title still follows.
    tav::Settings().speech.TrackChange = false;
    speech_.spoken.clear();
    tav::OnStreamTitleChanged();
    speech_.pump(player_.poster);
    EXPECT_TRUE(speech_.spoken.empty());
    EXPECT_EQ(ui.titleRefreshes, 2);
    tav::SetUiServices(&player_.ui);
}

}  // namespace
