// ID3v2 frames walked over crafted tags (sizes, versions, extended headers,
// text encodings, frames that lie about their size), ID3v1 blocks, chapter
// lists from both tag kinds, and time formatting.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "TagBytes.h"
#include "playback/Chapters.h"
#include "playback/FormatTime.h"
#include "playback/Tags.h"

using namespace tagtest;

namespace {

// A title long enough that its size needs the eighth bit of the last size
// byte: read with the wrong rule for its version it comes out wrong.
const std::string kLongTitle(199, 'a');

struct WalkCase {
    const char* name;
    std::string tag;
    std::vector<std::string> ids;  // the frames found, in order
    std::string title;             // TIT2 as decoded
};
void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.name; }


class FrameWalkCases : public testing::TestWithParam<WalkCase> {};

TEST_P(FrameWalkCases, FindsTheFrames) {
    const WalkCase& c = GetParam();
    std::vector<std::string> ids;
    for (const auto& f : tav::Id3v2Frames(c.tag)) {
        ids.emplace_back(f.id);
        // Every frame lies inside the tag.
        EXPECT_GE(f.data.data(), c.tag.data());
        EXPECT_LE(f.data.data() + f.data.size(), c.tag.data() + c.tag.size());
    }
    EXPECT_EQ(ids, c.ids);
    EXPECT_EQ(tav::Id3v2Value(c.tag, "TIT2"), c.title);
}

std::string TwoFrames(int v) { return Frame(v, "TIT2", Text(0, kLongTitle)) + Frame(v, "TPE1", Text(0, "Band")); }

INSTANTIATE_TEST_SUITE_P(
    Tags, FrameWalkCases,
    testing::Values(
        WalkCase{"V3BigEndianSizes", Tag(3, TwoFrames(3)), {"TIT2", "TPE1"}, kLongTitle},
        WalkCase{"V4SynchsafeSizes", Tag(4, TwoFrames(4)), {"TIT2", "TPE1"}, kLongTitle},
        // 2.3: six bytes of extended header after its four-byte size.
        WalkCase{"V3ExtendedHeader", Tag(3, Be32(6) + std::string(6, '\0') + TwoFrames(3), 0x40), {"TIT2", "TPE1"},
                 kLongTitle},
        // 2.4: the synchsafe size counts the whole extended header.
        WalkCase{"V4ExtendedHeader", Tag(4, Synchsafe(6) + std::string("\x01\x00", 2) + TwoFrames(4), 0x40),
                 {"TIT2", "TPE1"}, kLongTitle},
        WalkCase{"ExtendedHeaderLargerThanTag", Tag(3, Be32(5000) + TwoFrames(3), 0x40), {}, ""},
        WalkCase{"FrameRunningPastTheEnd",
                 Tag(3, Frame(3, "TIT2", Text(0, "Song")) + Frame(3, "TPE1", Text(0, "Band"), 1000)), {"TIT2"}, "Song"},
        WalkCase{"FirstFrameRunningPastTheEnd", Tag(4, Frame(4, "TIT2", Text(0, "Song"), 6)), {}, ""},
        // A size field with every bit set: no wrap-around into a small size.
        WalkCase{"HugeFrameSize", Tag(3, Frame(3, "TIT2", Text(0, "Song"), 0xFFFFFFFF)), {}, ""},
        WalkCase{"TagSmallerThanItsFrames",
                 Tag(3, Frame(3, "TIT2", Text(0, "Song")) + Frame(3, "TPE1", Text(0, "Band")), 0, 15), {"TIT2"},
                 "Song"},
        WalkCase{"TagLargerThanTheBlock", Tag(3, Frame(3, "TIT2", Text(0, "Song")), 0, 4096), {"TIT2"}, "Song"},
        WalkCase{"PaddingEndsTheWalk",
                 Tag(3, Frame(3, "TIT2", Text(0, "Song")) + std::string(20, '\0') + Frame(3, "TPE1", Text(0, "Band"))),
                 {"TIT2"}, "Song"},
        WalkCase{"ZeroSizeEndsTheWalk", Tag(3, Frame(3, "TIT2", "") + Frame(3, "TPE1", Text(0, "Band"))), {}, ""},
        WalkCase{"ShortRemainderIsNotAHeader", Tag(3, Frame(3, "TIT2", Text(0, "Song")) + "TPE1\0\0"), {"TIT2"},
                 "Song"},
        WalkCase{"Version22NotRead", Tag(2, TwoFrames(3)), {}, ""},
        WalkCase{"NotAnId3Tag", std::string("ID4") + Tag(3, TwoFrames(3)).substr(3), {}, ""},
        WalkCase{"HeaderOnly", std::string("ID3\x03\x00\x00\x00\x00\x00", 9), {}, ""}),
    [](const auto& p) { return std::string(p.param.name); });

