// Menu 100 and accelerator table 300 against the command table.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "app/Commands.h"
#include "resources/Accelerators.h"
#include "resources/MainMenu.h"

namespace {

using tav::MenuEntry;

std::vector<const MenuEntry*> Items(const MenuEntry& menu) {
    std::vector<const MenuEntry*> out;
    for (const MenuEntry& e : menu.children)
        if (e.kind != MenuEntry::Kind::Separator) out.push_back(&e);
    return out;
}

void CollectIds(const std::vector<MenuEntry>& entries, std::vector<int>& ids) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::Submenu) CollectIds(e.children, ids);
        else if (e.kind != MenuEntry::Kind::Separator) ids.push_back(e.id);
    }
}

TEST(MainMenu, MenusAndItemsInResourceOrder) {
    struct Expect {
        const char* menu;
        std::vector<std::pair<int, const char*>> items;  // id 0: submenu
    };
    const std::vector<Expect> expected = {
        {"&File",
         {{101, "&Open...\tCtrl+O"},
          {110, "Add &Folder...\tCtrl+Shift+O"},
          {111, "&Playlist...\tCtrl+P"},
          {104, "Open &URL...\tCtrl+U"},
          {105, "&YouTube...\tCtrl+Y"},
          {107, "&Radio...\tCtrl+R"},
          {113, "&Add Stream to Favorites...\tCtrl+D"},
          {940, "&Podcasts...\tCtrl+Shift+P"},
          {108, "&Schedule...\tCtrl+S"},
          {990, "Song &History...\tCtrl+Shift+H"},
          {0, "Recent &Files"},
          {106, "&Hide to Tray\tCtrl+H"},
          {103, "O&ptions...\tCtrl+,"},
          {102, "E&xit\tAlt+F4"}}},
        {"&Playback",
         {{212, "&Play\tX"},
          {213, "Pa&use\tC"},
          {201, "Play/Pause\tSpace"},
          {202, "&Stop\tV"},
          {203, "P&revious\tZ"},
          {204, "&Next\tB"},
          {215, "S&huffle\tH"},
          {219, "R&epeat\tE"},
          {205, "Seek &Backward\tLeft"},
          {206, "Seek &Forward\tRight"},
          {216, "&Beginning\tHome"},
          {217, "&Jump to Time...\tJ"},
          {207, "Volume &Up\tUp"},
          {208, "Volume &Down\tDown"},
          {209, "Speak &Elapsed\tCtrl+Shift+E"},
          {210, "Speak &Remaining\tCtrl+Shift+R"},
          {211, "Speak &Total\tCtrl+Shift+T"}}},
        {"&Video",
         {{1200, "&Fullscreen\tF11"},
          {1201, "Cycle &Subtitles"},
          {1202, "&Load Subtitle File..."},
          {1203, "Subtitles &Off"},
          {1240, "Cycle &Audio Track"},
          {1270, "Cycle Aspect &Ratio"},
          {1280, "Take Scr&eenshot"}}},
        {"&Help",
         {{114, "&Readme"},
          {112, "Check for &Updates..."},
          {109, "&Loaded Plugins..."},
          {118, "&Test YouTube playback"},
          {119, "C&lear YouTube cache..."}}},
    };
    const auto& menu = tav::MainMenu();
    ASSERT_EQ(menu.size(), expected.size());
    for (size_t m = 0; m < menu.size(); ++m) {
        EXPECT_EQ(menu[m].text, expected[m].menu);
        const auto items = Items(menu[m]);
        ASSERT_EQ(items.size(), expected[m].items.size()) << expected[m].menu;
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i]->id, expected[m].items[i].first) << expected[m].items[i].second;
            EXPECT_EQ(items[i]->text, expected[m].items[i].second);
        }
    }
    // Shuffle is the only check item; Recent Files is File's only submenu and starts empty.
    EXPECT_EQ(Items(menu[1])[6]->kind, MenuEntry::Kind::Check);
    const MenuEntry* recent = Items(menu[0])[10];
    EXPECT_EQ(recent->kind, MenuEntry::Kind::Submenu);
    EXPECT_TRUE(recent->children.empty());
}

