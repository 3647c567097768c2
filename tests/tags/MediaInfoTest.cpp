// Local files opened through the real opening path: what every information
// key says, what the tag dialog shows, and the chapters read at open.
#include <gtest/gtest.h>

#include <map>

#include "Fixtures.h"
#include "Player.h"
#include "SpeechCapture.h"
#include "TagBytes.h"
#include "playback/AudioEngine.h"
#include "playback/PlaybackSession.h"
#include "playback/Tags.h"
#include "playback/TrackInfo.h"
#include "playlist/Playlist.h"

using namespace tavtest;
using namespace tagtest;

namespace {

const std::string kCafe = "Caf\xC3\xA9";

class MediaInfo : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        const std::vector<std::string> mp3 = {"-c:a", "libmp3lame", "-b:a", "128k"};
        auto with = [](std::vector<std::string> a, const std::vector<std::string>& b) {
            a.insert(a.end(), b.begin(), b.end());
            return a;
        };
        ASSERT_TRUE(MakeTone(Path("tagged.mp3"), 440, 3,
                             with(mp3, {"-metadata", "title=Song", "-metadata", "artist=Band", "-metadata",
                                        "album=Record", "-metadata", "date=2004", "-metadata", "track=7", "-metadata",
                                        "genre=Jazz"})));
        // No tags at all; the tests add their own bytes to it.
        ASSERT_TRUE(MakeTone(Path("bare.mp3"), 440, 3,
                             with(mp3, {"-map_metadata", "-1", "-id3v2_version", "0", "-write_id3v1", "0"})));
        const std::string bare = ReadFile(Path("bare.mp3"));
        WriteFile(Path("v1.mp3"), bare + Id3v1Block("Old Song", "Old Band", "Caf\xE9", "1987", "Hi", 12, 17));
        // Chapter frames written out of order, as some podcast tools do.
        WriteFile(Path("chapters.mp3"),
                  Tag(3, Frame(3, "TIT2", Text(0, "Book")) +
                             Chap(3, "ch1", 300000, Frame(3, "TIT2", Text(0, "Second"))) +
                             Chap(3, "ch0", 0, Frame(3, "TIT2", Text(1, "\xFF\xFE" + Utf16(u"First", false)))) +
                             std::string(64, '\0')) +
                      bare);
        // Vorbis comments with chapters; chapter 2 starts after the end of
        // this short file, which does not matter to the list.
        std::vector<std::string> ogg = {"-c:a", "libvorbis", "-q:a", "0"};
        for (const char* m : {"TITLE=Song", "ARTIST=Band", "ALBUM=LP", "DATE=1999", "TRACKNUMBER=5", "GENRE=Pop",
                              "COMMENT=Nice", "CHAPTER001=00:00:00.000", "CHAPTER001NAME=Intro",
                              "CHAPTER002=00:05:00.000"}) {
            ogg.push_back("-metadata:s:a:0");
            ogg.push_back(m);
        }
        ASSERT_TRUE(MakeTone(Path("book.ogg"), 440, 2, ogg));
        ASSERT_TRUE(MakeTone(Path("plain.wav"), 440, 3, {"-map_metadata", "-1", "-fflags", "+bitexact"}, 22050, 1));
        // An hour and a bit, cheaply: 8-bit mono PCM at 8 kHz.
        ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono", "-t", "3725", "-c:a", "pcm_u8",
                            "-map_metadata", "-1", "-fflags", "+bitexact", Path("long.wav")}));
    }
    static void TearDownTestSuite() { delete dir_; }
    static std::string Path(const std::string& name) { return dir_->file(name); }

    // The file as the current playlist entry, opened as StartTrack opens it.
    void Open(const std::string& name) {
        tav::ThePlaylist().entries = {Path(name)};
        tav::ThePlaylist().current = 0;
        ASSERT_TRUE(tav::OpenMedia(Path(name))) << (player_.ui.boxes.empty() ? "" : player_.ui.boxes[0].text);
    }

    static TempDir* dir_;
    OfflinePlayer player_;
    SpeechCapture speech_;
};
TempDir* MediaInfo::dir_ = nullptr;

struct FileCase {
    const char* file;
    std::map<int, std::string> spoken;  // command -> what it says
    std::map<int, std::string> shown;   // tag dialog command -> its value
};
void PrintTo(const FileCase& c, std::ostream* os) { *os << c.file; }


class MediaInfoCases : public MediaInfo, public testing::WithParamInterface<FileCase> {};

TEST_P(MediaInfoCases, SpeaksAndShows) {
    const FileCase& c = GetParam();
    Open(c.file);
    for (const auto& [command, text] : c.spoken) EXPECT_EQ(speech_.say(player_.poster, command), text) << command;
    for (const auto& [command, text] : c.shown) EXPECT_EQ(tav::TagDialogValue(command), text) << command;
}