struct TextCase {
    const char* name;
    std::string data;  // a text frame's content
    std::string utf8;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }


class TextFrameCases : public testing::TestWithParam<TextCase> {};

TEST_P(TextFrameCases, DecodesToUtf8) { EXPECT_EQ(tav::DecodeId3v2Text(GetParam().data), GetParam().utf8); }

const std::string kCafe = "Caf\xC3\xA9";
const std::string kNote = "\xF0\x9F\x8E\xB5";  // U+1F3B5, a surrogate pair in UTF-16

INSTANTIATE_TEST_SUITE_P(
    Encodings, TextFrameCases,
    testing::Values(
        TextCase{"Latin1", Text(0, "Caf\xE9"), kCafe},
        TextCase{"Utf8", Text(3, kCafe), kCafe},
        TextCase{"Utf16LittleEndianMark", Text(1, "\xFF\xFE" + Utf16(u"Caf\u00E9", false)), kCafe},
        TextCase{"Utf16BigEndianMark", Text(1, "\xFE\xFF" + Utf16(u"Caf\u00E9", true)), kCafe},
        TextCase{"Utf16WithoutMark", Text(1, Utf16(u"Caf\u00E9", false)), kCafe},
        TextCase{"Utf16BigEndian", Text(2, Utf16(u"Caf\u00E9", true)), kCafe},
        TextCase{"SurrogatePair", Text(1, "\xFF\xFE" + Utf16(u"\U0001F3B5", false)), kNote},
        TextCase{"LoneSurrogate", Text(2, Utf16(u"a", true) + std::string("\xD8\x00", 2)), "a\xEF\xBF\xBD"},
        TextCase{"UpToTheFirstNul", Text(0, std::string("One\0Two", 7)), "One"},
        TextCase{"Utf16UpToTheFirstNul", Text(1, "\xFF\xFE" + Utf16(u"One", false) + std::string(2, '\0') +
                                                     Utf16(u"Two", false)),
                 "One"},
        TextCase{"TrailingNuls", Text(3, std::string("Song\0\0", 6)), "Song"},
        TextCase{"OddByteDropped", Text(2, Utf16(u"Ab", true) + "x"), "Ab"},
        TextCase{"UnknownEncoding", Text(7, "Song"), ""},
        TextCase{"Empty", "", ""}),
    [](const auto& p) { return std::string(p.param.name); });

struct CommentCase {
    const char* name;
    std::string data;
    std::string text;
};
void PrintTo(const CommentCase& c, std::ostream* os) { *os << c.name; }


class CommentFrameCases : public testing::TestWithParam<CommentCase> {};