TEST(MainMenu, EveryItemAndKeyHasACommand) {
    std::vector<int> ids;
    CollectIds(tav::MainMenu(), ids);
    for (const auto& e : tav::AcceleratorTable()) ids.push_back(e.command);
    for (int id : ids) EXPECT_NE(tav::FindCommand(id), nullptr) << id;
    // And no two items share an id.
    std::vector<int> menuIds;
    CollectIds(tav::MainMenu(), menuIds);
    EXPECT_EQ(std::set<int>(menuIds.begin(), menuIds.end()).size(), menuIds.size());
}

TEST(MainMenu, RecentItemTextsCountOneToZero) {
    struct Case {
        int index;
        const char* location;
        const char* text;
    };
    const Case cases[] = {
        {0, "/music/a.mp3", "&1 a.mp3"},
        {8, "/music/sub/b c.ogg", "&9 b c.ogg"},
        {9, "/music/tenth.flac", "&0 tenth.flac"},
        {2, "C:\\Music\\win.wav", "&3 win.wav"},
        {3, "plain.mp3", "&4 plain.mp3"},
    };
    for (const Case& c : cases) EXPECT_EQ(tav::RecentFileItemText(c.index, c.location), c.text);
}

TEST(Accelerators, KeysReachTheirCommands) {
    using namespace tav;
    struct Case {
        uint8_t mods;
        uint16_t key;
        int command;
    };
    const uint8_t S = kAccelShift, C = kAccelCtrl, CS = kAccelCtrl | kAccelShift;
    const Case cases[] = {
        {C, 'O', 101},        {C, kVkOemComma, 103}, {C, 'U', 104},         {CS, 'O', 110},
        {0, kVkSpace, 201},   {0, 'V', 202},         {0, 'Z', 203},         {0, 'B', 204},
        {0, kVkLeft, 205},    {0, kVkRight, 206},    {C, kVkUp, 207},       {C, kVkDown, 208},
        {0, 'X', 212},        {0, 'C', 213},         {0, 'H', 215},         {C, 'H', 106},
        {CS, 'H', 990},       {0, kVkHome, 216},     {C, kVkHome, 235},     {C, kVkEnd, 236},
        {0, kVkOemComma, 220}, {0, kVkOemPeriod, 221}, {0, kVkOem4, 230},   {0, kVkOem6, 231},
        {0, kVkUp, 232},      {0, kVkDown, 233},     {0, kVkBack, 234},     {C, '1', 240},
        {C, '5', 244},        {C, '0', 249},         {C, kVkOemPlus, 251},  {C, kVkOemMinus, 252},
        {0, '0', 260},        {0, '1', 261},         {0, '9', 269},         {S, '1', 270},
        {S, '9', 278},        {S, '0', 279},         {0, 'M', 800},         {C, 'M', 801},
        {0, 'R', 820},        {C, 'R', 107},         {CS, 'R', 210},        {CS, 'P', 940},
        {0, kVkF11, 1200},    {CS, 'A', 1240},       {CS, 'S', 1280},       {0, 'A', 237},
        {0, 'P', 238},        {C, 'P', 111},         {0, 'U', 218},         {0, 'J', 217},
        {0, 'E', 219},        {CS, 'E', 209},
        // Listed twice: the first entry, Speak Total, wins over Cycle Subtitles.
        {CS, 'T', 211},
        // Not in the table.
        {0, 'Q', 0},          {kAccelAlt, 'X', 0},   {S, 'X', 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LookupAccelerator(c.mods, c.key), c.command) << int(c.mods) << " " << c.key;
}

TEST(Accelerators, CycleSubtitlesIsListedButShadowed) {
    int entries = 0;
    for (const auto& e : tav::AcceleratorTable())
        if (e.modifiers == (tav::kAccelCtrl | tav::kAccelShift) && e.key == 'T') ++entries;
    EXPECT_EQ(entries, 2);
    bool listed = false;
    for (const auto& e : tav::AcceleratorTable()) listed |= e.command == 1201;
    EXPECT_TRUE(listed);
}

}  // namespace
