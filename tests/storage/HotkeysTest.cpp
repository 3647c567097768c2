// The global-hotkey list in the settings file.
#include <string>

#include "StorageTestUtil.h"

namespace {

using Hotkeys = tavtest::StorageTest;

TEST_F(Hotkeys, LoadSkipsMalformedEntries) {
    writeIni(
        "[Hotkeys]\n"
        "Enabled=0\n"
        "Count=7\n"
        "Hotkey0=3,80,0\n"      // Ctrl+Alt+P: play/pause
        "Hotkey1=1,2,39\n"      // action out of range
        "Hotkey2=1,2\n"         // two numbers only
        "Hotkey3=8,77,38\n"     // Win+M: toggle mute
        "Hotkey4=a,b,c\n"
        "Hotkey5=\n"
        "Hotkey6=4, 65,12 trailing\n"
        "Hotkey7=2,66,1\n");  // beyond Count
    tav::LoadHotkeys();
    const tav::HotkeyList& list = tav::TheHotkeys();
    EXPECT_FALSE(list.Enabled);
    ASSERT_EQ(list.items.size(), 3u);
    const tav::HotkeyAssignment expected[] = {{1, 3, 80, 0}, {2, 8, 77, 38}, {3, 4, 65, 12}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(list.items[i].id, expected[i].id) << i;
        EXPECT_EQ(list.items[i].modifiers, expected[i].modifiers) << i;
        EXPECT_EQ(list.items[i].key, expected[i].key) << i;
        EXPECT_EQ(list.items[i].action, expected[i].action) << i;
    }
    // Loading again empties the list but never reuses an identifier.
    tav::LoadHotkeys();
    EXPECT_EQ(tav::TheHotkeys().items.front().id, 4);
}

TEST_F(Hotkeys, MissingSectionGivesTheDefaults) {
    tav::LoadHotkeys();
    EXPECT_TRUE(tav::TheHotkeys().Enabled);
    EXPECT_TRUE(tav::TheHotkeys().items.empty());
}

TEST_F(Hotkeys, AHugeCountIsHarmless) {
    writeIni("[Hotkeys]\nCount=2147483647\nHotkey0=2,70,5\nHotkey2147483646=2,71,6\n");
    tav::LoadHotkeys();
    ASSERT_EQ(tav::TheHotkeys().items.size(), 2u);
    EXPECT_EQ(tav::TheHotkeys().items[1].key, 71u);
}

TEST_F(Hotkeys, AShrunkListKeepsTheOldKeysPastCount) {
    writeIni(
        "[Hotkeys]\nEnabled=1\nCount=5\n"
        "Hotkey0=2,65,0\nHotkey1=2,66,1\nHotkey2=2,67,2\nHotkey3=2,68,3\nHotkey4=2,69,4\n");
    tav::LoadHotkeys();
    auto& items = tav::TheHotkeys().items;
    ASSERT_EQ(items.size(), 5u);
    items.erase(items.begin() + 1, items.begin() + 4);  // keeps A and E
    ASSERT_TRUE(tav::SaveHotkeys());

    const tav::IniFile ini = loadIni();
    EXPECT_EQ(ini.getString("Hotkeys", "Count"), "2");
    EXPECT_EQ(ini.getString("Hotkeys", "Hotkey0"), "2,65,0");
    EXPECT_EQ(ini.getString("Hotkeys", "Hotkey1"), "2,69,4");
    EXPECT_EQ(ini.getString("Hotkeys", "Hotkey2"), "2,67,2");
    EXPECT_EQ(ini.getString("Hotkeys", "Hotkey3"), "2,68,3");
    EXPECT_EQ(ini.getString("Hotkeys", "Hotkey4"), "2,69,4");

    tav::LoadHotkeys();
    EXPECT_EQ(tav::TheHotkeys().items.size(), 2u);
    // A settings save leaves the hotkeys alone.
    ASSERT_TRUE(tav::SaveSettings());
    EXPECT_EQ(loadIni().keys("Hotkeys"), ini.keys("Hotkeys"));
}

TEST_F(Hotkeys, WrittenFormat) {
    tav::HotkeyList& list = tav::TheHotkeys();
    list.Enabled = false;
    list.items = {{list.newId(), 8, 179, 38}, {list.newId(), 4294967295u, 255, 0}};
    ASSERT_TRUE(tav::SaveHotkeys());
    EXPECT_EQ(readIni(), "[Hotkeys]\nEnabled=0\nCount=2\nHotkey0=8,179,38\nHotkey1=4294967295,255,0\n");
}

}  // namespace
