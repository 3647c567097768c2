// Stream titles as stations send them: the metadata forms, the ways artist
// and title are written inside them, and the header lookup.
#include <gtest/gtest.h>

#include "playback/Tags.h"

namespace {

struct SplitCase {
    const char* text;
    const char* artist;
    const char* title;
};

class SplitStreamTitleCases : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitStreamTitleCases, Splits) {
    const SplitCase& c = GetParam();
    const auto [artist, title] = tav::SplitStreamTitle(c.text);
    EXPECT_EQ(artist, c.artist);
    EXPECT_EQ(title, c.title);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SplitStreamTitleCases,
    testing::Values(
        SplitCase{"Band - Song", "Band", "Song"},
        // Only the first spaced hyphen separates.
        SplitCase{"Band - Song - Live", "Band", "Song - Live"},
        SplitCase{"Just a title", "", "Just a title"},
        SplitCase{"Well-known", "", "Well-known"},
        SplitCase{"", "", ""},
        // The marker form some station networks send.
        SplitCase{"Band - text=\"Song\" song_spot=\"M\" MediaBaseId=\"0\"", "Band", "Song"},
        SplitCase{"Band - text=\"Song", "Band", ""},
        SplitCase{"title=\"Song\" artist=\"Band\"", "Band", "Song"},
        SplitCase{"artist=\"Band\" title=\"Song\"", "Band", "Song"},
        SplitCase{"title=\"Song\"", "", "Song"},
        SplitCase{"artist=\"Band\"", "Band", ""},
        // Unclosed quotes give nothing, and the text is split as plain text.
        SplitCase{"title=\"Song - Live", "title=\"Song", "Live"},
        SplitCase{"title=\"Song", "", "title=\"Song"}));

struct MetaCase {
    const char* meta;
    const char* raw;    // the text inside the metadata
    const char* title;  // what GetStreamTitle gives
};

class StreamTitleCases : public testing::TestWithParam<MetaCase> {};

TEST_P(StreamTitleCases, ReadsTheTitle) {
    const MetaCase& c = GetParam();
    EXPECT_EQ(tav::RawStreamTitle(c.meta), c.raw);
    EXPECT_EQ(tav::StreamTitleFromMeta(c.meta), c.title);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StreamTitleCases,
    testing::Values(
        MetaCase{"StreamTitle='Band - Song';StreamUrl='';", "Band - Song", "Band - Song"},
        MetaCase{"StreamTitle='Song';", "Song", "Song"},
        MetaCase{"StreamTitle='';StreamUrl='http://x';", "", ""},
        // An apostrophe inside the title is kept; only "';" ends it.
        MetaCase{"StreamTitle='Guns N' Roses - Patience';", "Guns N' Roses - Patience", "Guns N' Roses - Patience"},
        // No "';" after the opening: the rest counts when it ends with the quote.
        MetaCase{"StreamTitle='Band - Song'", "Band - Song", "Band - Song"},
        MetaCase{"StreamTitle='Band - Song", "", ""},
        MetaCase{"StreamTitle=\"Band - Song\";", "Band - Song", "Band - Song"},
        MetaCase{"StreamTitle=\"Band - Song", "", ""},
        MetaCase{"StreamUrl='x';", "", ""},
        MetaCase{"", "", ""},
        MetaCase{"StreamTitle='Band - text=\"Song\" song_spot=\"T\"';", "Band - text=\"Song\" song_spot=\"T\"",
                 "Band - Song"},
        MetaCase{"StreamTitle='title=\"Song\" artist=\"Band\"';", "title=\"Song\" artist=\"Band\"", "Band - Song"},
        // Only an artist: the text as sent.
        MetaCase{"StreamTitle='Band - ';", "Band - ", "Band - "},
        // Not UTF-8: read as Windows-1252 so that it can be spoken.
        MetaCase{"StreamTitle='Caf\xE9 - Tango \x96 Nuevo';", "Caf\xE9 - Tango \x96 Nuevo",
                 "Caf\xC3\xA9 - Tango \xE2\x80\x93 Nuevo"}));

struct HeaderCase {
    const char* block;
    const char* key;
    const char* value;
};

class HeaderCases : public testing::TestWithParam<HeaderCase> {};

TEST_P(HeaderCases, FindsTheLine) {
    const HeaderCase& c = GetParam();
    EXPECT_EQ(tav::HeaderValue(c.block, c.key), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, HeaderCases,
    testing::Values(HeaderCase{"icy-name: Test Radio\nicy-genre: Jazz\n", "icy-name", "Test Radio"},
                    HeaderCase{"icy-name: Test Radio\r\nicy-genre: Jazz\r\n", "icy-genre", "Jazz"},
                    HeaderCase{"ICY-NAME:Radio\n", "icy-name", "Radio"},
                    HeaderCase{"icy-name:    Spaced  \n", "icy-name", "Spaced  "},
                    // The key must be followed by the colon itself.
                    HeaderCase{"icy-name2: Other\nicy-name: Right\n", "icy-name", "Right"},
                    HeaderCase{"x-icy-name: Other\n", "icy-name", ""},
                    HeaderCase{"icy-br: 128", "icy-br", "128"},
                    HeaderCase{"icy-name\n", "icy-name", ""},
                    HeaderCase{"", "icy-name", ""}));

}  // namespace
