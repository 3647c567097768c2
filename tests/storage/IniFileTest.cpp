// The INI document: what the Windows profile functions would read from a file,
// what survives a load/save, and the limits on hostile files.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "support/Fixtures.h"
#include "storage/IniFile.h"

using tav::IniFile;

namespace {

IniFile Parse(const std::string& text) {
    IniFile ini;
    ini.parse(text);
    return ini;
}

TEST(IniFile, ReadsLikeTheProfileFunctions) {
    // BOM, CRLF and LF mixed, blanks around names and values, another case.
    const IniFile ini = Parse(
        "\xEF\xBB\xBF[Playback]\r\n"
        "  Volume = 80 \r\n"
        "DeviceName=\tUSB Audio  \r\n"
        "volume=10\n"
        "[ advanced ]\n"
        "BufferSize=700\n"
        "[Playback]\n"
        "Shuffle=1\n");
    EXPECT_EQ(ini.getInt("PLAYBACK", "volume", -1), 80);  // the first of two keys counts
    EXPECT_EQ(ini.getString("playback", "DEVICENAME"), "USB Audio");
    EXPECT_EQ(ini.getInt("Advanced", "buffersize", -1), 700);
    // A repeated section header is a second section that is never read.
    EXPECT_EQ(ini.getInt("Playback", "Shuffle", -1), -1);
    EXPECT_FALSE(ini.hasKey("Playback", "Missing"));
    EXPECT_EQ(ini.getString("Playback", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.getString("Nowhere", "Volume", "dflt"), "dflt");
}

TEST(IniFile, IntegerAndDecimalReads) {
    struct Case {
        const char* text;
        int asInt;
        double asDouble;
    };
    const Case cases[] = {
        {"12", 12, 12.0},
        {"12abc", 12, 12.0},
        {"-7", -7, -7.0},
        {"abc", 0, 0.0},
        {"", 0, 0.0},
        {"-", 0, 0.0},
        {"3.75", 3, 3.75},
        {"+2.5", 0, 2.5},
        {"1,5", 1, 1.0},
        {"99999999999", INT_MAX, 99999999999.0},
        {"-99999999999", INT_MIN, -99999999999.0},
        {"1e999", 1, 0.0},  // out of range: not a usable number
        {"nan", 0, 0.0},
        {"inf", 0, 0.0},
        {"--1", 0, 0.0},
    };
    for (const Case& c : cases) {
        const IniFile ini = Parse(std::string("[S]\nK=") + c.text + "\n");
        EXPECT_EQ(ini.getInt("S", "K", 42), c.asInt) << c.text;
        EXPECT_DOUBLE_EQ(ini.getDouble("S", "K", 42.0), c.asDouble) << c.text;
    }
    EXPECT_EQ(Parse("").getInt("S", "K", 42), 42);
    EXPECT_DOUBLE_EQ(Parse("").getDouble("S", "K", 4.5), 4.5);
}

TEST(IniFile, FormattingHelpers) {
    EXPECT_EQ(tav::FormatFixed(1.005, 2), "1.00");  // the binary value is below 1.005
    EXPECT_EQ(tav::FormatFixed(12.5, 2), "12.50");
    EXPECT_EQ(tav::FormatFixed(-75.0, 1), "-75.0");
    EXPECT_EQ(tav::FormatFixed(0.7, 3), "0.700");
    // "\xC3\xA9" is one character (é): never cut in two.
    EXPECT_EQ(tav::CapChars("ab\xC3\xA9" "cd", 3), "ab\xC3\xA9");
    EXPECT_EQ(tav::CapChars("ab\xC3\xA9" "cd", 2), "ab");
    EXPECT_EQ(tav::CapChars("abc", 7), "abc");
}

TEST(IniFile, KeepsWhatItDoesNotKnowAndTheWrittenCase) {
    IniFile ini = Parse(
        "; made by hand\n"
        "[Playback]\n"
        "Volume=80\n"
        "# a note\n"
        "Unknown=keep me\n"
        "[Preset_Warm]\n"
        "Pitch=1.0000\n");
    ini.setInt("PLAYBACK", "VOLUME", 55);
    ini.setString("newsection", "NewKey", "v");
    ini.setString("Playback", "Added", "x");
    EXPECT_EQ(ini.serialize(),
              "; made by hand\n"
              "\n"
              "[Playback]\n"
              "Volume=55\n"
              "# a note\n"
              "Unknown=keep me\n"
              "Added=x\n"
              "\n"
              "[Preset_Warm]\n"
              "Pitch=1.0000\n"
              "\n"
              "[newsection]\n"
              "NewKey=v\n");
}

TEST(IniFile, RemovingKeysAndSections) {
    IniFile ini = Parse("[A]\nx=1\ny=2\nX=3\n[B]\nz=1\n[a]\nw=1\n");
    ini.removeKey("a", "X");
    EXPECT_EQ(ini.keys("A"), std::vector<std::string>{"y"});
    ini.clearSection("B");
    EXPECT_TRUE(ini.hasSection("B"));
    EXPECT_TRUE(ini.keys("B").empty());
    ini.removeSection("A");
    EXPECT_FALSE(ini.hasSection("A"));
    EXPECT_EQ(ini.serialize(), "[B]\n");
}

TEST(IniFile, LineBreaksInValuesCannotAddLines) {
    IniFile ini;
    ini.setString("Playlist", "Track0", "/music/a\n[Hotkeys]\r\nCount=9");
    const IniFile back = Parse(ini.serialize());
    EXPECT_FALSE(back.hasSection("Hotkeys"));
    EXPECT_EQ(back.getString("Playlist", "Track0"), "/music/a [Hotkeys]  Count=9");
}

TEST(IniFile, HostileFilesAreCapped) {
    tavtest::TempDir dir;
    const std::string path = dir.file("big.ini");
    std::string text = "[S]\nfirst=1\nhuge=" + std::string(IniFile::kMaxLineBytes + 10, 'x') + "\nafter=2\n";
    // Pad past the file cap with valid lines; the last key must not be read.
    const std::string filler = "k=0123456789012345678901234567890123456789\n";
    while (text.size() < IniFile::kMaxFileBytes + filler.size()) text += filler;
    text += "last=1\n";
    tavtest::WriteFile(path, text);

    IniFile ini;
    ASSERT_TRUE(ini.load(path));
    EXPECT_EQ(ini.getInt("S", "first", 0), 1);
    EXPECT_FALSE(ini.hasKey("S", "huge"));
    EXPECT_EQ(ini.getInt("S", "after", 0), 2);
    EXPECT_FALSE(ini.hasKey("S", "last"));
    EXPECT_LE(ini.serialize().size(), IniFile::kMaxFileBytes);
}

TEST(IniFile, LoadAndSaveFiles) {
    tavtest::TempDir dir;
    IniFile ini;
    EXPECT_FALSE(ini.load(dir.file("missing.ini")));
    EXPECT_FALSE(ini.load(dir.path()));  // a folder is not a settings file
    ini.setString("S", "k", "v");
    ASSERT_TRUE(ini.save(dir.file("a.ini")));
    EXPECT_EQ(tavtest::ReadFile(dir.file("a.ini")), "[S]\nk=v\n");
    IniFile back;
    ASSERT_TRUE(back.load(dir.file("a.ini")));
    EXPECT_EQ(back.getString("S", "k"), "v");
    EXPECT_FALSE(ini.save(dir.file("no-such-folder/a.ini")));
}

}  // namespace