TEST_P(CommentFrameCases, SkipsLanguageAndDescription) {
    EXPECT_EQ(tav::DecodeId3v2Comment(GetParam().data), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, CommentFrameCases,
    testing::Values(
        CommentCase{"NoDescription", Text(0, std::string("eng\0Nice", 8)), "Nice"},
        CommentCase{"Description", Text(3, std::string("engAbout\0Nice", 13)), "Nice"},
        CommentCase{"Utf16", Text(1, "eng\xFF\xFE" + Utf16(u"d", false) + std::string(2, '\0') + "\xFF\xFE" +
                                         Utf16(u"Nice", false)),
                    "Nice"},
        CommentCase{"UnterminatedDescription", Text(0, "engAbout"), ""},
        CommentCase{"TooShort", Text(0, "en"), ""}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Id3v2Value, CommentFrameGivesItsText) {
    const std::string tag = Tag(3, Frame(3, "COMM", Text(0, std::string("eng\0Nice", 8))));
    EXPECT_EQ(tav::Id3v2Value(tag, "COMM"), "Nice");
}

TEST(Id3v1, DecodesTheBlock) {
    const auto t = tav::ParseId3v1(Id3v1Block("Old Song", "Old Band", "Caf\xE9", "1987", "Hi", 12, 17));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->title, "Old Song");
    EXPECT_EQ(t->artist, "Old Band");
    EXPECT_EQ(t->album, kCafe);
    EXPECT_EQ(t->year, "1987");
    EXPECT_EQ(t->comment, "Hi");
    EXPECT_EQ(t->track, 12);
    EXPECT_EQ(tav::Id3v1GenreName(t->genre), "Rock");

    // Without the ID3v1.1 track byte the comment has all 30 bytes.
    const auto v10 = tav::ParseId3v1(Id3v1Block("T", "A", "B", "2000", std::string(30, 'c'), 0, 255));
    ASSERT_TRUE(v10);
    EXPECT_EQ(v10->comment, std::string(30, 'c'));
    EXPECT_EQ(v10->track, 0);
    EXPECT_EQ(tav::Id3v1GenreName(v10->genre), "");

    EXPECT_FALSE(tav::ParseId3v1(std::string(128, '\0')));
    EXPECT_FALSE(tav::ParseId3v1("TAG"));
}

TEST(Id3v1, GenreNames) {
    EXPECT_EQ(tav::Id3v1GenreName(0), "Blues");
    EXPECT_EQ(tav::Id3v1GenreName(8), "Jazz");
    EXPECT_EQ(tav::Id3v1GenreName(79), "Hard Rock");
    EXPECT_EQ(tav::Id3v1GenreName(80), "");
    EXPECT_EQ(tav::Id3v1GenreName(-1), "");
}

using Chapters = std::vector<std::pair<double, std::string>>;

Chapters Flat(const std::vector<tav::Chapter>& list) {
    Chapters out;
    for (const auto& c : list) out.emplace_back(c.start, c.title);
    return out;
}

struct VorbisCase {
    const char* name;
    std::vector<std::string> comments;
    Chapters chapters;
};
void PrintTo(const VorbisCase& c, std::ostream* os) { *os << c.name; }


class VorbisChapterCases : public testing::TestWithParam<VorbisCase> {};

TEST_P(VorbisChapterCases, BuildsTheList) {
    EXPECT_EQ(Flat(tav::ChaptersFromVorbisComments(GetParam().comments)), GetParam().chapters);
}

INSTANTIATE_TEST_SUITE_P(
    Comments, VorbisChapterCases,
    testing::Values(
        VorbisCase{"NamedAndUnnamed",
                   {"TITLE=Book", "CHAPTER001=00:00:00.000", "CHAPTER001NAME=Intro", "CHAPTER002=00:05:00.000"},
                   {{0, "Intro"}, {300, "Chapter 2"}}},
        VorbisCase{"InNumberOrder",
                   {"CHAPTER010=00:10:00.000", "CHAPTER002NAME=Two", "CHAPTER002=00:01:00.000", "CHAPTER001=0"},
                   {{0, "Chapter 1"}, {60, "Two"}, {600, "Chapter 10"}}},
        VorbisCase{"TimeForms",
                   {"CHAPTER001=0", "CHAPTER002=1:30", "CHAPTER003=95.25", "CHAPTER004=1:02:03.5"},
                   {{0, "Chapter 1"}, {90, "Chapter 2"}, {95.25, "Chapter 3"}, {3723.5, "Chapter 4"}}},
        // An unreadable time is 0: only chapter 1 keeps it.
        VorbisCase{"UnreadableTimes",
                   {"CHAPTER001=soon", "CHAPTER002=later", "CHAPTER002NAME=Lost", "CHAPTER003=00:02:00"},
                   {{0, "Chapter 1"}, {120, "Chapter 3"}}},
        VorbisCase{"AnyCase", {"chapter001=00:00:00.000", "Chapter001Name=Start"}, {{0, "Start"}}},
        VorbisCase{"NotChapters",
                   {"CHAPTER000=00:00:05", "CHAPTER=5", "CHAPTERX=5", "CHAPTER002URL=http://x", "CHAPTERS=3",
                    "CHAPTER99999999999999=00:00:05"},
                   {}},
        VorbisCase{"NameWithoutTime", {"CHAPTER001=0", "CHAPTER002NAME=Orphan"}, {{0, "Chapter 1"}}},
        VorbisCase{"NoComments", {}, {}}),
    [](const auto& p) { return std::string(p.param.name); });

struct ChapCase {
    const char* name;
    std::string tag;
    Chapters chapters;
};
void PrintTo(const ChapCase& c, std::ostream* os) { *os << c.name; }


class Id3ChapterCases : public testing::TestWithParam<ChapCase> {};

TEST_P(Id3ChapterCases, ReadsAndSorts) { EXPECT_EQ(Flat(tav::ChaptersFromId3v2(GetParam().tag)), GetParam().chapters); }

std::string Tit2(int v, int enc, const std::string& bytes) { return Frame(v, "TIT2", Text(enc, bytes)); }

INSTANTIATE_TEST_SUITE_P(
    Frames, Id3ChapterCases,
    testing::Values(
        ChapCase{"V3OutOfOrder",
                 Tag(3, Chap(3, "ch1", 300000, Tit2(3, 0, "Second")) + Chap(3, "ch0", 0, Tit2(3, 0, "First"))),
                 {{0, "First"}, {300, "Second"}}},
        ChapCase{"V4Utf16Titles",
                 Tag(4, Frame(4, "TIT2", Text(0, "Book")) +
                            Chap(4, "b", 61500, Tit2(4, 1, "\xFF\xFE" + Utf16(u"Caf\u00E9", false))) +
                            Chap(4, "a", 0, Tit2(4, 2, Utf16(u"Start", true)))),
                 {{0, "Start"}, {61.5, kCafe}}},
        // Generated names count the chapters read so far, in file order.
        ChapCase{"Untitled",
                 Tag(3, Chap(3, "x", 9000, "") + Chap(3, "y", 1000, Frame(3, "TPE1", Text(0, "Someone")))),
                 {{1, "Chapter 2"}, {9, "Chapter 1"}}},
        ChapCase{"UnknownEncoding", Tag(3, Chap(3, "x", 0, Tit2(3, 9, "Odd"))), {{0, "Chapter 1"}}},
        ChapCase{"TooShortTitleSkipped", Tag(3, Chap(3, "x", 0, Frame(3, "TIT2", std::string(1, '\0')) + Tit2(3, 0, "Real"))),
                 {{0, "Real"}}},
        ChapCase{"SubFrameRunningPastTheEnd",
                 Tag(3, Chap(3, "x", 2000, Frame(3, "TIT2", Text(0, "Cut"), 500))), {{2, "Chapter 1"}}},
        ChapCase{"ElementIdWithoutEnd", Tag(3, Frame(3, "CHAP", "abcdefgh") + Chap(3, "ok", 0, Tit2(3, 0, "Ok"))),
                 {{0, "Ok"}}},
        ChapCase{"TimesMissing", Tag(3, Frame(3, "CHAP", std::string("x\0\0\0\0\x01", 6))), {}},
        ChapCase{"NoChapters", Tag(3, Tit2(3, 0, "Song")), {}}),
    [](const auto& p) { return std::string(p.param.name); });

struct TimeCase {
    double seconds;
    const char* text;
};

class FormatTimeCases : public testing::TestWithParam<TimeCase> {};

TEST_P(FormatTimeCases, Formats) { EXPECT_EQ(tav::FormatTime(GetParam().seconds), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Times, FormatTimeCases,
                         testing::Values(TimeCase{0, "0:00"}, TimeCase{59.99, "0:59"}, TimeCase{60, "1:00"},
                                         TimeCase{754, "12:34"}, TimeCase{3599.5, "59:59"}, TimeCase{3600, "1:00:00"},
                                         TimeCase{3725, "1:02:05"}, TimeCase{360000, "100:00:00"},
                                         TimeCase{-5, "0:00"},
                                         TimeCase{std::numeric_limits<double>::quiet_NaN(), "0:00"}));

}  // namespace