INSTANTIATE_TEST_SUITE_P(
    Files, MediaInfoCases,
    testing::Values(
        FileCase{"tagged.mp3",
                 {{261, "Band - Song"},
                  {214, "Band - Song"},
                  {262, "Artist: Band"},
                  {263, "Album: Record"},
                  {264, "Year: 2004"},
                  {265, "Track: 7"},
                  {266, "Genre: Jazz"},
                  {267, "No comment"},
                  {268, "128 kbps, 44100 Hz, stereo"},
                  {269, "Duration: 3 seconds"},
                  {260, "Filename: tagged.mp3"},
                  {209, "0:00"},
                  {210, "0:03"},
                  {211, "0:03"}},
                 {{270, "Band - Song"},
                  {271, "Band"},
                  {272, "Record"},
                  {273, "2004"},
                  {274, "7"},
                  {275, "Jazz"},
                  {276, "No comment"},
                  {277, "128 kbps, 44100 Hz, Stereo"},
                  {278, "0:03"},
                  {279, "tagged.mp3"}}},
        // Only an ID3v1.1 block: blank padding gone, Latin-1 made UTF-8,
        // the track byte and the genre index read.
        FileCase{"v1.mp3",
                 {{261, "Old Band - Old Song"},
                  {262, "Artist: Old Band"},
                  {263, "Album: " + kCafe},
                  {264, "Year: 1987"},
                  {265, "Track: 12"},
                  {266, "Genre: Rock"},
                  {267, "Comment: Hi"}},
                 {{272, kCafe}, {274, "12"}, {276, "Hi"}}},
        // Vorbis comments; the decoder hands TRACKNUMBER over as "track".
        FileCase{"book.ogg",
                 {{261, "Band - Song"},
                  {263, "Album: LP"},
                  {264, "Year: 1999"},
                  {265, "Track: 5"},
                  {266, "Genre: Pop"},
                  {267, "Comment: Nice"},
                  {269, "Duration: 2 seconds"}},
                 {{274, "5"}}},
        FileCase{"plain.wav",
                 {{261, "No title"},
                  {262, "No artist"},
                  {263, "No album"},
                  {264, "No year"},
                  {265, "No track number"},
                  {266, "No genre"},
                  {267, "No comment"},
                  {268, "352 kbps, 22050 Hz, mono"},
                  {260, "Filename: plain.wav"}},
                 {{270, "No title"},
                  {271, "No artist"},
                  {272, "No album"},
                  {273, "No year"},
                  {274, "No track"},
                  {275, "No genre"},
                  {276, "No comment"},
                  {277, "352 kbps, 22050 Hz, Mono"}}},
        FileCase{"long.wav",
                 {{269, "Duration: 1 hours, 2 minutes, 5 seconds"}, {211, "1:02:05"}, {210, "1:02:05"}},
                 {{278, "1:02:05"}}}),
    [](const auto& p) {
        std::string n = p.param.file;
        return n.substr(0, n.find('.'));
    });

TEST_F(MediaInfo, NothingLoaded) {
    for (int command : {214, 260, 261, 262, 263, 264, 265, 266, 267, 268, 269})
        EXPECT_EQ(speech_.say(player_.poster, command), "Nothing playing") << command;
    // The time keys say nothing at all.
    for (int command : {209, 210, 211}) EXPECT_EQ(speech_.say(player_.poster, command), "") << command;
    for (int command = 270; command <= 279; ++command)
        EXPECT_EQ(tav::TagDialogValue(command), "Nothing playing") << command;
}

// The list keys are asked for by the names the player uses, whatever the
// decoder calls them.
TEST_F(MediaInfo, VorbisKeysUnderThePlayersNames) {
    Open("book.ogg");
    const auto ch = tav::InformationChannel();
    EXPECT_EQ(tav::GetTagValue(ch, "TRACKNUMBER"), "5");
    EXPECT_EQ(tav::GetTagValue(ch, "track"), "5");
    EXPECT_EQ(tav::GetTagValue(ch, "title"), "Song");
    EXPECT_EQ(tav::GetTagValue(ch, "YEAR"), "");
}

TEST_F(MediaInfo, DialogCaptions) {
    const char* captions[] = {"Title", "Artist", "Album", "Year", "Track", "Genre", "Comment", "Bitrate", "Duration",
                              "Filename"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(tav::TagDialogCaption(270 + i), captions[i]);
    EXPECT_EQ(tav::TagDialogCaption(269), "");
    EXPECT_EQ(tav::TagDialogCaption(280), "");
}

TEST_F(MediaInfo, ChaptersAreReadAtOpen) {
    using Flat = std::vector<std::pair<double, std::string>>;
    auto chapters = [] {
        Flat out;
        for (const auto& c : tav::Session().chapters) out.emplace_back(c.start, c.title);
        return out;
    };
    Open("chapters.mp3");
    EXPECT_EQ(chapters(), (Flat{{0, "First"}, {300, "Second"}}));
    // The prepended tag is a real tag: the file plays and says its title.
    EXPECT_EQ(speech_.say(player_.poster, 261), "Book");
    EXPECT_EQ(speech_.say(player_.poster, 269), "Duration: 3 seconds");

    Open("book.ogg");
    EXPECT_EQ(chapters(), (Flat{{0, "Intro"}, {300, "Chapter 2"}}));

    Open("tagged.mp3");
    EXPECT_TRUE(chapters().empty());
}

}  // namespace
